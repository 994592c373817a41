#include "analysis/attempt/lane_arithmetic.h"

#include <algorithm>
#include <stdexcept>

#include "analysis/numeric/affine_value.h"
#include "analysis/numeric/small_linear_solve.h"

namespace korvale {
namespace {

using Complex = std::complex<double>;

template <std::size_t unknowns>
void solveAffine(const LaneMatrix& a, Complex* b) {
    using Value = AffineValue<Complex, unknowns, 1>;
    constexpr std::size_t channels = std::tuple_size_v<decltype(Value::c)>;
    constexpr std::size_t parts = channels + unknowns;
    std::array<Value, modeCount> rhs;
    for (std::size_t m = 0; m < modeCount; ++m) {
        std::copy_n(b + m * parts, channels, rhs[m].c.begin());
        std::copy_n(b + m * parts + channels, unknowns, rhs[m].k.begin());
    }
    solveInPlace(a, rhs);
    for (std::size_t m = 0; m < modeCount; ++m) {
        std::copy_n(rhs[m].c.begin(), channels, b + m * parts);
        std::copy_n(rhs[m].k.begin(), unknowns, b + m * parts + channels);
    }
}

}  // namespace

Complex divideLane(Complex a, Complex b) {
    return a / b;
}

void solveLaneInPlace(const LaneMatrix& a, Complex* b, std::size_t parts) {
    switch (parts) {
        case 1: {
            std::array<Complex, modeCount> rhs;
            std::copy_n(b, modeCount, rhs.begin());
            solveInPlace(a, rhs);
            std::copy_n(rhs.begin(), modeCount, b);
            return;
        }
        case 1 + modeCount:
            solveAffine<modeCount>(a, b);
            return;
        case 1 + 2 * modeCount:
            solveAffine<2 * modeCount>(a, b);
            return;
        default:
            throw std::invalid_argument("no solve for right-hand sides of this size");
    }
}

}  // namespace korvale
