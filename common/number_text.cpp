#include "common/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "common/checked_arithmetic.h"
#include "common/double_chars.h"
#include "common/full_width.h"

namespace korvale {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The parts of a number found in a text: where its unsigned body starts and ends, its sign,
// and whether it held any digit.
struct NumberSpan {
    std::size_t bodyBegin = 0;
    std::size_t bodyEnd = 0;
    bool negative = false;
    bool hasDigit = false;
    std::size_t end = 0;  // first character after the number
};

// Reads an optional sign, then digits with at most one full stop, starting at pos.
NumberSpan scanDecimal(std::string_view text, std::size_t pos) {
    NumberSpan span;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        span.negative = text[pos] == '-';
        ++pos;
    }
    span.bodyBegin = pos;
    bool seenPoint = false;
    while (pos < text.size()) {
        const char c = text[pos];
        if (isDigit(c)) {
            span.hasDigit = true;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        ++pos;
    }
    span.bodyEnd = pos;
    span.end = pos;
    return span;
}

// The exponent of a body ("e-12" in "1.5e-12"), 0 without one; one too large for a long long is
// taken as a quarter of its range, which puts any non-zero digit far out of every range.
long long exponentOf(std::string_view body) {
    const std::size_t e = body.find_first_of("eE");
    if (e == std::string_view::npos) {
        return 0;
    }
    const bool negative = body[e + 1] == '-';
    const std::size_t digits = e + 1 + (body[e + 1] == '+' || negative ? 1 : 0);
    long long exponent = 0;
    const auto parsed = std::from_chars(body.data() + digits, body.data() + body.size(), exponent);
    if (parsed.ec == std::errc::result_out_of_range) {
        exponent = std::numeric_limits<long long>::max() / 4;
    }
    return negative ? -exponent : exponent;
}

// Whether a decimal body (digits, point, optional exponent) that from_chars found out of range
// is too large (true) or too small (false) for a double: it is too large when its first
// non-zero digit stands before the point, once the exponent is applied.
bool isTooLarge(std::string_view body) {
    const long long exponent = exponentOf(body);
    body = body.substr(0, body.find_first_of("eE"));
    const std::size_t firstNonZero = body.find_first_of("123456789");
    if (firstNonZero == std::string_view::npos) {
        return false;
    }
    const std::size_t point = std::min(body.find('.'), body.size());
    // The value lies in [10^(order - 1), 10^order) before the exponent.
    const long long order = firstNonZero < point
                                ? static_cast<long long>(point - firstNonZero)
                                : -static_cast<long long>(firstNonZero - point - 1);
    return order + exponent > 0;
}

// Converts an unsigned decimal body; out-of-range values become infinity or zero.
StrictNumber convertBody(std::string_view body, std::chars_format format) {
    StrictNumber number;
    const auto [ptr, ec] =
        doubleFromChars(body.data(), body.data() + body.size(), number.value, format);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        number.tooLarge = isTooLarge(body);
        number.tooSmall = !number.tooLarge;
        number.value = number.tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number;
}

// The strict reading's grammar over a folded text: the number's span, its body taking in the
// exponent, when the whole text is one number.
std::optional<NumberSpan> scanStrict(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    NumberSpan span = scanDecimal(text, pos);
    if (!span.hasDigit) {
        return std::nullopt;
    }
    pos = span.end;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t expPos = pos + 1;
        if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) {
            ++expPos;
        }
        const std::size_t digitsBegin = expPos;
        while (expPos < text.size() && isDigit(text[expPos])) {
            ++expPos;
        }
        if (expPos == digitsBegin) {
            return std::nullopt;
        }
        pos = expPos;
        span.bodyEnd = pos;
    }
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return span;
}

// How the digits after a whole part compare with one half of a unit.
enum class Fraction : std::uint8_t { None, BelowHalf, Half, AboveHalf };

