#pragma once

// Reading and writing a double as decimal text, as std::from_chars and std::to_chars do. Where
// the standard library has them for double (__cpp_lib_to_chars) these forward to it; where it
// lacks them (the WebAssembly build's library) the fallbacks below take their place: correctly
// rounded like the standard ones, so every build prints and reads the same digits.

#include <charconv>

namespace korvale {

std::from_chars_result doubleFromChars(const char* first, const char* last, double& value,
                                       std::chars_format format);
// The shortest digits that read back as value, in fixed notation.
std::to_chars_result doubleToChars(char* first, char* last, double value);
// value rounded to precision digits after the point, in fixed notation.
std::to_chars_result doubleToChars(char* first, char* last, double value, int precision);

namespace fallback {

// From C's strtod and snprintf, which are correctly rounded; compiled everywhere, so that the
// tests can hold them against the standard library's.
std::from_chars_result doubleFromChars(const char* first, const char* last, double& value,
                                       std::chars_format format);
std::to_chars_result doubleToChars(char* first, char* last, double value);
std::to_chars_result doubleToChars(char* first, char* last, double value, int precision);

}  // namespace fallback
}  // namespace korvale
