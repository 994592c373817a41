#pragma once

// The exact commands' own figures as a report: what exact was asked, and the mixture of the
// settings by their chances given a found machine's games since its last BIG.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/inference/filter_tables.h"
#include "analysis/measured/cash_totals.h"
#include "analysis/outcome/cash_lots.h"
#include "common/work_control.h"
#include "machine/attempt_end.h"
#include "report/model/report_model.h"

namespace korvale {

// What exact was asked.
struct ExactAsked {
    std::optional<std::int32_t> setting{};  // none: all six
    std::optional<EndConditions> end{};     // none: the long run only
    std::optional<std::int32_t> maxGames{};
    std::optional<std::int32_t> sinceBig{};
    std::optional<SettingVector> prior{};  // none: equal weights
    bool laws = false;                     // the attempts' laws (with end conditions)
};

// The facts of what exact was asked, the laws as far as they are worked out for it.
void addExactFacts(Report& report, const ExactAsked& asked);

// The settings mixed by the posterior: the exact group, its yen from cash when every
// setting's lots are exact, and beside it the measured mixture when the lots were measured
// (`measured`, a setting's with no units when not). With the laws, the chance to end ahead
// mixes as well, each setting's (`aheads`) weighed by its chance, as hunt's mixture has it; the
// other points of the laws do not mix so.
void addMixtureGroups(std::vector<FigureGroup>& groups, const std::vector<AttemptFigures>& attempts,
                      const std::vector<std::optional<CashLots>>& lots,
                      const std::vector<CashTotals>& measured, const SettingVector& posterior,
                      const std::array<std::optional<double>, settingCount>& aheads,
                      const HallRates& rates, bool laws);

// The long run of each setting (indexes 0..5): its exact group with the laws of its waits.
void addLongRunGroups(Report& report, const std::vector<std::int32_t>& settings);

// A day from the morning (exact --day-games): the day's games and the hall's rates as facts,
// then the day's law at each setting, one after another, each on `control`'s threads;
// `control.progress` hears the share of the settings done. Called off: the settings finished
// so far, the report marked partial.
void addDayGroups(Report& report, std::int32_t dayGames, const HallRates& rates,
                  const std::vector<std::int32_t>& settings, const WorkControl& control);

}  // namespace korvale
