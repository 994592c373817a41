#pragma once

// Every figure key the program reports, with its Japanese label and its unit, in one table, so
// that a key reads the same wherever it appears. Per-mode keys are "mode<m>_..." for m = 0..5.

#include <optional>
#include <string>
#include <string_view>

#include "report/model/report_model.h"

namespace korvale {

// The figure `key` with its catalogue label and unit. Throws std::logic_error for a key that
// is not in the catalogue (a programming error: every key is listed there).
Figure makeFigure(std::string_view key, std::optional<double> value, Interval ci95 = {});

// The key of a percentile figure: percentileKey("net_coins", 5) is "net_coins_p5".
std::string percentileKey(std::string_view name, double percent);

// The series `key` with its catalogue label and units, no points yet. Throws std::logic_error
// for a key that is not in the catalogue.
Series makeSeries(std::string_view key);

// The key of a per-mode figure: modeKey(3, "share") is "mode3_share".
std::string modeKey(std::size_t mode, std::string_view name);

}  // namespace korvale
