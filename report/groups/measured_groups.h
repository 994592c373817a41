#pragma once

// What a simulated run counted, as report groups: the counts, and every rate with its 95%
// interval (batch means for a machine played without end, the spread over attempts for
// attempts).

#include <vector>

#include "analysis/measured/simulated_totals.h"
#include "machine/attempt_end.h"
#include "report/model/report_model.h"

namespace korvale {

// `batches` are consecutive stretches of play whose totals add up to `totals`.
FigureGroup measuredLongRunGroup(std::int32_t setting, const NormalTotals& totals,
                                 const std::vector<NormalTotals>& batches);

FigureGroup measuredAttemptGroup(std::int32_t setting, const EndConditions& end,
                                 const AttemptTotals& totals);

// Days at the hall booked as attempts of a day's games each: the same figures, per day.
FigureGroup measuredDayGroup(std::int32_t setting, const AttemptTotals& totals);

}  // namespace korvale
