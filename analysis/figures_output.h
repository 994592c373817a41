#pragma once

// Writes the exact figures as a table (the window's Japanese labels where it has them), as
// CSV or as JSON (plain ASCII keys). Settings are written as the user sees them, 1..6.
// Numbers carry twelve significant digits; a figure with no value (the RT release rate of
// mode 0 in the long run) is "-" in a table, empty in CSV and null in JSON.

#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "analysis/attempt.h"
#include "analysis/end_sweep.h"
#include "analysis/long_run.h"

namespace korvale {

enum class FigureFormat { Table, Csv, Json };

// "table", "csv" or "json"; nothing for any other text.
std::optional<FigureFormat> parseFigureFormat(std::string_view text);

void writeLongRun(std::ostream& out, FigureFormat format,
                  const std::vector<LongRunFigures>& figures);
void writeAttempts(std::ostream& out, FigureFormat format,
                   const std::vector<AttemptFigures>& figures);
void writeSweep(std::ostream& out, FigureFormat format, const std::vector<SettingSweep>& sweeps);

// Both in one output: the long run, then the attempts (a blank line between the two tables or
// CSV blocks; one JSON object with the keys "long_run" and "attempts").
void writeLongRunAndAttempts(std::ostream& out, FigureFormat format,
                             const std::vector<LongRunFigures>& longRuns,
                             const std::vector<AttemptFigures>& attempts);

}  // namespace korvale
