#pragma once

// Writes a report as an aligned table for a terminal, as tidy CSV (one row per figure) or as
// JSON (one object per run, keys in a stable order).

#include <optional>
#include <string>
#include <string_view>

#include "report/model/report_model.h"

namespace korvale {

enum class OutputFormat { Table, Csv, Json };

// "table", "csv" or "json"; nothing for any other text.
std::optional<OutputFormat> parseOutputFormat(std::string_view text);

std::string formatReport(const Report& report, OutputFormat format);

}  // namespace korvale
