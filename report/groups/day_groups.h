#pragma once

// A day at the hall as report facts and groups: the day's games, and the day's exact law.

#include <cstdint>

#include "analysis/hall/hall_rates.h"
#include "analysis/outcome/day_law.h"
#include "report/model/report_model.h"

namespace korvale {

// The games of each day.
Fact dayGamesFact(std::int32_t dayGames);

// The day's exact figures: the mean BIGs, REGs and net, the chance to end ahead, even or
// behind, the net's percentiles and its law, and the hours and yen from stored coins.
FigureGroup exactDayGroup(const DayLaw& law, const HallRates& rates);

}  // namespace korvale
