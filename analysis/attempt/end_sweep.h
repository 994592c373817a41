#pragma once

// Attempt figures over a grid of end conditions, per setting, so that a player can see which
// stopping rule pays best at each setting.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"

namespace korvale {

struct SweepGrid {
    std::int32_t bigEndFirst = 0;
    std::int32_t bigEndLast = 1000;
    std::int32_t bigEndStep = 50;
    std::int32_t regEndFirst = 0;
    std::int32_t regEndLast = 300;
    std::int32_t regEndStep = 50;
    // Where every attempt of the sweep starts: a machine found this many games after its last
    // BIG (attempt_start.h); none: a new machine in the morning.
    std::optional<std::int32_t> sinceBig{};
    // Every attempt also ends at this game, if its rule has not ended it before (closing time);
    // the cost is then rounded per attempt as the machine rounds it. None: no limit.
    std::optional<std::int32_t> maxGames{};

    bool operator==(const SweepGrid&) const = default;
};

struct SettingSweep {
    std::int32_t setting = 0;
    std::vector<AttemptFigures> points;  // BIG end major, REG end minor, both ascending
    // With a game limit: each point's chance that the limit, not its rule, ended the attempt.
    std::vector<double> limitReached;
    std::size_t bestPerAttempt = 0;    // index of the highest expected net per attempt
    std::size_t bestPer1000Games = 0;  // index of the highest net per 1000 games
};

// The grid's end conditions in sweep order. Throws std::invalid_argument for a step <= 0.
std::vector<EndConditions> sweepPoints(const SweepGrid& grid);

// The given settings (indexes 0..5; by default all six) over the grid, one point a task on
// `control.threads` (with a game limit the dearest first); `control.progress` hears the share
// done on the calling thread, and setting `*control.cancel` stops the work soon after
// (WorkCancelled).
std::vector<SettingSweep> sweepEndConditions(const SweepGrid& grid = {},
                                             std::vector<std::int32_t> settings = {0, 1, 2, 3, 4,
                                                                                   5},
                                             const WorkControl& control = {});

}  // namespace korvale
