#pragma once

// The 狙い目 table from cash: the lots a player buys on a machine found G games after its BIG,
// for each setting and count of the table, when the rule ends at the first BIG (cash_lots.h),
// and the least count from which the yen stay above 0.

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/found/hunt_table.h"
#include "analysis/hall/hall_rates.h"

namespace korvale {

struct HuntCash {
    // Per column of the table (its settings, then the mixture when it has one): the expected
    // lots per count, and the yen per attempt (the net exchanged less what the lots lose).
    std::vector<std::vector<double>> lots;
    std::vector<std::vector<double>> yen;
    // Per column: the least count from which the yen are above 0 at every count of the grid.
    std::vector<std::optional<std::int32_t>> breakEven;
};

// The expected lots of each setting asked for (indexes 0..5) at each count, for a rule that
// ends at the first BIG: every (setting, count) pass shared out over `control`'s threads,
// `control.progress` told the share of passes done. Throws WorkCancelled once
// `*control.cancel` is set.
std::vector<std::vector<double>> solveHuntLots(const std::vector<std::int32_t>& settings,
                                               const std::vector<std::int32_t>& counts,
                                               std::int32_t lend, const WorkControl& control = {});

// The yen of the table's columns at `rates` from each setting's lots (solveHuntLots, in the
// table's order of settings), the mixture's lots mixed by the table's posteriors.
HuntCash huntCashOf(const HuntTable& table, const std::vector<std::vector<double>>& lots,
                    const HallRates& rates);

// Both at once. Throws std::invalid_argument unless the rule ends at the first BIG.
HuntCash solveHuntCash(const HuntTable& table, EndConditions end, const HallRates& rates,
                       const WorkControl& control = {});

// Whether the lots bought from cash are worked out exactly: paid from cash, with a rule that
// ends at the first BIG (cash_lots.h) and no game limit.
bool cashLotsExact(const HallRates& rates, std::optional<std::int32_t> maxGames, EndConditions end);

// The least count from which every value is above 0, none when the last one is not.
std::optional<std::int32_t> breakEvenOfValues(const std::vector<std::int32_t>& counts,
                                              const std::vector<double>& values);

}  // namespace korvale
