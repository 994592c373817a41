#pragma once

// The report as tidy CSV: one row per figure and per point of a series.

#include <string>

#include "report/model/report_model.h"

namespace korvale {

std::string formatCsv(const Report& report);

}  // namespace korvale
