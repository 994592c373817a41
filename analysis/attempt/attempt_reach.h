#pragma once

// Whether an attempt can end at all within the machine's 32-bit game counter. The end
// conditions ask for a run of games without a BIG and, once a REG has fallen, a run without a
// REG; long runs are exponentially rare, so a large end condition makes an attempt last longer
// than the counter can count.

#include <cstdint>

#include "analysis/model/machine_model.h"
#include "machine/attempt_end.h"

namespace korvale {

// A lower bound on the expected games of one attempt, as a natural logarithm (the bound itself
// can be far beyond any double): a run of X games without a BIG needs at least 1 / P(run) BIG
// cycles on average, P taken at the most favourable mode before and at the ceiling; and since
// a REG can fall in the first game (chance r), at least r × (1 - p^Y) / (r p^Y) games, p = 1 - r,
// wait for a REG-free run of Y.
double logLeastExpectedGames(const MachineModel& model, const EndConditions& end);

// True when an attempt at setting index 0..5 cannot be expected to end within 2^31 - 1 games.
bool endConditionsOutOfReach(std::int32_t setting, const EndConditions& end);

}  // namespace korvale
