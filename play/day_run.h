#pragma once

#include <cstdint>

#include "analysis/hall/hall_rates.h"
#include "analysis/measured/simulated_totals.h"
#include "common/random_source.h"
#include "common/work_control.h"
#include "play/worker_counts.h"

namespace korvale {

class GridLog;

// Plays `days` days (-1: until a stop is requested), each a new machine of the given setting
// from the morning played for `dayGames` games, drawing from `random`. Each day is booked as an
// attempt of its games: its net, its yen at `rates` and how deep its net went. A day still
// going when `control` is called off is dropped; `counts` hears the days as they end. Logs every
// day to `log` when it is not null.
AttemptTotals playDays(std::int32_t setting, std::int32_t dayGames, const HallRates& rates,
                       std::int64_t days, RandomSource& random, const WorkControl& control,
                       WorkerCounts& counts, GridLog* log);

}  // namespace korvale
