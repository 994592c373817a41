#pragma once

// The exact figures of the analysis as report groups.

#include "analysis/attempt/attempt.h"
#include "analysis/long_run/long_run.h"
#include "report/model/report_model.h"

namespace korvale {

FigureGroup exactLongRunGroup(const LongRunFigures& figures);
FigureGroup exactAttemptGroup(const AttemptFigures& figures);

}  // namespace korvale
