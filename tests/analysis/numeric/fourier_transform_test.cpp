// The transform over blocks of sequences and over blocks of points, against the direct sums.

#include "analysis/numeric/fourier_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/fourier_steps.h"

namespace korvale {
namespace {

TEST(FourierTransformTest, MatchesTheDirectSums) {
    for (const std::size_t length : {1, 2, 3, 4, 5, 12, 250, 1000}) {
        for (const int sign : {+1, -1}) {
            SCOPED_TRACE(std::to_string(length) + (sign > 0 ? " +" : " -"));
            constexpr std::size_t lanes = 2;
            std::vector<Complex> data(length * lanes);
            for (std::size_t i = 0; i < data.size(); ++i) {
                data[i] = {std::sin(1.7 * i + 0.3), std::cos(0.9 * i * i)};
            }
            const std::vector<Complex> input = data;
            // Blocks of sequences: point b of a block holds the input turned by b radians.
            std::vector<ComplexBlock> blocks(data.size());
            for (std::size_t i = 0; i < data.size(); ++i) {
                for (std::size_t b = 0; b < complexBlockSize; ++b) {
                    const Complex turned = input[i] * std::polar(1.0, double(b));
                    blocks[i].re[b] = turned.real();
                    blocks[i].im[b] = turned.imag();
                }
            }
            const FourierTransform transform(length, lanes);
            transform.transform(data, sign);
            std::vector<ComplexBlock> scratch;
            transformBlocks(transform, blocks, scratch, sign);
            for (std::size_t k = 0; k < length; ++k) {
                for (std::size_t l = 0; l < lanes; ++l) {
                    Complex direct = 0.0;
                    for (std::size_t j = 0; j < length; ++j) {
                        const double angle =
                            sign * 2.0 * std::numbers::pi * double((j * k) % length) / length;
                        direct += input[j * lanes + l] * std::polar(1.0, angle);
                    }
                    EXPECT_NEAR(std::abs(data[k * lanes + l] - direct), 0.0, 1e-12 * length);
                    for (std::size_t b = 0; b < complexBlockSize; ++b) {
                        const ComplexBlock& got = blocks[k * lanes + l];
                        const Complex expected = direct * std::polar(1.0, double(b));
                        EXPECT_NEAR(std::abs(Complex(got.re[b], got.im[b]) - expected), 0.0,
                                    1e-12 * length);
                    }
                }
            }
        }
    }
    EXPECT_THROW(FourierTransform(7, 1), std::invalid_argument);
    EXPECT_EQ(FourierTransform::goodLength(97), 100U);
}

}  // namespace
}  // namespace korvale
