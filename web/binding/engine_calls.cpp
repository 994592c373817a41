#include "web/binding/engine_calls.h"

#include <fmt/format.h>

#include <functional>
#include <map>
#include <new>
#include <nlohmann/json.hpp>

#include "report/format/json_format.h"
#include "web/binding/analysis_calls.h"
#include "web/binding/frontier_call.h"
#include "web/binding/simulate_calls.h"
#include "web/binding/value_calls.h"

namespace korvale {
namespace {

// A request is short: even a history of a whole day's bonuses is some kilobytes.
constexpr std::size_t largestRequestBytes = std::size_t{16} << 20;

const char* codeName(StatusCode code) {
    switch (code) {
        case StatusCode::Ok:
            return "Ok";
        case StatusCode::Cancelled:
            return "Cancelled";
        case StatusCode::InvalidInput:
            return "InvalidInput";
        case StatusCode::OutOfRange:
            return "OutOfRange";
        case StatusCode::NoSolution:
            return "NoSolution";
    }
    return "InvalidInput";
}

const char* reasonName(StatusReason reason) {
    switch (reason) {
        case StatusReason::None:
            return "None";
        case StatusReason::Cancelled:
            return "Cancelled";
        case StatusReason::Overflow:
            return "Overflow";
        case StatusReason::DivisionByZero:
            return "DivisionByZero";
        case StatusReason::InvalidOperation:
            return "InvalidOperation";
        case StatusReason::FloatOverflow:
            return "FloatOverflow";
        case StatusReason::TypeMismatch:
            return "TypeMismatch";
        case StatusReason::EndBeyondTables:
            return "EndBeyondTables";
        case StatusReason::LawNotCovered:
            return "LawNotCovered";
        case StatusReason::AttemptsTooLong:
            return "AttemptsTooLong";
        case StatusReason::NoSolution:
            return "NoSolution";
        case StatusReason::ImpossibleHistory:
            return "ImpossibleHistory";
        case StatusReason::NotABonusHistory:
            return "NotABonusHistory";
        case StatusReason::FileNotRead:
            return "FileNotRead";
        case StatusReason::FileNotWritten:
            return "FileNotWritten";
        case StatusReason::BadCommandLine:
            return "BadRequest";
    }
    return "BadRequest";
}

using Call = std::function<std::string(std::string_view request, ThrottledProgress& progress)>;

const std::map<std::string, Call, std::less<>>& calls() {
    static const std::map<std::string, Call, std::less<>> table{
        {"hunt", huntCall},
        {"infer", inferCall},
        {"sweep", sweepCall},
        {"day", dayCall},
        {"simulate", simulateCall},
        {"simulate_merge", simulateMergeCall},
        {"frontier",
         [](std::string_view request, ThrottledProgress&) { return frontierCall(request); }},
        {"read_number",
         [](std::string_view request, ThrottledProgress&) { return readNumberCall(request); }},
        {"figure_keys", [](std::string_view, ThrottledProgress&) { return figureKeysCall(); }},
    };
    return table;
}

std::string failureOf(StatusReason reason, std::string message) {
    return failureAnswer(Status(reason, std::move(message)));
}

}  // namespace

std::string reportAnswer(const Report& report) {
    return "{\"ok\":true,\"report\":" + formatJson(report) + "}";
}

std::string failureAnswer(const Status& status) {
    const nlohmann::ordered_json answer = {{"ok", false},
                                           {"code", codeName(status.code())},
                                           {"reason", reasonName(status.reason())},
                                           {"message", status.message()}};
    return answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string callEngine(std::string_view name, std::string_view request,
                       const EngineProgress& progress) {
    const auto call = calls().find(name);
    if (call == calls().end()) {
        return failureOf(StatusReason::BadCommandLine, "no call of that name");
    }
    if (request.size() > largestRequestBytes) {
        return failureOf(StatusReason::BadCommandLine, "the request is longer than 16 MiB");
    }
    try {
        ThrottledProgress throttled(progress);
        return call->second(request, throttled);
    } catch (const StatusError& error) {
        return failureAnswer(error.status());
    } catch (const std::bad_alloc&) {
        return failureOf(StatusReason::Overflow, "the work needs more memory than the page has");
    } catch (const std::exception& error) {
        // A request the analysis refuses as out of its contract (std::invalid_argument and the
        // like): said as it stands.
        return failureOf(StatusReason::BadCommandLine, error.what());
    } catch (...) {
        return failureOf(StatusReason::BadCommandLine, "the request could not be carried out");
    }
}

}  // namespace korvale
