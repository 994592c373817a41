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

// Every (setting, count) pass shared out over `control`'s threads; progress is not told.
// Throws std::invalid_argument unless the rule ends at the first BIG with no game limit, and
// WorkCancelled once `*control.cancel` is set.
HuntCash solveHuntCash(const HuntTable& table, EndConditions end, const HallRates& rates,
                       const WorkControl& control = {});

// The least count from which every value is above 0, none when the last one is not.
std::optional<std::int32_t> breakEvenOfValues(const std::vector<std::int32_t>& counts,
                                              const std::vector<double>& values);

}  // namespace korvale
