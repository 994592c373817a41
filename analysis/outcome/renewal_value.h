#pragma once

// The renewal's value from the pieces' transforms, for real weights, complex numbers and
// blocks of transform points alike. Vector code (analysis/numeric/vector_target.h).

#include <array>
#include <cstddef>

#include "analysis/model/machine_model.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

// init^T (I - S)^-1 end for d modes. Every row of S adds up in size to at most the chance that
// a piece ends with a BIG, below 1, so I - S is diagonally dominant by rows.
template <typename Value>
Value renewalValue(std::size_t d, const Value* init, const Value* step, const Value* end) {
    std::array<std::array<Value, modeCount>, modeCount> a{};
    std::array<Value, modeCount> x{};
    for (std::size_t i = 0; i < d; ++i) {
        for (std::size_t j = 0; j < d; ++j) {
            a[i][j] = (i == j ? Value(1) : Value(0)) - step[i * d + j];
        }
        x[i] = end[i];
    }
    solveDominantInPlace(a, x, d);
    Value result(0);
    for (std::size_t c = d; c-- > 0;) {
        result += init[c] * x[c];
    }
    return result;
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
