#pragma once

#include <cstdint>

#include "analysis/measured/simulated_totals.h"
#include "batch/run/run_control.h"
#include "common/random_source.h"
#include "machine/attempt_end.h"

namespace korvale {

class GridLog;

// When an attempt ends: after at least one BIG, at least bigEnd games after the last BIG and,
// once a REG has fallen, at least regEnd games after the last REG.

// Makes `attempts` attempts (-1: until a stop is requested), each on a new machine of the given
// setting drawing from `random`, as the window's attempt run does. An attempt still going when
// a stop is requested is dropped. Logs every attempt to `log` when it is not null.
AttemptTotals playAttempts(std::int32_t setting, const EndConditions& end, std::int64_t attempts,
                           RandomSource& random, RunControl& control, int thread, GridLog* log);

}  // namespace korvale
