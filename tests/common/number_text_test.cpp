#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "common/random_source.h"
#include "common/status.h"
#include "tests/support/expect_runtime_error.h"

namespace korvale {
namespace {

void expectStrictError(std::string_view text, StatusReason kind) {
    testing::expectRuntimeError(
        kind, [&] { readStrict(text); }, std::string(text));
}

TEST(LenientReadingTest, TakesTheNumberATextBeginsWith) {
    EXPECT_EQ(readLenient("300"), 300.0);
    EXPECT_EQ(readLenient("  \t12.5kg"), 12.5);
    EXPECT_EQ(readLenient("-7"), -7.0);
    EXPECT_EQ(readLenient("+7"), 7.0);
    EXPECT_EQ(readLenient(".5"), 0.5);
    EXPECT_EQ(readLenient("-.50"), -0.5);
    EXPECT_EQ(readLenient("3."), 3.0);
    EXPECT_EQ(readLenient("1.2.3"), 1.2);
    EXPECT_EQ(readLenient("1e3"), 1.0);  // no exponent in a lenient reading
    EXPECT_EQ(readLenient("12 34"), 12.0);
}

TEST(LenientReadingTest, TextWithoutANumberIsZero) {
    EXPECT_EQ(readLenient(""), 0.0);
    EXPECT_EQ(readLenient("abc"), 0.0);
    EXPECT_EQ(readLenient("-"), 0.0);
    EXPECT_EQ(readLenient("."), 0.0);
    EXPECT_EQ(readLenient("３００"), 300.0);  // full-width digits read as digits
    EXPECT_EQ(readLenient("x300"), 0.0);
}

TEST(LenientReadingTest, OutOfRangeBecomesInfinityOrZero) {
    const std::string huge = "1" + std::string(400, '0');
    EXPECT_EQ(readLenient(huge), std::numeric_limits<double>::infinity());
    EXPECT_EQ(readLenient("-" + huge), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(readLenient("0." + std::string(400, '0') + "1"), 0.0);
}

// What a Japanese keyboard types: full-width digits, signs, full stop and exponent, and the
// ideographic space, mixed with ASCII as a user may leave them. Other full-width forms fold too
// but are no part of a number: letters (Ｇ), the comma (，); the long-vowel mark and the
// ideographic space's neighbours in its block do not fold.
TEST(FullWidthReadingTest, BothReadingsTakeFullWidthAsAscii) {
    struct Case {
        const char* text;
        double lenient;
        double strict;  // NaN: a type mismatch
    };
    const double mismatch = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : {
             Case{"１０００", 1000, 1000},
             Case{"－１２．５", -12.5, -12.5},
             Case{"＋７", 7, 7},
             Case{"　３００　", 300, 300},  // ideographic spaces around
             Case{"\xe3\x80\x80\t１2３", 123, 123},
             Case{"．５", 0.5, 0.5},
             Case{"３００Ｇ", 300, mismatch},
             Case{"１ｅ３", 1, 1000},  // as the history reader reads "１ｅ３" games
             Case{"１Ｅ－２", 1, 0.01},
             Case{"1e３", 1, 1000},
             Case{"１，０００", 1, mismatch},
             Case{"ー５", 0, mismatch},      // the long-vowel mark is no minus sign
             Case{"\xef\xbc", 0, mismatch},  // a cut-off character
             Case{"5\xef\xbc\x99", 59, 59},
         }) {
        EXPECT_EQ(readLenient(c.text), c.lenient) << c.text;
        if (std::isnan(c.strict)) {
            expectStrictError(c.text, StatusReason::TypeMismatch);
        } else {
            EXPECT_EQ(readStrict(c.text), c.strict) << c.text;
        }
    }
}

TEST(StrictReadingTest, AcceptsOneWholeNumber) {
    EXPECT_EQ(readStrict("42"), 42.0);
    EXPECT_EQ(readStrict(" 42 "), 42.0);
    EXPECT_EQ(readStrict("-.50"), -0.5);
    EXPECT_EQ(readStrict("+3."), 3.0);
    EXPECT_EQ(readStrict("1e3"), 1000.0);
    EXPECT_EQ(readStrict("2.5E-1"), 0.25);
    EXPECT_EQ(readStrict("0"), 0.0);
}

TEST(StrictReadingTest, AnythingElseIsATypeMismatch) {
    for (const char* text : {"", " ", "abc", "12abc", "1 2", "1,000", "1e", "1e+", ".", "-", "inf",
                             "nan", "0x10", "３ａ", "1.2.3", "e5"}) {
        expectStrictError(text, StatusReason::TypeMismatch);
    }
}

TEST(StrictReadingTest, TooLargeIsAnOverflowAndTooSmallIsZero) {
    expectStrictError("1e400", StatusReason::Overflow);
    expectStrictError("-" + std::string(400, '9'), StatusReason::Overflow);
    expectStrictError("0.001e99999999999999999999", StatusReason::Overflow);
    EXPECT_EQ(readStrict("1e-400"), 0.0);
    EXPECT_EQ(readStrict("1e-99999999999999999999"), 0.0);
}

// Whole numbers worked out digit by digit, never through a double: 2^64 - 1 keeps its last
// digit, and 1 + 1e-20 is no whole number though it rounds to 1.0.
TEST(WholeReadingTest, ReadsEachFormExactly) {
    constexpr std::uint64_t top = 18446744073709551615u;
    const struct {
        const char* text;
        NumberForm form;
        bool whole;
        bool negative;
        std::uint64_t magnitude;
        bool beyond;
    } cases[] = {
        {"0", NumberForm::Digits, true, false, 0, false},
        {"007", NumberForm::Digits, true, false, 7, false},
        {"18446744073709551615", NumberForm::Digits, true, false, top, false},
        {"18446744073709551616", NumberForm::Digits, true, false, top, true},
        {"", NumberForm::Digits, false, false, 0, false},
        {"+7", NumberForm::Digits, false, false, 0, false},
        {" 7", NumberForm::Digits, false, false, 0, false},
        {"-1", NumberForm::Digits, false, false, 0, false},
        {"１", NumberForm::Digits, false, false, 0, false},
        {"1e3", NumberForm::Digits, false, false, 0, false},
        {"7.0", NumberForm::Digits, false, false, 0, false},
        {"+12", NumberForm::Number, true, false, 12, false},
        {" 1e3 ", NumberForm::Number, true, false, 1000, false},
        {"　１２ ", NumberForm::Number, true, false, 12, false},
        {"12.000", NumberForm::Number, true, false, 12, false},
        {"1.2e1", NumberForm::Number, true, false, 12, false},
        {"1200E-2", NumberForm::Number, true, false, 12, false},
        {".5e1", NumberForm::Number, true, false, 5, false},
        {"-5", NumberForm::Number, true, true, 5, false},
        {"-0", NumberForm::Number, true, false, 0, false},
        {"0.00e99999999999999999999", NumberForm::Number, true, false, 0, false},
        {"18446744073709551615", NumberForm::Number, true, false, top, false},
        {"1e20", NumberForm::Number, true, false, top, true},
        {"-1e400", NumberForm::Number, true, true, top, true},
        {"1.5", NumberForm::Number, false, false, 0, false},
        {"1.00000000000000000001", NumberForm::Number, false, false, 0, false},
        {"1e-400", NumberForm::Number, false, false, 0, false},
        {"99999999999999999999.5", NumberForm::Number, false, false, 0, false},
        {"1,000", NumberForm::Number, false, false, 0, false},
        {"12x", NumberForm::Number, false, false, 0, false},
        {"+", NumberForm::Number, false, false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<WholeNumber> whole = tryReadWhole(c.text, c.form);
        ASSERT_EQ(whole.has_value(), c.whole);
        if (whole) {
            EXPECT_EQ(whole->negative, c.negative);
            EXPECT_EQ(whole->magnitude, c.magnitude);
            EXPECT_EQ(whole->beyond64Bits, c.beyond);
        }
    }
}

// Each form of the strict reading, and numbers beyond a double: too large reads as an
// infinity, too small (not 0) as 0, and both say so.
TEST(StrictReadingTest, TakesEachFormAndSaysWhenANumberIsBeyondADouble) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string huge = "1" + std::string(400, '0');
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const struct {
        std::string text;
        NumberForm form;
        bool read;
        double value;
        bool tooLarge;
        bool tooSmall;
    } cases[] = {
        {"12.5", NumberForm::Decimal, true, 12.5, false, false},
        {"-.5", NumberForm::Decimal, true, -0.5, false, false},
        {"+5.", NumberForm::Decimal, true, 5, false, false},
        {"0.000", NumberForm::Decimal, true, 0, false, false},
        {" 5", NumberForm::Decimal, false, 0, false, false},
        {"1e3", NumberForm::Decimal, false, 0, false, false},
        {"３", NumberForm::Decimal, false, 0, false, false},
        {"1.2.3", NumberForm::Decimal, false, 0, false, false},
        {"-", NumberForm::Decimal, false, 0, false, false},
        {"-5", NumberForm::Digits, false, 0, false, false},
        {"0070", NumberForm::Digits, true, 70, false, false},
        {huge, NumberForm::Decimal, true, inf, true, false},
        {"-" + huge, NumberForm::Decimal, true, -inf, true, false},
        {huge, NumberForm::Digits, true, inf, true, false},
        {tiny, NumberForm::Decimal, true, 0, false, true},
        {"1e-400", NumberForm::Number, true, 0, false, true},
        {"0e-400", NumberForm::Number, true, 0, false, false},
        {"4e-320", NumberForm::Number, true, 4e-320, false, false},  // subnormal, yet not 0
        {"1e400", NumberForm::Number, true, inf, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        const std::optional<StrictNumber> number = tryReadStrict(c.text, c.form);
        ASSERT_EQ(number.has_value(), c.read);
        if (number) {
            EXPECT_EQ(number->value, c.value);
            EXPECT_EQ(number->tooLarge, c.tooLarge);
            EXPECT_EQ(number->tooSmall, c.tooSmall);
        }
    }
}

// The nearest whole number, halves to even, decided from the digits: a double would take
// 100.5000000000000000001 for the half 100.5.
TEST(WholeReadingTest, NearestWholeRoundsFromTheDigitsHalvesToEven) {
    constexpr std::uint64_t top = 18446744073709551615u;
    const struct {
        const char* text;
        NumberForm form;
        bool read;
        bool negative;
        std::uint64_t magnitude;
        bool beyond;
    } cases[] = {
        {"100.5", NumberForm::Decimal, true, false, 100, false},
        {"101.5", NumberForm::Decimal, true, false, 102, false},
        {"100.5000000000000000001", NumberForm::Decimal, true, false, 101, false},
        {"100.4999999999999999999", NumberForm::Decimal, true, false, 100, false},
        {"100.50000", NumberForm::Decimal, true, false, 100, false},
        {"0.5", NumberForm::Decimal, true, false, 0, false},
        {".51", NumberForm::Decimal, true, false, 1, false},
        {"2147483647.5", NumberForm::Decimal, true, false, 2147483648u, false},
        {"-0.4", NumberForm::Decimal, true, false, 0, false},
        {"-2.6", NumberForm::Decimal, true, true, 3, false},
        {"18446744073709551614.5", NumberForm::Decimal, true, false, top - 1, false},
        {"18446744073709551615.5", NumberForm::Decimal, true, false, top, true},
        {"1e3", NumberForm::Decimal, false, false, 0, false},
        {"25e-1", NumberForm::Number, true, false, 2, false},
        {"35E-1", NumberForm::Number, true, false, 4, false},
        {"5e-1", NumberForm::Number, true, false, 0, false},
        {"6e-1", NumberForm::Number, true, false, 1, false},
        {"5e-2", NumberForm::Number, true, false, 0, false},
        {"1.25e1", NumberForm::Number, true, false, 12, false},
        {"１．５", NumberForm::Number, true, false, 2, false},
        {"9.9e99999999999999999999", NumberForm::Number, true, false, top, true},
        {"7", NumberForm::Digits, true, false, 7, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<WholeNumber> whole = tryReadNearestWhole(c.text, c.form);
        ASSERT_EQ(whole.has_value(), c.read);
        if (whole) {
            EXPECT_EQ(whole->negative, c.negative);
            EXPECT_EQ(whole->magnitude, c.magnitude);
            EXPECT_EQ(whole->beyond64Bits, c.beyond);
        }
    }
    // Against the processor's rounding (to nearest, halves to even) of k + d / 10^6, exact at
    // the halves and far from them elsewhere.
    Xoshiro256PlusPlus generator(7);
    for (int i = 0; i < 20000; ++i) {
        const auto k = static_cast<std::int64_t>(generator.nextFraction() * 1e6);
        const auto d =
            i % 4 == 0 ? 500000 : static_cast<std::int64_t>(generator.nextFraction() * 1e6);
        char text[40];
        std::snprintf(text, sizeof text, "%lld.%06lld", static_cast<long long>(k),
                      static_cast<long long>(d));
        const double expected =
            std::nearbyint(static_cast<double>(k) + static_cast<double>(d) / 1e6);
        ASSERT_EQ(static_cast<double>(tryReadNearestWhole(text, NumberForm::Decimal)->magnitude),
                  expected)
            << text;
    }
}

// Limits hold for the number as typed: texts that read as the same double still compare by
// their digits, and sums carry across the point and into a new digit.
TEST(DecimalArithmeticTest, ComparesAndAddsTheDigitsAsTyped) {
    const struct {
        const char* a;
        const char* b;
        int order;
    } comparisons[] = {
        {"0.09999999999999999999", "0.1", -1},
        {"1000.00000000000000000001", "1000", 1},
        {"0.1", "0.10", 0},
        {"-0", "0.000", 0},
        {"007.50", "7.5", 0},
        {"-2", "-10", 1},
        {"-0.5", "0", -1},
        {"+3", "3.", 0},
        {".5", "0.49999", 1},
        {"99", "100", -1},
        {"12.3", "12.30000000000000000000001", -1},
    };
    for (const auto& c : comparisons) {
        SCOPED_TRACE(std::string(c.a) + " " + c.b);
        EXPECT_EQ(compareDecimals(c.a, c.b) < 0   ? -1
                  : compareDecimals(c.a, c.b) > 0 ? 1
                                                  : 0,
                  c.order);
        EXPECT_EQ(compareDecimals(c.b, c.a) < 0   ? -1
                  : compareDecimals(c.b, c.a) > 0 ? 1
                                                  : 0,
                  -c.order);
    }
    const std::string nines307(307, '9');
    const struct {
        std::string a;
        std::string b;
        std::string sum;
    } sums[] = {
        {"0.5", "1.75", "2.25"},
        {"999.999", "0.001", "1000"},
        {"0", "0", "0"},
        {".5", "5.", "5.5"},
        {"17" + std::string(307, '0'), "1", "17" + std::string(306, '0') + "1"},
        {nines307, "1", "1" + std::string(307, '0')},
        {"0.00000000000000000001", "0.09999999999999999999", "0.1"},
    };
    for (const auto& c : sums) {
        SCOPED_TRACE(c.a + " + " + c.b);
        const std::string sum = sumOfDecimals(c.a, c.b);
        EXPECT_TRUE(tryReadStrict(sum, NumberForm::Decimal).has_value()) << sum;
        EXPECT_EQ(compareDecimals(sum, c.sum), 0) << sum;
        EXPECT_EQ(compareDecimals(sumOfDecimals(c.b, c.a), c.sum), 0);
    }
}

TEST(NumberTextTest, WritesPlainDecimals) {
    EXPECT_EQ(numberText(std::int32_t{0}), "0");
    EXPECT_EQ(numberText(std::int32_t{-313}), "-313");
    EXPECT_EQ(numberText(std::int32_t{-2147483647 - 1}), "-2147483648");
    EXPECT_EQ(numberText(41.0 + 1.0), "42");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(2.5), "2.5");
    EXPECT_EQ(numberText(0.1), "0.1");
    EXPECT_EQ(numberText(1e20), "100000000000000000000");
    EXPECT_EQ(numberText(-1e-7), "-0.0000001");
}

TEST(TwoDecimalPatternTest, Hash0Dot00KeepsALeadingDigit) {
    EXPECT_EQ(formatHash0Dot00(0.5), "0.50");
    EXPECT_EQ(formatHash0Dot00(0.0), "0.00");
    EXPECT_EQ(formatHash0Dot00(123.456), "123.46");
    EXPECT_EQ(formatHash0Dot00(-0.5), "-0.50");
    EXPECT_EQ(formatHash0Dot00(293.9), "293.90");
    EXPECT_EQ(formatHash0Dot00(1e15), "1000000000000000.00");
}

TEST(TwoDecimalPatternTest, HashDot00DropsALeadingZero) {
    EXPECT_EQ(formatHashDot00(0.5), ".50");
    EXPECT_EQ(formatHashDot00(-0.5), "-.50");
    EXPECT_EQ(formatHashDot00(0.0), ".00");
    EXPECT_EQ(formatHashDot00(89.5666), "89.57");
    EXPECT_EQ(formatHashDot00(100.0 / 3.0), "33.33");
    EXPECT_EQ(formatHashDot00(-313.0), "-313.00");
    EXPECT_EQ(formatHashDot00(0.996), "1.00");
}

TEST(TwoDecimalPatternTest, ExactHalvesGoAwayFromZeroAndZeroHasNoSign) {
    EXPECT_EQ(formatHash0Dot00(0.125), "0.13");
    EXPECT_EQ(formatHash0Dot00(0.375), "0.38");
    EXPECT_EQ(formatHash0Dot00(-0.125), "-0.13");
    EXPECT_EQ(formatHash0Dot00(2.875), "2.88");
    EXPECT_EQ(formatHashDot00(0.625), ".63");
    // 1.005 is not exactly representable; it lies just below the half and goes down.
    EXPECT_EQ(formatHash0Dot00(1.005), "1.00");
    EXPECT_EQ(formatHash0Dot00(-0.001), "0.00");
    EXPECT_EQ(formatHashDot00(-0.004), ".00");
}

// Both patterns against the C library's exact "%.2f" (which differs only on exact halves, where
// it goes to even): many magnitudes, and values right next to a halfway point.
TEST(TwoDecimalPatternTest, AgreesWithExactFormatting) {
    auto reference = [](double value) {
        char text[400];
        std::snprintf(text, sizeof text, "%.2f", value);
        std::string result = text;
        return result == "-0.00" ? std::string("0.00") : result;
    };
    Xoshiro256PlusPlus generator(99);
    for (int i = 0; i < 200000; ++i) {
        const double magnitude = std::pow(10.0, generator.nextFraction() * 30 - 10);
        double value = (generator.nextFraction() < 0.5 ? -1 : 1) * magnitude;
        if (i % 2 == 1) {
            // Near a halfway point: k + 0.005 and its neighbours a few units in the last place
            // away.
            const double half = std::floor(magnitude * 100) / 100 + 0.005;
            value = half;
            for (int steps = static_cast<int>(generator.nextFraction() * 7) - 3; steps != 0;
                 steps += steps > 0 ? -1 : 1) {
                value = std::nextafter(value, steps > 0 ? 1e300 : -1e300);
            }
        }
        const double eighths = value * 8;
        if (eighths == std::floor(eighths) && std::fmod(eighths, 2.0) != 0.0) {
            continue;  // an exact half: our rule differs on purpose
        }
        ASSERT_EQ(formatHash0Dot00(value), reference(value)) << value;
    }
}

// Every text the system writes must read back strictly (and leniently) to what it stands for.
TEST(RoundTripTest, WrittenTextsReadBack) {
    Xoshiro256PlusPlus generator(2024);
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, generator.nextFraction() * 24 - 8);
        const double value = (generator.nextFraction() < 0.5 ? -1 : 1) * magnitude;
        const std::string plain = numberText(value);
        ASSERT_EQ(readStrict(plain), value) << plain;
        ASSERT_EQ(readLenient(plain), value) << plain;
        for (const std::string& text : {formatHash0Dot00(value), formatHashDot00(value)}) {
            const double back = readStrict(text);
            ASSERT_EQ(back, readLenient(text)) << text;
            ASSERT_LE(std::abs(back - value), 0.005 + std::abs(value) * 1e-15) << text;
        }
    }
    for (const std::int32_t value : {0, 1, -1, 2147483647, -2147483647 - 1}) {
        EXPECT_EQ(readStrict(numberText(value)), value);
    }
}

}  // namespace
}  // namespace korvale
