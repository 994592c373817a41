#pragma once

// The report as JSON: one object per run, keys in a stable order.

#include <string>

#include "report/model/report_model.h"

namespace korvale {

std::string formatJson(const Report& report);

}  // namespace korvale
