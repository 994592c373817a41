#pragma once

// The report as an aligned table for a terminal: a block per kind of result, a column per group
// or a row per group for a sweep, and where to find the series.

#include <string>

#include "report/model/report_model.h"

namespace korvale {

std::string formatTable(const Report& report);

}  // namespace korvale
