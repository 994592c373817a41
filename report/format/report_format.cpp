#include "report/format/report_format.h"

#include "report/format/csv_format.h"
#include "report/format/json_format.h"
#include "report/format/table_format.h"

namespace korvale {

std::optional<OutputFormat> parseOutputFormat(std::string_view text) {
    if (text == "table") {
        return OutputFormat::Table;
    }
    if (text == "csv") {
        return OutputFormat::Csv;
    }
    if (text == "json") {
        return OutputFormat::Json;
    }
    return std::nullopt;
}

std::string formatReport(const Report& report, OutputFormat format) {
    switch (format) {
        case OutputFormat::Csv:
            return formatCsv(report);
        case OutputFormat::Json:
            return formatJson(report);
        case OutputFormat::Table:
            break;
    }
    return formatTable(report);
}

}  // namespace korvale
