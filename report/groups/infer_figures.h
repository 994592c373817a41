#pragma once

// A history's setting as a report: what was asked, and with end conditions what playing on
// from where the history leaves the machine is worth (the setting groups are history_groups.h).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/found/history_worth.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/inference/bonus_history.h"
#include "analysis/inference/filter_tables.h"
#include "analysis/inference/setting_filter.h"
#include "analysis/outcome/cash_lots.h"
#include "common/work_control.h"
#include "machine/attempt_end.h"
#include "report/model/report_model.h"

namespace korvale {

// What infer was asked.
struct InferAsked {
    std::string historyPath{};  // "-": standard input
    HistoryStart start = HistoryStart::Morning;
    std::int32_t trailingGames = 0;
    std::optional<SettingVector> prior{};  // none: equal weights
    std::optional<EndConditions> end{};    // the worth of playing on under them
    HallRates rates{};
};

// The facts of what infer was asked.
void addInferFacts(Report& report, const InferAsked& asked);

// The lots bought from cash of playing on, where they are worked out: each setting's, and the
// posterior's mixture of them.
struct PlayingOnLots {
    std::array<std::optional<CashLots>, settingCount> bySetting{};
    std::optional<CashLots> mixture{};
};

// What playing on is worth: a group per setting the history allows, with its hours and yen,
// then the settings mixed by the posterior.
void addPlayingOnGroups(std::vector<FigureGroup>& groups, const HistoryWorth& worth,
                        const HallRates& rates, const PlayingOnLots& lots);

// The setting estimate of `history` and, with end conditions, what playing on from where it
// leaves the machine is worth under them (from cash with a rule that ends at the first BIG,
// the lots each start buys as well), with the time it took. `control.progress` hears the share
// of the worth done. Calling off during the estimate throws WorkCancelled; during the worth it
// leaves the worth out and marks the report partial.
Report inferenceReport(const BonusHistory& history, const InferAsked& asked,
                       const WorkControl& control);

}  // namespace korvale
