#pragma once

// The 狙い目 table: what an attempt under one rule is worth on a machine found G games after
// its last BIG, for G over a grid, at each setting and under a prior's mixture of the
// settings, with the least G from which playing pays. One pass of the attempt's chain gives
// every G of a setting (attempt.h, solveAttemptStarts).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/inference/filter_tables.h"
#include "common/work_control.h"

namespace korvale {

// The games since the last BIG from first to last by step.
struct HuntGrid {
    std::int32_t first = 0;
    std::int32_t last = 1500;
    std::int32_t step = 50;

    bool operator==(const HuntGrid&) const = default;
};

// The most games since the last BIG a table or a found start takes, and the most points of a
// table: past the ceiling every count is worth the same, and the table's memory grows with its
// points.
inline constexpr std::int32_t largestGamesSinceBig = 1'000'000;
inline constexpr std::size_t largestHuntPoints = 1001;

// The grid's counts in order. Throws std::invalid_argument for a step <= 0.
std::vector<std::int32_t> huntPoints(const HuntGrid& grid);

struct HuntColumn {
    std::int32_t setting = -1;           // setting index 0..5; -1 for the prior's mixture
    std::vector<AttemptFigures> points;  // one per count of the grid
    // P(net > 0) per count, from the heads of the net's law of all counts at once
    // (start_grid.h); empty when the attempts are too long for the law's tables, or when only
    // the means were asked for.
    std::vector<double> pAhead;
    // A bound on the error of each of pAhead, as the sweep bounds its own (ruleRiskOf): the
    // largest over the counts; 0 without pAhead.
    double pAheadBound = 0;
    // The least count of the grid from which the net per attempt is above 0 at every count
    // of the grid; none when it is not above 0 at the grid's last count.
    std::optional<std::int32_t> breakEven;
};

struct HuntTable {
    std::vector<std::int32_t> gamesSinceBig;
    std::vector<HuntColumn> settings;  // the settings asked for, in their order
    // With all six settings: the chances of the settings at each count (the prior's posterior
    // given the count) and the figures they mix to.
    std::vector<SettingVector> posteriors;
    std::optional<HuntColumn> mixture;
};

// Whether a table works out the chances to end ahead beside the means: they take most of its
// time (the net's law), the means a small part.
enum class HuntChances { WithAhead, MeansOnly };

// The table for the settings asked for (indexes 0..5; with all six also the mixture under
// `prior`), the cost rounded as `rounding` says. Each setting is one pass on one of
// `control.threads` threads. With a game limit each count is a forward pass of its own
// (capped_attempt.h), the cost rounded as the machine rounds it, and the chances to end ahead
// are left out; with HuntChances::MeansOnly they are left out too. `settingDone`, when given,
// hears each setting's column as soon as it is whole (in the order they finish, one call at a
// time, on the thread that worked it out). Throws like solveAttempt, and WorkCancelled once
// `*control.cancel` is set; its progress is not told.
using HuntColumnDone = std::function<void(const HuntColumn&)>;
HuntTable solveHuntTable(EndConditions end, const HuntGrid& grid,
                         const std::vector<std::int32_t>& settings, const SettingVector& prior,
                         CostRounding rounding, std::optional<std::int32_t> maxGames,
                         const HuntColumnDone& settingDone = {}, const WorkControl& control = {},
                         HuntChances chances = HuntChances::WithAhead);

// The least count from which every net is above 0, by the rule of HuntColumn::breakEven.
std::optional<std::int32_t> breakEvenCount(const std::vector<std::int32_t>& counts,
                                           const std::vector<AttemptFigures>& points);

}  // namespace korvale
