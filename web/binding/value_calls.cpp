#include "web/binding/value_calls.h"

#include <fmt/format.h>

#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "common/full_width.h"
#include "common/number_text.h"
#include "report/model/figure_catalogue.h"
#include "web/binding/engine_request.h"

namespace korvale {
namespace {

std::string refusal(std::string_view reason, std::string_view message) {
    const nlohmann::ordered_json answer = {
        {"ok", false}, {"code", "InvalidInput"}, {"reason", reason}, {"message", message}};
    return answer.dump();
}

// Whether the text holds only blanks: spaces, tabs and ideographic spaces.
bool blank(std::string_view text) {
    std::string folded;
    const std::string_view ascii = foldFullWidth(text, folded);
    return ascii.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::string readNumberCall(std::string_view text) {
    const EngineRequest request(text, {"text", "whole", "min", "max"});
    const std::string typed = request.text("text", 4096).value_or("");
    const bool whole = request.flag("whole");
    const double lowest = std::numeric_limits<double>::lowest();
    const double highest = std::numeric_limits<double>::max();
    const double min = request.decimal("min", lowest, highest).value_or(-HUGE_VAL);
    const double max = request.decimal("max", lowest, highest).value_or(HUGE_VAL);
    if (blank(typed)) {
        return refusal("Empty", "nothing was typed");
    }
    const std::optional<StrictNumber> number = tryReadStrict(typed, NumberForm::Number);
    if (!number) {
        return refusal("NotANumber", "the text is not a number");
    }
    if (whole && !number->tooLarge && !tryReadWhole(typed, NumberForm::Number)) {
        return refusal("NotWhole", "the number is not whole");
    }
    if (number->value < min) {
        return refusal("BelowMinimum", fmt::format("the number is below {}", numberText(min)));
    }
    if (number->value > max) {
        return refusal("AboveMaximum", fmt::format("the number is above {}", numberText(max)));
    }
    return nlohmann::ordered_json{{"ok", true}, {"value", number->value}}.dump();
}

std::string figureKeysCall() {
    return nlohmann::ordered_json{{"ok", true}, {"report", catalogueKeys()}}.dump();
}

}  // namespace korvale
