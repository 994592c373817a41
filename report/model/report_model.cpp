#include "report/model/report_model.h"

namespace korvale {

const char* unitName(Unit unit) {
    switch (unit) {
        case Unit::Count:
            return "count";
        case Unit::Games:
            return "games";
        case Unit::Coins:
            return "coins";
        case Unit::OneIn:
            return "games_per_event";
        case Unit::Percent:
            return "percent";
        case Unit::Share:
            return "share";
        case Unit::Setting:
            return "setting";
        case Unit::Yen:
            return "yen";
        case Unit::Hours:
            return "hours";
        case Unit::Number:
            break;
    }
    return "number";
}

const char* sourceName(Source source) {
    return source == Source::Exact ? "exact" : "simulated";
}

const char* scopeName(Scope scope) {
    switch (scope) {
        case Scope::LongRun:
            return "long_run";
        case Scope::Attempt:
            return "attempt";
        case Scope::Day:
            return "day";
        case Scope::History:
            break;
    }
    return "history";
}

const char* commandName(ReportKind kind) {
    switch (kind) {
        case ReportKind::Simulation:
            return "simulate";
        case ReportKind::Exact:
            return "exact";
        case ReportKind::Sweep:
            return "sweep";
        case ReportKind::Hunt:
            return "hunt";
        case ReportKind::Inference:
            break;
    }
    return "infer";
}

const Figure* FigureGroup::find(std::string_view key) const {
    for (const Figure& figure : figures) {
        if (figure.key == key) {
            return &figure;
        }
    }
    return nullptr;
}

}  // namespace korvale
