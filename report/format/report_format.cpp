#include "report/format/report_format.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "common/csv.h"
#include "report/format/table_text.h"

namespace korvale {
namespace {

// ---- Table ----------------------------------------------------------------------------------

std::string groupTitle(const FigureGroup& group) {
    std::string title = group.setting >= 0 ? settingName(group.setting) : "全設定";
    if (group.source == Source::Simulated) {
        title += " 実測";
    }
    return title;
}

std::string endConditionText(const EndConditions& end) {
    return fmt::format("BIG後{} REG後{}", significant(end.bigEnd), end.regEnd);
}

std::string intervalText(const Figure& figure) {
    if (!figure.ci95.known) {
        return "";
    }
    return fmt::format("{} – {}", figureText(figure.unit, figure.ci95.low),
                       figureText(figure.unit, figure.ci95.high));
}

// The keys of a block's figures in order of first appearance, each with its first figure.
std::vector<const Figure*> rowFigures(const std::vector<const FigureGroup*>& groups) {
    std::vector<const Figure*> rows;
    for (const FigureGroup* group : groups) {
        for (const Figure& figure : group->figures) {
            const bool seen = std::any_of(rows.begin(), rows.end(), [&](const Figure* row) {
                return row->key == figure.key;
            });
            if (!seen) {
                rows.push_back(&figure);
            }
        }
    }
    return rows;
}

// A few groups: a row per figure, a column per group (and one for the 95% interval of each
// measured group).
void writeFiguresByRow(TextTable& table, const std::vector<const FigureGroup*>& groups) {
    std::vector<std::string> heading = {""};
    for (const FigureGroup* group : groups) {
        heading.push_back(groupTitle(*group));
        if (group->source == Source::Simulated) {
            heading.push_back("95%区間");
        }
    }
    table.addHeading(heading);
    for (const Figure* row : rowFigures(groups)) {
        std::vector<std::string> cells = {row->label};
        for (const FigureGroup* group : groups) {
            const Figure* figure = group->find(row->key);
            cells.push_back(figure ? figureText(figure->unit, figure->value) : "");
            if (group->source == Source::Simulated) {
                cells.push_back(figure ? intervalText(*figure) : "");
            }
        }
        table.addRow(cells);
    }
}

// "一回", "千G" or both for a sweep point that is best per attempt or per 1000 games.
std::string bestMark(const FigureGroup& group) {
    std::string mark;
    for (const Figure& detail : group.details) {
        if (detail.value == 1.0 && detail.key == "best_per_attempt") {
            mark += "一回";
        } else if (detail.value == 1.0 && detail.key == "best_per_1000_games") {
            mark += mark.empty() ? "千G" : "・千G";
        }
    }
    return mark;
}

// Many groups (a sweep): a row per group, a column per figure.
void writeGroupsByRow(TextTable& table, const std::vector<const FigureGroup*>& groups,
                      bool markBest) {
    const std::vector<const Figure*> columns = rowFigures(groups);
    std::vector<std::string> heading = {"設定", "終了条件"};
    if (markBest) {
        heading.push_back("最善");
    }
    for (const Figure* column : columns) {
        heading.push_back(column->label);
    }
    table.addHeading(heading);
    for (const FigureGroup* group : groups) {
        std::vector<std::string> cells = {groupTitle(*group),
                                          group->end ? endConditionText(*group->end) : ""};
        if (markBest) {
            cells.push_back(bestMark(*group));
        }
        for (const Figure* column : columns) {
            const Figure* figure = group->find(column->key);
            cells.push_back(figure ? figureText(figure->unit, figure->value) : "");
        }
        table.addRow(cells);
    }
}

std::string blockTitle(const FigureGroup& group) {
    std::string title{};
    switch (group.scope) {
        case Scope::LongRun:
            title = "長期の数値（通常）";
            break;
        case Scope::Attempt:
            title = "一回の挑戦（特別）";
            break;
        case Scope::History:
            title = "履歴からの判別";
            break;
    }
    if (group.end) {
        title += "  " + endConditionText(*group.end);
    }
    return title;
}

bool sameBlock(const FigureGroup& a, const FigureGroup& b) {
    const bool sameEnd =
        a.end.has_value() == b.end.has_value() &&
        (!a.end || (a.end->bigEnd == b.end->bigEnd && a.end->regEnd == b.end->regEnd));
    // A group for every setting together (a history's summary) stands apart from the settings'.
    const bool sameSpan = (a.setting < 0) == (b.setting < 0);
    return a.scope == b.scope && sameSpan && (sameEnd || a.scope != Scope::Attempt);
}

// Series are long: the table says where to find them, and shows short ones whole.
void writeSeriesSummary(std::string& text, const FigureGroup& group) {
    for (const Series& series : group.series) {
        if (series.x.size() > 16) {
            const std::string reach =
                series.measuredTo
                    ? fmt::format("、{}まで実測", figureText(series.xUnit, *series.measuredTo))
                    : "";
            text += fmt::format("{}  {}: {}点{}（CSV・JSONに全点）\n", groupTitle(group),
                                series.label, series.x.size(), reach);
            continue;
        }
        TextTable table;
        table.addHeading({groupTitle(group) + " " + series.label, ""});
        for (std::size_t i = 0; i < series.x.size(); ++i) {
            table.addRow(
                {figureText(series.xUnit, series.x[i]), figureText(series.unit, series.value[i])});
        }
        text += table.text() + "\n";
    }
}

std::string formatTable(const Report& report) {
    std::string text{};
    if (!report.facts.empty()) {
        TextTable facts;
        for (const Fact& fact : report.facts) {
            facts.addRow({fact.label, fact.shown.empty() ? fact.value : fact.shown});
        }
        text += facts.text() + "\n";
    }
    if (report.partial) {
        text += "（中断: 途中までに遊技した分の数値です）\n\n";
    }
    // Consecutive groups of one scope (and one end condition, unless it varies within a sweep)
    // make one block.
    std::size_t first = 0;
    while (first < report.groups.size()) {
        std::size_t last = first + 1;
        const bool sweep = report.command == "sweep";
        while (last < report.groups.size() &&
               (sweep ? report.groups[last].scope == report.groups[first].scope
                      : sameBlock(report.groups[first], report.groups[last]))) {
            ++last;
        }
        std::vector<const FigureGroup*> block;
        for (std::size_t i = first; i < last; ++i) {
            block.push_back(&report.groups[i]);
        }
        TextTable table;
        if (sweep) {
            // A sweep's table shows each setting's best rules; CSV and JSON carry every point.
            std::erase_if(block, [](const FigureGroup* group) { return bestMark(*group).empty(); });
            text += "各設定の最善の終了条件（全ての点はCSV・JSONに）\n";
            writeGroupsByRow(table, block, true);
        } else if (block.size() > 6) {
            text += blockTitle(FigureGroup{.scope = block.front()->scope}) + "\n";
            writeGroupsByRow(table, block, false);
        } else {
            text += blockTitle(*block.front()) + "\n";
            writeFiguresByRow(table, block);
        }
        text += table.text() + "\n";
        for (const FigureGroup* group : block) {
            writeSeriesSummary(text, *group);
        }
        first = last;
    }
    if (report.timing) {
        TextTable timing;
        timing.addRow({"時間（秒）", fmt::format("{:.3f}", report.timing->seconds)});
        if (report.timing->gamesPerSecond) {
            timing.addRow({"ゲーム/秒", fmt::format("{:.0f}", *report.timing->gamesPerSecond)});
        }
        text += timing.text();
    }
    return text;
}

// ---- CSV ------------------------------------------------------------------------------------

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

std::string formatCsv(const Report& report) {
    // UTF-8 with a byte-order mark and CRLF line ends, as every CSV the programs write.
    std::string text =
        "\xEF\xBB\xBF"
        "source,setting,scope,big_end,reg_end,key,label,unit,x,value,ci95_low,ci95_high\r\n";
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
        addCsvRow(text, {.source = "run", .key = "partial", .label = "中断", .value = "1"});
    }
    if (report.timing) {
        addCsvRow(text, {.source = "timing",
                         .key = "seconds",
                         .label = "時間（秒）",
                         .value = fmt::format("{:.3f}", report.timing->seconds)});
        if (report.timing->gamesPerSecond) {
            addCsvRow(text, {.source = "timing",
                             .key = "games_per_second",
                             .label = "ゲーム/秒",
                             .value = fmt::format("{:.0f}", *report.timing->gamesPerSecond)});
        }
    }
    return text;
}

// ---- JSON -----------------------------------------------------------------------------------

using Json = nlohmann::ordered_json;

Json jsonNumber(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) {
        return nullptr;
    }
    return *value;
}

