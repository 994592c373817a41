#pragma once

// How long the waits of the long run are (ハマり): the law of the games from one BIG to the
// next (REGs between allowed) and of the games from one bonus to the next, over a machine
// played without end. Each BIG starts its wait from a mode drawn from the stationary law of
// the modes after a BIG; from game 1500 on every mode has the same BIG chance, so past that
// the waits are geometric and their tails and means are exact.

#include <cstdint>
#include <vector>

#include "analysis/model/machine_model.h"

namespace korvale {

struct GapLaw {
    std::vector<double> chance;  // chance[n] = P(gap = n) for n = 0 .. last (chance[0] = 0)
    double beyond = 0;           // P(gap > last)
    double mean = 0;             // over the whole law, the geometric tail included

    std::int32_t last() const { return static_cast<std::int32_t>(chance.size()) - 1; }
    double atLeast(std::int32_t n) const;  // P(gap >= n), n <= last + 1
    // The smallest n with P(gap <= n) >= q; throws std::out_of_range past the table.
    std::int32_t quantile(double q) const;
};

struct LongRunGaps {
    std::int32_t setting = -1;  // -1 for a hand-built model
    GapLaw bigGap;              // games from a BIG to the next BIG, that BIG's game included
    GapLaw bonusGap;            // games from a bonus to the next bonus
    double lostMass = 0;        // chance cut where the cycles' tails fall below 1e-18
};

// Tables up to `last` games (at least the BIG ceiling's 1500).
LongRunGaps solveLongRunGaps(std::int32_t setting, std::int32_t last = 3000);
LongRunGaps solveLongRunGaps(const MachineModel& model, std::int32_t last = 3000);

}  // namespace korvale
