#include "report/format/json_format.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "report/model/fact_catalogue.h"

namespace korvale {
namespace {

using Json = nlohmann::ordered_json;

// A number that is whole (an end condition of 300 games, a net of -117 coins, a weight of 2)
// as a whole number, so that it reads the same wherever it appears; null for no value.
Json jsonNumber(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) {
        return nullptr;
    }
    if (*value == std::floor(*value) && std::fabs(*value) < 0x1p53) {
        return static_cast<std::int64_t>(*value);
    }
    return *value;
}

// Exact figures {"value": v}; measured ones also "ci95": [low, high] (null until known).
Json jsonFigures(const std::vector<Figure>& figures, Source source) {
    Json object = Json::object();
    for (const Figure& figure : figures) {
        Json entry = {{"value", jsonNumber(figure.value)}};
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
        entry["measured_to"] = jsonNumber(series.measuredTo);
    }
    return entry;
}

Json jsonGroup(const FigureGroup& group) {
    Json object = {{"source", sourceName(group.source)},
                   {"setting", group.setting >= 0 ? Json(group.setting + 1) : Json(nullptr)},
                   {"scope", scopeName(group.scope)}};
    if (group.end) {
        // Under the keys of the facts that give a run's end conditions.
        object[std::string(fact::bigEnd.key)] = jsonNumber(group.end->bigEnd);
        object[std::string(fact::regEnd.key)] = group.end->regEnd;
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
            list.push_back(jsonNumber(number));
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

}  // namespace

std::string formatJson(const Report& report) {
    Json root = {{"command", commandName(report.kind)}};
    Json run = Json::object();
    for (const Fact& fact : report.facts) {
        run[fact.key] = factValue(fact);
    }
    root["run"] = std::move(run);
    root[std::string(fact::partial.key)] = report.partial;
    Json results = Json::array();
    for (const FigureGroup& group : report.groups) {
        results.push_back(jsonGroup(group));
    }
    root["results"] = std::move(results);
    if (report.timing) {
        root["timing"] = {{std::string(fact::seconds.key), jsonNumber(report.timing->seconds)}};
        if (report.timing->gamesPerSecond) {
            root["timing"][std::string(fact::gamesPerSecond.key)] =
                jsonNumber(report.timing->gamesPerSecond);
        }
    }
    return root.dump(2) + "\n";
}

}  // namespace korvale
