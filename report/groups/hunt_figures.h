#pragma once

// The 狙い目 table as a report: what was asked, and the break-even counts and curves of every
// setting asked for (and the prior's mixture with all six).

#include <cstdint>
#include <optional>

#include "analysis/found/hunt_cash.h"
#include "analysis/found/hunt_table.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/inference/filter_tables.h"
#include "common/work_control.h"
#include "machine/attempt_end.h"
#include "report/model/report_model.h"

namespace korvale {

// What the table was asked for.
struct HuntAsked {
    std::optional<std::int32_t> setting{};  // none: all six
    EndConditions end{};
    std::optional<std::int32_t> maxGames{};
    HuntGrid grid{};
    HallRates rates{};
    std::optional<SettingVector> prior{};  // none: equal weights
    bool meansOnly = false;                // without the chances to end ahead
};

// The report of `table`, with the yen from cash when `cash` is not null. No timing yet.
Report huntReport(const HuntAsked& asked, const HuntTable& table, const HuntCash* cash);

// The table asked for worked out (the cost unrounded; from cash the yen too, where the lots
// are worked out: a rule that ends at the first BIG, with no game limit) and its report, with
// the time it took. Throws as solveHuntTable, WorkCancelled once `*control.cancel` is set: a
// table is whole or not at all.
Report solveHuntReport(const HuntAsked& asked, const WorkControl& control);

}  // namespace korvale
