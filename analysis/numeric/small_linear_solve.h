#pragma once

// The one dense solver of the analysis, for its small systems (six modes), in two kinds of
// Gaussian elimination:
//   - solveInPlace pivots by rows, for any system that is not singular. Its right-hand sides
//     may be any values that can be scaled by the matrix's scalar (double or std::complex) and
//     added, so one elimination can carry several unknown coefficients at once.
//   - solveDominantInPlace does not pivot, and multiplies by each pivot's reciprocal: for the
//     matrices that are diagonally dominant by rows, where no pivot can vanish, at a fraction of
//     the cost. Its values are double, std::complex<double> or a ComplexBlock of transform points
//     (complex_block.h), which brings its own reciprocal.
// Vector code (vector_target.h), for the blocks' solves.

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "analysis/numeric/vector_target.h"
#include "common/status.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

inline double reciprocal(double value) {
    return 1.0 / value;
}

// The library's division guards against infinities and overflow the dominant systems never meet.
inline std::complex<double> reciprocal(std::complex<double> value) {
    const double norm = value.real() * value.real() + value.imag() * value.imag();
    return {value.real() / norm, -value.imag() / norm};
}

// Solves a * x = b in place: on return b holds x. Throws StatusError (NoSolution) when a is
// singular.
template <typename Scalar, std::size_t n, typename Value>
void solveInPlace(std::array<std::array<Scalar, n>, n> a, std::array<Value, n>& b) {
    for (std::size_t column = 0; column < n; ++column) {
        std::size_t pivot = column;
        for (std::size_t row = column + 1; row < n; ++row) {
            if (std::abs(a[row][column]) > std::abs(a[pivot][column])) {
                pivot = row;
            }
        }
        if (std::abs(a[pivot][column]) == 0.0) {
            throw StatusError(StatusReason::NoSolution, "singular system in the exact analysis");
        }
        std::swap(a[pivot], a[column]);
        std::swap(b[pivot], b[column]);
        for (std::size_t row = column + 1; row < n; ++row) {
            const Scalar factor = a[row][column] / a[column][column];
            if (factor == Scalar(0)) {
                continue;
            }
            for (std::size_t k = column; k < n; ++k) {
                a[row][k] -= factor * a[column][k];
            }
            b[row] -= b[column] * factor;
        }
    }
    for (std::size_t column = n; column-- > 0;) {
        for (std::size_t k = column + 1; k < n; ++k) {
            b[column] -= b[k] * a[column][k];
        }
        b[column] = b[column] * (Scalar(1) / a[column][column]);
    }
}

// Solves the first d rows and columns of a * x = b, a diagonally dominant by rows there, in
// place: on return b holds x (its entries from d on untouched) and a is used up.
template <typename Value, std::size_t n>
void solveDominantInPlace(std::array<std::array<Value, n>, n>& a, std::array<Value, n>& b,
                          std::size_t d = n) {
    for (std::size_t c = 0; c < d; ++c) {
        const Value inverse = reciprocal(a[c][c]);
        for (std::size_t r = c + 1; r < d; ++r) {
            const Value f = a[r][c] * inverse;
            for (std::size_t k = c + 1; k < d; ++k) {
                a[r][k] -= f * a[c][k];
            }
            b[r] -= f * b[c];
        }
    }
    for (std::size_t c = d; c-- > 0;) {
        for (std::size_t k = c + 1; k < d; ++k) {
            b[c] -= a[c][k] * b[k];
        }
        b[c] = b[c] * reciprocal(a[c][c]);
    }
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