// The fraction once one more digit, `at` places after the whole part (0 for the first), is
// seen; zeros change nothing.
Fraction withDigit(Fraction fraction, long long at, char digit) {
    if (digit == '0') {
        return fraction;
    }
    if (at == 0) {
        return digit > '5'    ? Fraction::AboveHalf
               : digit == '5' ? Fraction::Half
                              : Fraction::BelowHalf;
    }
    return fraction == Fraction::None   ? Fraction::BelowHalf
           : fraction == Fraction::Half ? Fraction::AboveHalf
                                        : fraction;
}

// The whole number an unsigned body (digits with at most one point, maybe an exponent) stands
// for, worked out digit by digit. Exact: nothing when a digit that is not 0 stands after the
// point once the exponent has moved it. Nearest: the fraction rounds, halves to even.
std::optional<WholeNumber> wholeOfBody(std::string_view body, bool nearest) {
    const long long exponent = exponentOf(body);
    body = body.substr(0, body.find_first_of("eE"));
    const std::size_t point = std::min(body.find('.'), body.size());
    // The digits that make the whole part, counted from the first.
    const long long wholeDigits = static_cast<long long>(point) + exponent;
    WholeNumber whole;
    const auto append = [&](unsigned digit) {
        if (__builtin_mul_overflow(whole.magnitude, 10u, &whole.magnitude) ||
            __builtin_add_overflow(whole.magnitude, digit, &whole.magnitude)) {
            whole.beyond64Bits = true;
        }
    };
    Fraction fraction = Fraction::None;
    long long index = 0;
    for (const char c : body) {
        if (c == '.') {
            continue;
        }
        const long long at = index++ - wholeDigits;
        if (at >= 0) {
            if (c != '0' && !nearest) {
                return std::nullopt;
            }
            fraction = withDigit(fraction, at, c);
        } else if (!whole.beyond64Bits) {
            append(static_cast<unsigned>(c - '0'));
        }
    }
    for (; index < wholeDigits && whole.magnitude != 0 && !whole.beyond64Bits; ++index) {
        append(0);
    }
    const bool up =
        fraction == Fraction::AboveHalf || (fraction == Fraction::Half && whole.magnitude % 2 == 1);
    if (up && !whole.beyond64Bits &&
        __builtin_add_overflow(whole.magnitude, 1u, &whole.magnitude)) {
        whole.beyond64Bits = true;
    }
    if (whole.beyond64Bits) {
        whole.magnitude = std::numeric_limits<std::uint64_t>::max();
    }
    return whole;
}

// The number of a text in one form: its span over `text`, which is folded into `folded` for
// the form that takes full-width forms. Nothing for a text of another form.
std::optional<NumberSpan> scanForm(std::string_view& text, NumberForm form, std::string& folded) {
    switch (form) {
        case NumberForm::Digits:
            if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit)) {
                return std::nullopt;
            }
            return NumberSpan{0, text.size(), false, true, text.size()};
        case NumberForm::Decimal: {
            const NumberSpan span = scanDecimal(text, 0);
            if (!span.hasDigit || span.end != text.size()) {
                return std::nullopt;
            }
            return span;
        }
        case NumberForm::Number:
            break;
    }
    text = foldFullWidth(text, folded);
    return scanStrict(text);
}

// The whole number of a text, exact or nearest.
std::optional<WholeNumber> readWhole(std::string_view text, NumberForm form, bool nearest) {
    std::string folded;
    const std::optional<NumberSpan> span = scanForm(text, form, folded);
    if (!span) {
        return std::nullopt;
    }
    std::optional<WholeNumber> whole =
        wholeOfBody(text.substr(span->bodyBegin, span->bodyEnd - span->bodyBegin), nearest);
    if (whole) {
        whole->negative = span->negative && (whole->magnitude != 0 || whole->beyond64Bits);
    }
    return whole;
}

}  // namespace

double readLenient(std::string_view text) noexcept {
    std::string folded;
    try {
        text = foldFullWidth(text, folded);
    } catch (...) {
        return 0.0;  // no memory to fold the text: read as no number
    }
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    const NumberSpan span = scanDecimal(text, pos);
    if (!span.hasDigit) {
        return 0.0;
    }
    const double magnitude = convertBody(text.substr(span.bodyBegin, span.bodyEnd - span.bodyBegin),
                                         std::chars_format::fixed)
                                 .value;
    return span.negative ? -magnitude : magnitude;
}

