#pragma once

// Arithmetic that never wraps and never yields an undefined floating result. Integer results
// outside the signed 32-bit range, and floating results that are infinite or not a number,
// throw a StatusError instead.

#include <cmath>
#include <cstdint>

#include "common/status.h"

namespace korvale {

[[noreturn]] inline void throwError(StatusReason kind) {
    throw StatusError(kind);
}

inline std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
    std::int32_t result;
    if (__builtin_add_overflow(a, b, &result)) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    return result;
}

inline std::int32_t checkedSub(std::int32_t a, std::int32_t b) {
    std::int32_t result;
    if (__builtin_sub_overflow(a, b, &result)) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    return result;
}

inline std::int32_t checkedMul(std::int32_t a, std::int32_t b) {
    std::int32_t result;
    if (__builtin_mul_overflow(a, b, &result)) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    return result;
}

// Raises a counter by one in place; on overflow the counter keeps its value.
inline void checkedIncrement(std::int32_t& counter) {
    counter = checkedAdd(counter, 1);
}

// Nearest integer, a value exactly halfway going to the even one (2.5 -> 2, 3.5 -> 4).
inline double roundHalfEven(double value) {
    // std::nearbyint rounds in the current rounding mode, which is round-to-nearest-even unless
    // someone changed it; this system never does.
    return std::nearbyint(value);
}

// A double as a signed 32-bit integer, halves to even; Overflow when it does not fit.
inline std::int32_t toInt32HalfEven(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    return static_cast<std::int32_t>(rounded);
}

// A floating result is checked after each operation: NaN is an invalid operation, an infinity
// an overflow.
inline double checkedFloat(double result) {
    if (std::isnan(result)) [[unlikely]] {
        throwError(StatusReason::InvalidOperation);
    }
    if (std::isinf(result)) [[unlikely]] {
        throwError(StatusReason::FloatOverflow);
    }
    return result;
}

inline double checkedSum(double a, double b) {
    return checkedFloat(a + b);
}

inline double checkedProduct(double a, double b) {
    return checkedFloat(a * b);
}

// Division: x / 0 is DivisionByZero for x other than 0, and 0 / 0 an invalid operation.
inline double checkedQuotient(double dividend, double divisor) {
    if (divisor == 0.0) [[unlikely]] {
        throwError(dividend == 0.0 || std::isnan(dividend) ? StatusReason::InvalidOperation
                                                           : StatusReason::DivisionByZero);
    }
    return checkedFloat(dividend / divisor);
}

}  // namespace korvale
