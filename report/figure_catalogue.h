#pragma once

// Every figure key the program reports, with its Japanese label and its unit, in one table, so
// that a key reads the same wherever it appears. Per-mode keys are "mode<m>_..." for m = 0..5.

#include <optional>
#include <string>
#include <string_view>

#include "report/report_model.h"

namespace korvale {

// The figure `key` with its catalogue label and unit. Throws std::logic_error for a key that
// is not in the catalogue (a programming error: every key is listed there).
Figure makeFigure(std::string_view key, std::optional<double> value, Interval ci95 = {});

// The key of a per-mode figure: modeKey(3, "share") is "mode3_share".
std::string modeKey(std::size_t mode, std::string_view name);

}  // namespace korvale