std::optional<StrictNumber> tryReadStrict(std::string_view text, NumberForm form) {
    std::string folded;
    const std::optional<NumberSpan> span = scanForm(text, form, folded);
    if (!span) {
        return std::nullopt;
    }
    const std::string_view body = text.substr(span->bodyBegin, span->bodyEnd - span->bodyBegin);
    StrictNumber number = convertBody(body, std::chars_format::general);
    number.value = span->negative ? -number.value : number.value;
    return number;
}

std::optional<WholeNumber> tryReadWhole(std::string_view text, NumberForm form) {
    return readWhole(text, form, false);
}

std::optional<WholeNumber> tryReadNearestWhole(std::string_view text, NumberForm form) {
    return readWhole(text, form, true);
}

double readStrict(std::string_view text) {
    const std::optional<StrictNumber> number = tryReadStrict(text);
    if (!number) {
        throwError(StatusReason::TypeMismatch);
    }
    if (number->tooLarge) {
        throwError(StatusReason::Overflow);
    }
    return number->value;
}

namespace {

// A Decimal text's number as its digits: the whole part without leading zeros, the fraction
// without trailing zeros, and its sign (none for zero).
struct DecimalDigits {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

DecimalDigits decimalDigits(std::string_view text) {
    DecimalDigits digits;
    const NumberSpan span = scanDecimal(text, 0);
    const std::string_view body = text.substr(span.bodyBegin, span.bodyEnd - span.bodyBegin);
    const std::size_t point = std::min(body.find('.'), body.size());
    digits.whole = body.substr(0, point);
    digits.fraction = point < body.size() ? body.substr(point + 1) : std::string_view();
    while (digits.whole.starts_with('0')) {
        digits.whole.remove_prefix(1);
    }
    while (digits.fraction.ends_with('0')) {
        digits.fraction.remove_suffix(1);
    }
    digits.negative = span.negative && (!digits.whole.empty() || !digits.fraction.empty());
    return digits;
}

// How two magnitudes compare: the longer whole part is larger, then digit by digit.
int compareMagnitudes(const DecimalDigits& a, const DecimalDigits& b) {
    if (a.whole.size() != b.whole.size()) {
        return a.whole.size() < b.whole.size() ? -1 : 1;
    }
    if (const int whole = a.whole.compare(b.whole); whole != 0) {
        return whole;
    }
    return a.fraction.compare(b.fraction);
}

}  // namespace

int compareDecimals(std::string_view a, std::string_view b) {
    const DecimalDigits x = decimalDigits(a);
    const DecimalDigits y = decimalDigits(b);
    if (x.negative != y.negative) {
        return x.negative ? -1 : 1;
    }
    const int magnitudes = compareMagnitudes(x, y);
    return x.negative ? -magnitudes : magnitudes;
}

std::string sumOfDecimals(std::string_view a, std::string_view b) {
    const DecimalDigits x = decimalDigits(a);
    const DecimalDigits y = decimalDigits(b);
    const std::size_t wholeDigits = std::max(x.whole.size(), y.whole.size());
    const std::size_t fractionDigits = std::max(x.fraction.size(), y.fraction.size());
    // The digit of `d` at place p, counted from the left of the widest whole part.
    const auto digitAt = [&](const DecimalDigits& d, std::size_t p) {
        const std::size_t pad = wholeDigits - d.whole.size();
        if (p < wholeDigits) {
            return p < pad ? 0 : d.whole[p - pad] - '0';
        }
        const std::size_t f = p - wholeDigits;
        return f < d.fraction.size() ? d.fraction[f] - '0' : 0;
    };
    std::string sum(wholeDigits + fractionDigits + 2, '0');  // a carry digit and the point
    int carry = 0;
    for (std::size_t p = wholeDigits + fractionDigits; p-- > 0;) {
        const int digit = digitAt(x, p) + digitAt(y, p) + carry;
        carry = digit / 10;
        sum[p + 1 + (p >= wholeDigits ? 1 : 0)] = static_cast<char>('0' + digit % 10);
    }
    sum[0] = static_cast<char>('0' + carry);
    sum[wholeDigits + 1] = '.';
    return sum;
}

std::string numberText(std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string numberText(double value) {
    if (value == 0.0) {
        return "0";  // also for -0.0
    }
    char buffer[400];
    const auto result = doubleToChars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

namespace {

// The number of hundredths nearest to |value|, for the usual magnitudes, worked out without
// formatting a double or calling the maths library. Gives up (returns false) for huge values and
// for anything within a billionth of a halfway point, exact halves included; the general path
// takes those.
bool nearestHundredths(double value, std::int64_t& hundredths) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e12)) {
        return false;  // also NaN
    }
    // magnitude x 100 exactly, as the rounded product plus its error (Dekker's product): 100 has
    // 7 significant bits, so once magnitude is split into two halves of at most 26 bits each,
    // every partial product below is exact.
    const double product = magnitude * 100.0;
    const double split = magnitude * 134217729.0;  // 2^27 + 1
    const double high = split - (split - magnitude);
    const double low = magnitude - high;
    const double error = (high * 100.0 - product) + low * 100.0;

    // product < 10^14, so its whole part fits and the subtraction is exact.
    const auto whole = static_cast<std::int64_t>(product);
    const double fraction = (product - static_cast<double>(whole)) + error;
    if (std::fabs(fraction - 0.5) < 1e-9) {
        return false;
    }
    hundredths = whole + (fraction > 0.5 ? 1 : 0);
    return true;
}

std::size_t writeHundredths(bool negative, std::int64_t hundredths, bool forceLeadingDigit,
                            char* buffer) {
    char* out = buffer;
    if (negative && hundredths != 0) {
        *out++ = '-';
    }
    const std::int64_t whole = hundredths / 100;
    const int fraction = static_cast<int>(hundredths % 100);
    if (whole != 0 || forceLeadingDigit) {
        out = std::to_chars(out, out + 24, whole).ptr;
    }
    *out++ = '.';
    *out++ = static_cast<char>('0' + fraction / 10);
    *out++ = static_cast<char>('0' + fraction % 10);
    return static_cast<std::size_t>(out - buffer);
}

}  // namespace

