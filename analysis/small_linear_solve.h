#pragma once

// Gaussian elimination with partial pivoting for the small systems of the analysis (six
// modes). The right-hand sides may be any values that can be scaled by the matrix's scalar
// and added, so one elimination can carry several unknown coefficients at once.

#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "common/runtime_error.h"

namespace korvale {

// Solves a * x = b in place: on return b holds x. Throws RuntimeError (NoSolution) when a is
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
            throw RuntimeError(ErrorKind::NoSolution, "singular system in the exact analysis");
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

}  // namespace korvale
