#pragma once

// A request to the engine: one JSON object whose fields are read strictly, each to its type and
// within the limits given. A field that is absent or null is not given. Anything else (a text
// that is not a JSON object, a field the call does not take, a value of the wrong type or
// beyond its limits) is a StatusError (BadCommandLine) whose message names the field and what
// it takes.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/inference/filter_tables.h"

namespace korvale {

class EngineRequest {
  public:
    // `fields`: every field the call takes.
    EngineRequest(std::string_view text, std::initializer_list<std::string_view> fields);

    bool has(std::string_view field) const;
    // A whole number from `low` to `high`: a JSON integer (or a number without a fraction).
    std::optional<std::int64_t> whole(std::string_view field, std::int64_t low,
                                      std::int64_t high) const;
    // 0 .. 2^64 - 1, also as a text of digits: beyond 2^53 a JavaScript number is not exact.
    std::optional<std::uint64_t> seed(std::string_view field) const;
    // A finite number from `low` to `high`.
    std::optional<double> decimal(std::string_view field, double low, double high) const;
    // A text of at most `longest` bytes.
    std::optional<std::string> text(std::string_view field, std::size_t longest) const;
    // One of `choices`.
    std::optional<std::string> choice(std::string_view field,
                                      std::initializer_list<std::string_view> choices) const;
    bool flag(std::string_view field) const;  // false when not given
    // [first, last, step]: whole numbers, 0 <= first <= last <= largest, step >= 1.
    std::optional<std::array<std::int32_t, 3>> range(std::string_view field,
                                                     std::int32_t largest) const;
    // Six weights, each at least 0, not all 0, their sum finite.
    std::optional<SettingVector> prior(std::string_view field) const;

  private:
    const nlohmann::json* given(std::string_view field) const;

    nlohmann::json object_;
};

// Refuses the request: a StatusError (BadCommandLine) naming `field`.
[[noreturn]] void badField(std::string_view field, std::string_view expected);

}  // namespace korvale
