#include "common/double_chars.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace korvale {

std::from_chars_result doubleFromChars(const char* first, const char* last, double& value,
                                       std::chars_format format) {
#if defined(__cpp_lib_to_chars)
    return std::from_chars(first, last, value, format);
#else
    return fallback::doubleFromChars(first, last, value, format);
#endif
}

std::to_chars_result doubleToChars(char* first, char* last, double value) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value, std::chars_format::fixed);
#else
    return fallback::doubleToChars(first, last, value);
#endif
}

std::to_chars_result doubleToChars(char* first, char* last, double value, int precision) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value, std::chars_format::fixed, precision);
#else
    return fallback::doubleToChars(first, last, value, precision);
#endif
}

namespace fallback {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the longest decimal number at the start of [first, last) in from_chars'
// grammar: an optional '-', digits with at most one point (at least one digit), and, unless
// format is fixed, an exponent when one follows in full.
std::size_t decimalLength(const char* first, const char* last, std::chars_format format) {
    const char* p = first;
    if (p != last && *p == '-') {
        ++p;
    }
    std::size_t digits = 0;
    while (p != last && isDigit(*p)) {
        ++p;
        ++digits;
    }
    if (p != last && *p == '.') {
        ++p;
        while (p != last && isDigit(*p)) {
            ++p;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (format != std::chars_format::fixed && p != last && (*p == 'e' || *p == 'E')) {
        const char* exponent = p + 1;
        if (exponent != last && (*exponent == '+' || *exponent == '-')) {
            ++exponent;
        }
        if (exponent != last && isDigit(*exponent)) {
            while (exponent != last && isDigit(*exponent)) {
                ++exponent;
            }
            p = exponent;
        }
    }
    return static_cast<std::size_t>(p - first);
}

std::to_chars_result copyOut(const std::string& text, char* first, char* last) {
    if (text.size() > static_cast<std::size_t>(last - first)) {
        return {last, std::errc::value_too_large};
    }
    std::memcpy(first, text.data(), text.size());
    return {first + text.size(), std::errc{}};
}

// Digits d1 d2 ... dn with the point after the first, times 10^exponent, in fixed notation.
std::string fixedFromScientific(bool negative, const std::string& digits, int exponent) {
    std::string text = negative ? "-" : "";
    const int pointAt = exponent + 1;  // digits before the point
    if (pointAt <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-pointAt), '0');
        text += digits;
    } else if (static_cast<std::size_t>(pointAt) >= digits.size()) {
        text += digits;
        text.append(static_cast<std::size_t>(pointAt) - digits.size(), '0');
    } else {
        text += digits.substr(0, static_cast<std::size_t>(pointAt));
        text += '.';
        text += digits.substr(static_cast<std::size_t>(pointAt));
    }
    return text;
}

}  // namespace

std::from_chars_result doubleFromChars(const char* first, const char* last, double& value,
                                       std::chars_format format) {
    const std::size_t length = decimalLength(first, last, format);
    if (length == 0) {
        return {first, std::errc::invalid_argument};
    }
    const std::string text(first, length);
    errno = 0;
    const double read = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && (std::isinf(read) || read == 0.0)) {
        return {first + length, std::errc::result_out_of_range};
    }
    value = read;
    return {first + length, std::errc{}};
}

std::to_chars_result doubleToChars(char* first, char* last, double value) {
    if (!std::isfinite(value)) {
        return copyOut(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"), first, last);
    }
    if (value == 0.0) {
        return copyOut(std::signbit(value) ? "-0" : "0", first, last);
    }
    // The fewest significant digits that read back as value.
    char scientific[40];
    for (int significant = 1; significant <= 17; ++significant) {
        std::snprintf(scientific, sizeof scientific, "%.*e", significant - 1, value);
        if (std::strtod(scientific, nullptr) == value) {
            break;
        }
    }
    const bool negative = scientific[0] == '-';
    const char* mantissa = scientific + (negative ? 1 : 0);
    const char* e = std::strchr(mantissa, 'e');
    std::string digits;
    for (const char* p = mantissa; p != e; ++p) {
        if (*p != '.') {
            digits += *p;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    return copyOut(fixedFromScientific(negative, digits, std::atoi(e + 1)), first, last);
}

std::to_chars_result doubleToChars(char* first, char* last, double value, int precision) {
    if (!std::isfinite(value)) {
        return copyOut(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"), first, last);
    }
    const int length = std::snprintf(nullptr, 0, "%.*f", precision, value);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", precision, value);
    text.pop_back();
    return copyOut(text, first, last);
}

}  // namespace fallback
}  // namespace korvale
