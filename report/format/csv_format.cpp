#include "report/format/csv_format.h"

#include <fmt/format.h>

#include <cmath>

#include "common/csv.h"
#include "report/model/fact_catalogue.h"

namespace korvale {
namespace {

// Shortest text that reads back to the same double; empty for no value.
std::string csvNumber(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) {
        return {};
    }
    return fmt::format("{}", *value);
}

struct CsvRow {
    std::string source{};
    std::string setting{};
    std::string scope{};
    std::string bigEnd{};
    std::string regEnd{};
    std::string key{};
    std::string label{};
    std::string unit{};
    std::string x{};
    std::string value{};
    std::string low{};
    std::string high{};
};

void addCsvRow(std::string& text, const CsvRow& row) {
    text += csvRecord({row.source, row.setting, row.scope, row.bigEnd, row.regEnd, row.key,
                       row.label, row.unit, row.x, row.value, row.low, row.high});
}

CsvRow groupRow(const FigureGroup& group) {
    CsvRow row;
    row.source = sourceName(group.source);
    row.setting = group.setting >= 0 ? std::to_string(group.setting + 1) : "";
    row.scope = scopeName(group.scope);
    if (group.end) {
        row.bigEnd = csvNumber(group.end->bigEnd);
        row.regEnd = std::to_string(group.end->regEnd);
    }
    return row;
}

void addFigureRows(std::string& text, const CsvRow& base, const std::vector<Figure>& figures) {
    for (const Figure& figure : figures) {
        CsvRow row = base;
        row.key = figure.key;
        row.label = figure.label;
        row.unit = unitName(figure.unit);
        row.value = csvNumber(figure.value);
        if (figure.ci95.known) {
            row.low = csvNumber(figure.ci95.low);
            row.high = csvNumber(figure.ci95.high);
        }
        addCsvRow(text, row);
    }
}

}  // namespace

std::string formatCsv(const Report& report) {
    // A byte-order mark and CRLF line ends, as every CSV the programs write.
    std::string text = std::string(csvByteOrderMark) +
                       "source,setting,scope,big_end,reg_end,key,label,unit,x,value,ci95_low,"
                       "ci95_high\r\n";
    for (const Fact& fact : report.facts) {
        std::string value = fact.value;
        if (!fact.numbers.empty()) {
            value.clear();
            for (const double number : fact.numbers) {
                value += (value.empty() ? "" : ",") + csvNumber(number);
            }
        }
        addCsvRow(text, {.source = "run", .key = fact.key, .label = fact.label, .value = value});
    }
    for (const FigureGroup& group : report.groups) {
        const CsvRow base = groupRow(group);
        addFigureRows(text, base, group.figures);
        for (const Series& series : group.series) {
            for (std::size_t i = 0; i < series.x.size(); ++i) {
                CsvRow row = base;
                row.key = series.key;
                row.label = series.label;
                row.unit = unitName(series.unit);
                row.x = csvNumber(series.x[i]);
                row.value = csvNumber(series.value[i]);
                if (i < series.ci95.size() && series.ci95[i].known) {
                    row.low = csvNumber(series.ci95[i].low);
                    row.high = csvNumber(series.ci95[i].high);
                }
                addCsvRow(text, row);
            }
            if (series.measuredTo) {
                CsvRow row = base;
                row.key = series.key + "_measured_to";
                row.label = series.label + "の実測の上限";
                row.unit = unitName(series.xUnit);
                row.value = csvNumber(series.measuredTo);
                addCsvRow(text, row);
            }
        }
        addFigureRows(text, base, group.details);
    }
    if (report.partial) {
        addCsvRow(text, {.source = "run",
                         .key = std::string(fact::partial.key),
                         .label = std::string(fact::partial.label),
                         .value = "1"});
    }
    if (report.timing) {
        addCsvRow(text, {.source = "timing",
                         .key = std::string(fact::seconds.key),
                         .label = std::string(fact::seconds.label),
                         .value = fmt::format("{:.3f}", report.timing->seconds)});
        if (report.timing->gamesPerSecond) {
            addCsvRow(text, {.source = "timing",
                             .key = std::string(fact::gamesPerSecond.key),
                             .label = std::string(fact::gamesPerSecond.label),
                             .value = fmt::format("{:.0f}", *report.timing->gamesPerSecond)});
        }
    }
    return text;
}

}  // namespace korvale