// A number that is whole (an end condition of 300 games, a weight of 2) as a whole number, so
// that it reads the same in the run's facts and in the results.
Json wholeOrDouble(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 0x1p53) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

// Exact figures {"value": v}; measured ones also "ci95": [low, high] (null until known).
Json jsonFigures(const std::vector<Figure>& figures, Source source) {
    Json object = Json::object();
    for (const Figure& figure : figures) {
        Json entry = {{"value", jsonNumber(figure.value)}};
        if (figure.unit == Unit::Count && figure.value && std::fabs(*figure.value) < 0x1p53) {
            entry["value"] = static_cast<std::int64_t>(*figure.value);  // whole, as counted
        }
        if (source == Source::Simulated) {
            entry["ci95"] =
                figure.ci95.known
                    ? Json::array({jsonNumber(figure.ci95.low), jsonNumber(figure.ci95.high)})
                    : Json(nullptr);
        }
        object[figure.key] = std::move(entry);
    }
    return object;
}

Json jsonSeries(const Series& series) {
    Json x = Json::array();
    Json value = Json::array();
    for (std::size_t i = 0; i < series.x.size(); ++i) {
        x.push_back(jsonNumber(series.x[i]));
        value.push_back(jsonNumber(series.value[i]));
    }
    Json entry = {{"x", std::move(x)}, {"value", std::move(value)}};
    if (!series.ci95.empty()) {
        Json intervals = Json::array();
        for (const Interval& interval : series.ci95) {
            intervals.push_back(
                interval.known ? Json::array({jsonNumber(interval.low), jsonNumber(interval.high)})
                               : Json(nullptr));
        }
        entry["ci95"] = std::move(intervals);
    }
    if (series.measuredTo) {
        entry["measured_to"] = *series.measuredTo;
    }
    return entry;
}