std::size_t writeTwoDecimals(double value, bool forceLeadingDigit, char* buffer) {
    std::int64_t hundredths = 0;
    if (nearestHundredths(value, hundredths)) {
        return writeHundredths(value < 0, hundredths, forceLeadingDigit, buffer);
    }

    // A tie between two hundredths is an odd multiple of 1/8; take it away from zero. The sum
    // lands close enough to the upper hundredth for the exact rounding below to reach it.
    const double eighths = value * 8.0;
    if (std::isfinite(eighths) && eighths == std::floor(eighths) &&
        std::fmod(eighths, 2.0) != 0.0) {
        value += std::copysign(0.005, value);
    }
    const auto result = doubleToChars(buffer, buffer + 400, value, 2);
    std::size_t length = static_cast<std::size_t>(result.ptr - buffer);

    std::size_t digits = 0;
    if (buffer[0] == '-') {
        // "-0.00" carries no sign.
        if (std::string_view(buffer, length) == "-0.00") {
            std::memmove(buffer, buffer + 1, --length);
        }
        digits = buffer[0] == '-' ? 1 : 0;
    }
    if (!forceLeadingDigit && buffer[digits] == '0' && buffer[digits + 1] == '.') {
        std::memmove(buffer + digits, buffer + digits + 1, length - digits - 1);
        --length;
    }
    return length;
}

std::string formatHash0Dot00(double value) {
    char buffer[400];
    return std::string(buffer, writeTwoDecimals(value, true, buffer));
}

std::string formatHashDot00(double value) {
    char buffer[400];
    return std::string(buffer, writeTwoDecimals(value, false, buffer));
}

}  // namespace korvale
