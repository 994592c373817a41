// The dense solvers on systems worked by hand and on random diagonally dominant ones, each
// answer checked by multiplying it back.

#include "analysis/numeric/small_linear_solve.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <stdexcept>

#include "analysis/numeric/complex_block.h"
#include "common/status.h"

namespace korvale {
namespace {

using Complex = std::complex<double>;
template <typename T, std::size_t n>
using Matrix = std::array<std::array<T, n>, n>;

TEST(SmallLinearSolveTest, HandWorkedSystems) {
    // 2x + y = 3, x + 3y = 5: x = 4/5, y = 7/5 by Cramer's rule.
    const Matrix<double, 2> a2{{{2, 1}, {1, 3}}};
    std::array<double, 2> pivoted{3, 5};
    solveInPlace(a2, pivoted);
    Matrix<double, 2> used = a2;
    std::array<double, 2> dominant{3, 5};
    solveDominantInPlace(used, dominant);
    for (const auto& x : {pivoted, dominant}) {
        EXPECT_NEAR(x[0], 0.8, 1e-15);
        EXPECT_NEAR(x[1], 1.4, 1e-15);
    }
    // The tridiagonal (1, 4, 1) times (1, 2, 3) is (6, 12, 14).
    Matrix<double, 3> a3{{{4, 1, 0}, {1, 4, 1}, {0, 1, 4}}};
    std::array<double, 3> b3{6, 12, 14};
    solveDominantInPlace(a3, b3);
    EXPECT_NEAR(b3[0], 1, 1e-15);
    EXPECT_NEAR(b3[1], 2, 1e-15);
    EXPECT_NEAR(b3[2], 3, 1e-15);
    // [[2, i], [i, 2]] times (1, 1 - i) is (3 + i, 2 - i).
    const Complex i(0, 1);
    Matrix<Complex, 2> c2{{{2.0, i}, {i, 2.0}}};
    std::array<Complex, 2> bc{3.0 + i, 2.0 - i};
    solveInPlace(c2, bc);
    EXPECT_NEAR(std::abs(bc[0] - 1.0), 0, 1e-15);
    EXPECT_NEAR(std::abs(bc[1] - (1.0 - i)), 0, 1e-15);
    // y = 2, x + y = 3 needs a row swap: its first pivot is 0.
    std::array<double, 2> swapped{2, 3};
    solveInPlace(Matrix<double, 2>{{{0, 1}, {1, 1}}}, swapped);
    EXPECT_EQ(swapped, (std::array<double, 2>{1, 2}));
    std::array<double, 2> none{1, 2};
    const Status singular = catchStatus([&] {
        solveInPlace(Matrix<double, 2>{{{1, 2}, {2, 4}}}, none);
    });
    EXPECT_EQ(singular.code(), StatusCode::NoSolution);
}

// A random system of the first d of six unknowns, each diagonal entry outweighing the rest of its
// row by 0.1 to 1.
template <typename T, typename Draw>
void randomDominant(Draw& draw, std::size_t d, Matrix<T, 6>& a, std::array<T, 6>& b) {
    for (std::size_t r = 0; r < d; ++r) {
        double offDiagonal = 0.0;
        for (std::size_t c = 0; c < d; ++c) {
            a[r][c] = draw();
            offDiagonal += c == r ? 0.0 : std::abs(a[r][c]);
        }
        a[r][r] *= (offDiagonal + 0.1 + std::abs(draw())) / std::abs(a[r][r]);
        b[r] = draw();
    }
}

template <typename T>
double residual(const Matrix<T, 6>& a, const std::array<T, 6>& x, const std::array<T, 6>& b,
                std::size_t d) {
    double worst = 0.0;
    for (std::size_t r = 0; r < d; ++r) {
        T sum(0);
        for (std::size_t c = 0; c < d; ++c) {
            sum += a[r][c] * x[c];
        }
        worst = std::max(worst, std::abs(sum - b[r]));
    }
    return worst;
}

TEST(SmallLinearSolveTest, RandomDominantSystemsMultiplyBack) {
    std::mt19937_64 engine(20261208);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    const auto real = [&] { return uniform(engine); };
    const auto complex = [&] { return Complex(uniform(engine), uniform(engine)); };
    for (int trial = 0; trial < 200; ++trial) {
        const std::size_t d = 1 + static_cast<std::size_t>(trial) % 6;
        SCOPED_TRACE(trial);
        Matrix<double, 6> a{};
        std::array<double, 6> b{};
        randomDominant(real, d, a, b);
        // Rows and columns from d on stand apart; the solvers see the first d only.
        for (std::size_t k = d; k < 6; ++k) {
            a[k][k] = 1.0;
            b[k] = 7.0;
        }
        std::array<double, 6> pivoted = b;
        solveInPlace(a, pivoted);
        Matrix<double, 6> used = a;
        std::array<double, 6> dominant = b;
        solveDominantInPlace(used, dominant, d);
        EXPECT_LT(residual(a, pivoted, b, d), 1e-13);
        EXPECT_LT(residual(a, dominant, b, d), 1e-13);
        EXPECT_EQ(dominant[5], d < 6 ? 7.0 : dominant[5]);

        Matrix<Complex, 6> ac{};
        std::array<Complex, 6> bc{};
        randomDominant(complex, 6, ac, bc);
        std::array<Complex, 6> xc = bc;
        solveInPlace(ac, xc);
        EXPECT_LT(residual(ac, xc, bc, 6), 1e-13);
        Matrix<Complex, 6> usedc = ac;
        xc = bc;
        solveDominantInPlace(usedc, xc);
        EXPECT_LT(residual(ac, xc, bc, 6), 1e-13);
    }
}

// A block solves each of its points as that point's own complex system.
TEST(SmallLinearSolveTest, BlocksSolveEveryPoint) {
    std::mt19937_64 engine(7);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    const auto complex = [&] { return Complex(uniform(engine), uniform(engine)); };
    std::array<Matrix<Complex, 6>, complexBlockSize> a{};
    std::array<std::array<Complex, 6>, complexBlockSize> b{};
    Matrix<ComplexBlock, 6> blockA{};
    std::array<ComplexBlock, 6> blockB{};
    for (std::size_t p = 0; p < complexBlockSize; ++p) {
        randomDominant(complex, 6, a[p], b[p]);
        for (std::size_t r = 0; r < 6; ++r) {
            for (std::size_t c = 0; c < 6; ++c) {
                blockA[r][c].re[p] = a[p][r][c].real();
                blockA[r][c].im[p] = a[p][r][c].imag();
            }
            blockB[r].re[p] = b[p][r].real();
            blockB[r].im[p] = b[p][r].imag();
        }
    }
    solveDominantInPlace(blockA, blockB);
    for (std::size_t p = 0; p < complexBlockSize; ++p) {
        std::array<Complex, 6> x{};
        for (std::size_t r = 0; r < 6; ++r) {
            x[r] = {blockB[r].re[p], blockB[r].im[p]};
        }
        EXPECT_LT(residual(a[p], x, b[p], 6), 1e-13) << p;
    }
}

}  // namespace
}  // namespace korvale