Json jsonGroup(const FigureGroup& group) {
    Json object = {{"source", sourceName(group.source)},
                   {"setting", group.setting >= 0 ? Json(group.setting + 1) : Json(nullptr)},
                   {"scope", scopeName(group.scope)}};
    if (group.end) {
        object["big_end"] = wholeOrDouble(group.end->bigEnd);
        object["reg_end"] = group.end->regEnd;
    }
    object["figures"] = jsonFigures(group.figures, group.source);
    if (!group.series.empty()) {
        Json series = Json::object();
        for (const Series& one : group.series) {
            series[one.key] = jsonSeries(one);
        }
        object["series"] = std::move(series);
    }
    if (!group.details.empty()) {
        object["details"] = jsonFigures(group.details, Source::Exact);
    }
    return object;
}

Json factValue(const Fact& fact) {
    if (!fact.numbers.empty()) {
        Json list = Json::array();
        for (const double number : fact.numbers) {
            list.push_back(wholeOrDouble(number));
        }
        return list;
    }
    if (!fact.isNumber) {
        return fact.value;
    }
    // Whole numbers stay whole (a seed needs all 64 bits); others are doubles.
    if (!fact.value.empty() && fact.value.find_first_not_of("0123456789") == std::string::npos) {
        return std::stoull(fact.value);
    }
    return std::stod(fact.value);
}

std::string formatJson(const Report& report) {
    Json root = {{"command", report.command}};
    Json run = Json::object();
    for (const Fact& fact : report.facts) {
        run[fact.key] = factValue(fact);
    }
    root["run"] = std::move(run);
    root["partial"] = report.partial;
    Json results = Json::array();
    for (const FigureGroup& group : report.groups) {
        results.push_back(jsonGroup(group));
    }
    root["results"] = std::move(results);
    if (report.timing) {
        root["timing"] = {{"seconds", report.timing->seconds}};
        if (report.timing->gamesPerSecond) {
            root["timing"]["games_per_second"] = *report.timing->gamesPerSecond;
        }
    }
    return root.dump(2) + "\n";
}

}  // namespace

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
