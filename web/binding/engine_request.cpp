#include "web/binding/engine_request.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/number_text.h"
#include "common/status.h"

namespace korvale {

void badField(std::string_view field, std::string_view expected) {
    throw StatusError(StatusReason::BadCommandLine,
                      fmt::format("{}: expected {}", field, expected));
}

EngineRequest::EngineRequest(std::string_view text,
                             std::initializer_list<std::string_view> fields) {
    object_ = nlohmann::json::parse(text, nullptr, false);
    if (!object_.is_object()) {
        throw StatusError(StatusReason::BadCommandLine, "the request is not a JSON object");
    }
    for (const auto& item : object_.items()) {
        if (std::find(fields.begin(), fields.end(), item.key()) == fields.end()) {
            throw StatusError(StatusReason::BadCommandLine,
                              fmt::format("{}: not a field of this call", item.key()));
        }
    }
}

const nlohmann::json* EngineRequest::given(std::string_view field) const {
    const auto found = object_.find(field);
    return found == object_.end() || found->is_null() ? nullptr : &*found;
}

bool EngineRequest::has(std::string_view field) const {
    return given(field) != nullptr;
}

namespace {

// A whole number as JSON holds it, or (`digits`) as a text of digits; nothing for any other
// value.
std::optional<WholeNumber> wholeOf(const nlohmann::json& value, bool digits) {
    if (value.is_number_unsigned()) {
        return WholeNumber{.magnitude = value.get<std::uint64_t>()};
    }
    if (value.is_number_integer()) {
        const std::int64_t number = value.get<std::int64_t>();
        return WholeNumber{.negative = number < 0,
                           .magnitude = number < 0 ? 0 - static_cast<std::uint64_t>(number)
                                                   : static_cast<std::uint64_t>(number)};
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!std::isfinite(number) || number != std::floor(number) || std::fabs(number) >= 0x1p63) {
            return std::nullopt;
        }
        return WholeNumber{.negative = number < 0,
                           .magnitude = static_cast<std::uint64_t>(std::fabs(number))};
    }
    if (digits && value.is_string()) {
        return tryReadWhole(value.get<std::string>(), NumberForm::Digits);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> EngineRequest::whole(std::string_view field, std::int64_t low,
                                                 std::int64_t high) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string expected = fmt::format("a whole number from {} to {}", low, high);
    const std::optional<WholeNumber> number = wholeOf(*value, false);
    if (!number || number->beyond64Bits ||
        number->magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        badField(field, expected);
    }
    const auto magnitude = static_cast<std::int64_t>(number->magnitude);
    const std::int64_t signedNumber = number->negative ? -magnitude : magnitude;
    if (signedNumber < low || signedNumber > high) {
        badField(field, expected);
    }
    return signedNumber;
}

std::optional<std::uint64_t> EngineRequest::seed(std::string_view field) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::optional<WholeNumber> number = wholeOf(*value, true);
    if (!number || number->negative || number->beyond64Bits) {
        badField(field, "a whole number from 0 to 18446744073709551615, or its digits as a text");
    }
    return number->magnitude;
}

std::optional<double> EngineRequest::decimal(std::string_view field, double low,
                                             double high) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_number() || !(value->get<double>() >= low && value->get<double>() <= high)) {
        badField(field, fmt::format("a number from {} to {}", numberText(low), numberText(high)));
    }
    return value->get<double>();
}

std::optional<std::string> EngineRequest::text(std::string_view field, std::size_t longest) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_string() || value->get_ref<const std::string&>().size() > longest) {
        badField(field, fmt::format("a text of at most {} bytes", longest));
    }
    return value->get<std::string>();
}

std::optional<std::string> EngineRequest::choice(
    std::string_view field, std::initializer_list<std::string_view> choices) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (value->is_string()) {
        const std::string& chosen = value->get_ref<const std::string&>();
        if (std::find(choices.begin(), choices.end(), chosen) != choices.end()) {
            return chosen;
        }
    }
    std::string expected;
    for (const std::string_view one : choices) {
        expected += fmt::format("{}\"{}\"", expected.empty() ? "" : " or ", one);
    }
    badField(field, expected);
}

bool EngineRequest::flag(std::string_view field) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return false;
    }
    if (!value->is_boolean()) {
        badField(field, "true or false");
    }
    return value->get<bool>();
}

std::optional<std::array<std::int32_t, 3>> EngineRequest::range(std::string_view field,
                                                                std::int32_t largest) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string expected = fmt::format(
        "[first, last, step], whole numbers with 0 <= first <= last <= {} and step >= 1", largest);
    if (!value->is_array() || value->size() != 3) {
        badField(field, expected);
    }
    std::array<std::int32_t, 3> numbers{};
    const std::array<std::int64_t, 3> lows{0, 0, 1};
    const std::array<std::int64_t, 3> highs{largest, largest, INT32_MAX};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::optional<WholeNumber> number = wholeOf((*value)[i], false);
        if (!number || number->negative || number->beyond64Bits ||
            number->magnitude < static_cast<std::uint64_t>(lows[i]) ||
            number->magnitude > static_cast<std::uint64_t>(highs[i])) {
            badField(field, expected);
        }
        numbers[i] = static_cast<std::int32_t>(number->magnitude);
    }
    if (numbers[0] > numbers[1]) {
        badField(field, expected);
    }
    return numbers;
}

std::optional<SettingVector> EngineRequest::prior(std::string_view field) const {
    const nlohmann::json* value = given(field);
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string_view expected =
        "six weights of 設定１..設定６, each at least 0, not all 0, their sum finite";
    if (!value->is_array() || value->size() != settingCount) {
        badField(field, expected);
    }
    SettingVector weights{};
    double sum = 0.0;
    for (std::size_t s = 0; s < settingCount; ++s) {
        if (!(*value)[s].is_number() || !((*value)[s].get<double>() >= 0.0)) {
            badField(field, expected);
        }
        weights[s] = (*value)[s].get<double>();
        sum += weights[s];
    }
    if (!(sum > 0.0) || !std::isfinite(sum)) {
        badField(field, expected);
    }
    return weights;
}

}  // namespace korvale
