#pragma once

// What the sweep's work costs, for the order it does it in, the time it says it will take and
// the share of it it shows done.

#include <cstdint>

#include "analysis/attempt/end_sweep.h"
#include "machine/attempt_end.h"

namespace korvale {

// About how long a rule's risk figures take on one thread, in seconds of CPU time, with the
// vector code this processor runs (a machine slower per core takes longer throughout).
double ruleRiskSeconds(std::int32_t setting, EndConditions end);

// About how long the means of a grid's rules take at one setting, in the same seconds (with the
// grid's game limit, if any).
double meansSeconds(const SweepGrid& grid);

}  // namespace korvale
