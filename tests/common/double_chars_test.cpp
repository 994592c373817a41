// The fallback conversions (used where the standard library lacks them for double) hold
// against the standard library's own: the same digits written, the same double read.
#include "common/double_chars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <system_error>

namespace korvale {
namespace {

std::string written(double value, int precision = -1) {
    char buffer[400];
    const auto result =
        precision < 0 ? fallback::doubleToChars(buffer, buffer + sizeof buffer, value)
                      : fallback::doubleToChars(buffer, buffer + sizeof buffer, value, precision);
    EXPECT_EQ(result.ec, std::errc{});
    return std::string(buffer, result.ptr);
}

std::string standardWritten(double value, int precision = -1) {
    char buffer[400];
    const auto result = precision < 0 ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                                      std::chars_format::fixed)
                                      : std::to_chars(buffer, buffer + sizeof buffer, value,
                                                      std::chars_format::fixed, precision);
    return std::string(buffer, result.ptr);
}

TEST(DoubleChars, WritesTheTypedDigits) {
    const struct {
        double value;
        int precision;
        const char* text;
    } cases[] = {
        {0.1, -1, "0.1"},
        {-240.21751213545156, -1, "-240.21751213545156"},
        {1e21, -1, "1000000000000000000000"},
        {5e-7, -1, "0.0000005"},
        {123.0, -1, "123"},
        {2.675, 2, "2.67"},  // 2.675 is stored a little below
        {0.125, 2, "0.12"},
        {-0.001, 2, "-0.00"},
        {1.5, 0, "2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(written(c.value, c.precision), c.text) << c.value;
    }
}

TEST(DoubleChars, AgreesWithTheStandardLibraryOnRandomValues) {
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> exponent(-12.0, 15.0);
    for (int i = 0; i < 20000; ++i) {
        const double value = (i % 2 ? -1.0 : 1.0) * std::pow(10.0, exponent(random));
        ASSERT_EQ(written(value), standardWritten(value)) << value;
        ASSERT_EQ(written(value, 2), standardWritten(value, 2)) << value;
        const std::string text = standardWritten(value);
        double read = 0.0;
        const auto result = fallback::doubleFromChars(text.data(), text.data() + text.size(), read,
                                                      std::chars_format::general);
        ASSERT_EQ(result.ptr, text.data() + text.size());
        ASSERT_EQ(read, value) << text;
    }
}

TEST(DoubleChars, ReadsAsFromCharsDoes) {
    const struct {
        const char* text;
        std::chars_format format;
        std::size_t used;
        std::errc ec;
        double value;
    } cases[] = {
        {"1.5e3x", std::chars_format::general, 5, std::errc{}, 1500.0},
        {"1.5e3", std::chars_format::fixed, 3, std::errc{}, 1.5},
        {"2e", std::chars_format::general, 1, std::errc{}, 2.0},
        {".5", std::chars_format::general, 2, std::errc{}, 0.5},
        {"1e400", std::chars_format::general, 5, std::errc::result_out_of_range, 0.0},
        {"1e-400", std::chars_format::general, 6, std::errc::result_out_of_range, 0.0},
        {"-", std::chars_format::general, 0, std::errc::invalid_argument, 0.0},
        {"+1", std::chars_format::general, 0, std::errc::invalid_argument, 0.0},
    };
    for (const auto& c : cases) {
        const char* end = c.text + std::strlen(c.text);
        double fallbackValue = 0.0;
        double standardValue = 0.0;
        const auto ours = fallback::doubleFromChars(c.text, end, fallbackValue, c.format);
        const auto theirs = std::from_chars(c.text, end, standardValue, c.format);
        EXPECT_EQ(ours.ec, c.ec) << c.text;
        EXPECT_EQ(theirs.ec, c.ec) << c.text;
        if (c.ec != std::errc::invalid_argument) {
            EXPECT_EQ(static_cast<std::size_t>(ours.ptr - c.text), c.used) << c.text;
            EXPECT_EQ(ours.ptr, theirs.ptr) << c.text;
        }
        if (c.ec == std::errc{}) {
            EXPECT_EQ(fallbackValue, c.value) << c.text;
        }
    }
}

}  // namespace
}  // namespace korvale
