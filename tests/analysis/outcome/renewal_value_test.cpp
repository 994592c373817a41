// The renewal's value init^T (I - S)^-1 end against the renewal summed piece by piece,
// sum over n of init^T S^n end (the attempt with n later BIGs), on steps of 1 to 6 modes,
// real, complex and a block of points at once.

#include "analysis/outcome/renewal_value.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "analysis/numeric/complex_block.h"

namespace korvale {
namespace {

using Complex = std::complex<double>;

template <typename Value>
Value pieceByPiece(std::size_t d, const std::vector<Value>& init, const std::vector<Value>& step,
                   const std::vector<Value>& end) {
    std::vector<Value> v = end;  // S^n end
    Value sum(0);
    for (int n = 0; n < 600; ++n) {
        for (std::size_t i = 0; i < d; ++i) {
            sum += init[i] * v[i];
        }
        std::vector<Value> next(d, Value(0));
        for (std::size_t i = 0; i < d; ++i) {
            for (std::size_t j = 0; j < d; ++j) {
                next[i] += step[i * d + j] * v[j];
            }
        }
        v = next;
    }
    return sum;
}

// A step whose rows are at most 0.9 in size, as a piece ends with a BIG at most that often;
// complex entries at random phases.
template <typename Value>
std::vector<Value> randomStep(std::size_t d, std::mt19937& random) {
    std::uniform_real_distribution<double> share(0.0, 1.0);
    std::vector<Value> step(d * d);
    for (std::size_t i = 0; i < d; ++i) {
        std::vector<double> w(d);
        double total = 0.0;
        for (double& x : w) {
            x = share(random);
            total += x;
        }
        const double row = 0.9 * share(random);
        for (std::size_t j = 0; j < d; ++j) {
            const double size = row * w[j] / total;
            if constexpr (std::is_same_v<Value, Complex>) {
                step[i * d + j] = std::polar(size, 6.3 * share(random));
            } else {
                step[i * d + j] = size;
            }
        }
    }
    return step;
}

TEST(RenewalValueTest, IsTheRenewalSummedPieceByPiece) {
    // By hand: one mode, 2 (1 - 3/4)^-1 1/2 = 4; two modes, (I - S)^-1 = [[2, 1], [0, 2]].
    const double a = 2.0;
    const double s = 0.75;
    const double e = 0.5;
    EXPECT_DOUBLE_EQ(renewalValue<double>(1, &a, &s, &e), 4.0);
    const double init2[] = {1.0, 0.0};
    const double step2[] = {0.5, 0.25, 0.0, 0.5};
    const double end2[] = {1.0, 1.0};
    EXPECT_DOUBLE_EQ(renewalValue<double>(2, init2, step2, end2), 3.0);

    std::mt19937 random(31);
    std::uniform_real_distribution<double> entry(-1.0, 1.0);
    for (std::size_t d = 1; d <= modeCount; ++d) {
        SCOPED_TRACE(std::to_string(d) + " modes");
        const std::vector<double> step = randomStep<double>(d, random);
        std::vector<double> init(d);
        std::vector<double> end(d);
        for (std::size_t i = 0; i < d; ++i) {
            init[i] = 0.5 + 0.5 * entry(random);
            end[i] = 0.5 + 0.5 * entry(random);
        }
        EXPECT_NEAR(renewalValue<double>(d, init.data(), step.data(), end.data()),
                    pieceByPiece(d, init, step, end), 1e-12);

        // Complex, and a block whose every point is its own system.
        std::vector<std::vector<Complex>> steps, inits, ends;
        std::vector<ComplexBlock> stepBlock(d * d), initBlock(d), endBlock(d);
        for (std::size_t b = 0; b < complexBlockSize; ++b) {
            steps.push_back(randomStep<Complex>(d, random));
            inits.emplace_back(d);
            ends.emplace_back(d);
            for (std::size_t i = 0; i < d; ++i) {
                inits[b][i] = {entry(random), entry(random)};
                ends[b][i] = {entry(random), entry(random)};
                initBlock[i].re[b] = inits[b][i].real();
                initBlock[i].im[b] = inits[b][i].imag();
                endBlock[i].re[b] = ends[b][i].real();
                endBlock[i].im[b] = ends[b][i].imag();
            }
            for (std::size_t k = 0; k < d * d; ++k) {
                stepBlock[k].re[b] = steps[b][k].real();
                stepBlock[k].im[b] = steps[b][k].imag();
            }
        }
        const ComplexBlock block =
            renewalValue<ComplexBlock>(d, initBlock.data(), stepBlock.data(), endBlock.data());
        for (std::size_t b = 0; b < complexBlockSize; ++b) {
            const Complex expected = pieceByPiece(d, inits[b], steps[b], ends[b]);
            EXPECT_NEAR(std::abs(renewalValue<Complex>(d, inits[b].data(), steps[b].data(),
                                                       ends[b].data()) -
                                 expected),
                        0.0, 1e-12);
            EXPECT_NEAR(std::abs(Complex(block.re[b], block.im[b]) - expected), 0.0, 1e-12)
                << "point " << b;
        }
    }
}

}  // namespace
}  // namespace korvale
