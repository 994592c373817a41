#pragma once

// Numbers as the window's text boxes hold them.
//
// Lenient reading takes the number a text begins with and never fails: blanks (spaces and
// tabs) before it are skipped, then an optional sign, digits, and a full stop as the decimal
// point ("  12.5kg" is 12.5, ".5" is 0.5, "abc" and "" are 0). Nothing else is part of the
// number: no exponent, no digit grouping.
//
// Strict reading accepts a text only when the whole of it is one number, and throws a
// StatusError of reason TypeMismatch otherwise. Accepted: optional blanks (spaces and tabs)
// before and after; an optional sign; digits with at most one full stop, at least one digit in
// all ("42", "-.50", "3.", "+7"); optionally an exponent "e" or "E" with an optional sign and at
// least one digit ("1e3"). Not accepted: the empty text, blanks alone, digit grouping, "inf",
// "nan", hexadecimal. A number too large for a double is an Overflow.
//
// In both readings full-width forms count as their ASCII counterparts ("１０００" is 1000,
// "－１．５" is -1.5, "１ｅ３" is 1000; see full_width.h), and so does the ideographic space.
//
// Everything this system writes (numberText, the two-decimal patterns) reads back strictly, and
// leniently, to the number it was written from (the patterns: to the rounded number).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvale {

// Whether two short texts are equal. A plain loop: for the few characters of a number text it is
// several times faster than the library's memcmp, and the runs compare texts every game.
inline bool sameText(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

double readLenient(std::string_view text) noexcept;
double readStrict(std::string_view text);

// The forms of text a strict reading takes.
enum class NumberForm : std::uint8_t {
    Digits,   // ASCII digits and nothing else ("0", "007"), as a script writes a count
    Decimal,  // an optional sign, then ASCII digits with at most one full stop ("-2.5", "5.",
              // ".5"), as a script writes an amount: no blanks, exponent or full-width forms
    Number,   // any text the strict reading takes ("+12", " 1e3 ", "１２．５")
};

// A number read strictly, and whether it lies beyond what a double holds.
struct StrictNumber {
    double value = 0;       // an infinity when too large, 0 when too small
    bool tooLarge = false;  // beyond the largest double
    bool tooSmall = false;  // not 0, yet nearer to 0 than the smallest double
};
// The strict reading without throwing: nothing for a text of another form.
std::optional<StrictNumber> tryReadStrict(std::string_view text,
                                          NumberForm form = NumberForm::Number);

// Whole numbers, read exactly, digit by digit: a 64-bit seed keeps every bit, which a double
// would not.
struct WholeNumber {
    bool negative = false;  // below 0 ("-0" is 0)
    std::uint64_t magnitude = 0;
    bool beyond64Bits = false;  // the magnitude is beyond 2^64 - 1 (it holds 2^64 - 1 then)
};
// Nothing for a text of another form, or for a number with a fraction ("1.5", "1e-400").
std::optional<WholeNumber> tryReadWhole(std::string_view text, NumberForm form);
// The whole number nearest to the one the text stands for, a number exactly halfway between
// two going to the even one, decided from the digits as written rather than from a double they
// round to: "100.5" is 100, "101.5" 102, "100.5000000000000000001" 101. "-0.4" is 0. Nothing
// for a text of another form.
std::optional<WholeNumber> tryReadNearestWhole(std::string_view text, NumberForm form);

// Exact arithmetic on texts of the Decimal form, for limits that hold for the number as typed
// rather than for the double it rounds to: "0.09999999999999999999" reads as the double 0.1 yet
// lies below "0.1". Texts of another form are not taken (the result is then meaningless).
// How a's number compares with b's: below 0, 0 or above 0 ("-0" and "0.00" are "0").
int compareDecimals(std::string_view a, std::string_view b);
// The sum of two numbers of at least 0, as a Decimal text ("0.5" + "1.75" is "2.25").
std::string sumOfDecimals(std::string_view a, std::string_view b);

// Plain decimal text without grouping: "-42"; a whole double likewise, without a point
// ("42" for 42.0). Other doubles are written in full decimal notation with as few digits as
// read back to the same double ("0.1", "2.5"), never with an exponent.
std::string numberText(std::int32_t value);
std::string numberText(double value);

// "#0.00": at least one digit before the point, exactly two decimals ("0.50", "-0.50").
std::string formatHash0Dot00(double value);
// "#.00": no digit before the point when the whole part is 0 (".50", "-.50"), two decimals.
std::string formatHashDot00(double value);

// Both patterns round to the nearest hundredth. A value exactly halfway between two hundredths
// (only x.125, x.375, x.625 and x.875 are exactly representable) goes away from zero, as it
// would by hand: 0.125 is "0.13". A result that rounds to zero carries no minus sign.
// Writes the pattern into buffer (at least 400 bytes) and returns the length written.
std::size_t writeTwoDecimals(double value, bool forceLeadingDigit, char* buffer);

}  // namespace korvale
