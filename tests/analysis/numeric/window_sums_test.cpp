#include "analysis/numeric/window_sums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/numeric/affine_value.h"

namespace korvale {
namespace {

using Complex = std::complex<double>;
// One constant and one unknown's coefficient: both must be summed alike.
using Value = AffineValue<Complex, 1, 1>;
constexpr std::size_t width = 2;

// Terms and factors of layer h of sequence m, made up so that no two layers look alike; the
// factors stay below 1 in size, as a chance of going on does.
Value term(std::int32_t h, std::size_t m) {
    Value v;
    v.c[0] = Complex(std::sin(0.37 * h + m), 0.5 * std::cos(0.11 * h));
    v.k[0] = Complex(1.0 + 0.01 * h, -0.2 * static_cast<double>(m));
    return v;
}
Complex factor(std::int32_t h, std::size_t m) {
    return std::polar(0.97 + 0.02 * std::sin(0.05 * h + m), 0.003 * h);
}

TEST(WindowSumsTest, AgreeWithTheSumWrittenOut) {
    struct Case {
        std::int32_t length;
        std::int32_t top;
        std::int32_t bottom;  // the last layer added
    };
    // Windows of one layer, windows longer than the layers below the top, and long windows
    // over many blocks (as a REG countdown of 300 games over 1500 layers).
    for (const Case c :
         {Case{1, 10, 0}, Case{3, 20, 0}, Case{7, 5, 0}, Case{40, 30, 1}, Case{300, 1499, 0}}) {
        SCOPED_TRACE(std::to_string(c.length) + " below " + std::to_string(c.top));
        // Every layer from the top on has the top's terms and factors.
        auto e = [&](std::int32_t h, std::size_t m) { return term(std::min(h, c.top), m); };
        auto s = [&](std::int32_t h, std::size_t m) { return factor(std::min(h, c.top), m); };
        std::array<Value, width> eTop;
        std::array<Complex, width> sTop;
        for (std::size_t m = 0; m < width; ++m) {
            eTop[m] = e(c.top, m);
            sTop[m] = s(c.top, m);
        }
        WindowSums<Complex, Value, width> windows(c.length, c.top, eTop, sTop);
        double worst = 0.0;
        for (std::int32_t h = c.top - 1; h >= c.bottom; --h) {
            std::array<Value, width> eh;
            std::array<Complex, width> sh;
            for (std::size_t m = 0; m < width; ++m) {
                eh[m] = e(h, m);
                sh[m] = s(h, m);
            }
            std::array<Value, width> sum;
            std::array<Complex, width> product;
            windows.add(h, eh, sh, sum, product);
            for (std::size_t m = 0; m < width; ++m) {
                Complex expectedC = 0.0;
                Complex expectedK = 0.0;
                Complex f = 1.0;
                for (std::int32_t i = 0; i < c.length; ++i) {
                    expectedC += f * e(h + i, m).c[0];
                    expectedK += f * e(h + i, m).k[0];
                    f *= s(h + i, m);
                }
                const double scale = 1.0 + std::abs(expectedC) + std::abs(expectedK);
                worst = std::max({worst, std::abs(sum[m].c[0] - expectedC) / scale,
                                  std::abs(sum[m].k[0] - expectedK) / scale,
                                  std::abs(product[m] - f) / (1.0 + std::abs(f))});
            }
        }
        EXPECT_LT(worst, 1e-12);
    }
}

TEST(WindowSumsTest, RestartForgetsTheSumsBefore) {
    // The same sums from a restarted object as from a new one, after other work in it.
    const std::array<Value, width> eTop{term(9, 0), term(9, 1)};
    const std::array<Complex, width> sTop{factor(9, 0), factor(9, 1)};
    WindowSums<Complex, Value, width> reused(5, 50, {term(50, 0), term(50, 1)},
                                             {factor(50, 0), factor(50, 1)});
    std::array<Value, width> sum;
    std::array<Complex, width> product;
    for (std::int32_t h = 49; h >= 20; --h) {
        reused.add(h, {term(h, 0), term(h, 1)}, {factor(h, 0), factor(h, 1)}, sum, product);
    }
    reused.restart(4, 9, eTop, sTop);
    WindowSums<Complex, Value, width> fresh(4, 9, eTop, sTop);
    for (std::int32_t h = 8; h >= 0; --h) {
        std::array<Value, width> freshSum;
        std::array<Complex, width> freshProduct;
        reused.add(h, {term(h, 0), term(h, 1)}, {factor(h, 0), factor(h, 1)}, sum, product);
        fresh.add(h, {term(h, 0), term(h, 1)}, {factor(h, 0), factor(h, 1)}, freshSum,
                  freshProduct);
        for (std::size_t m = 0; m < width; ++m) {
            EXPECT_EQ(sum[m].c[0], freshSum[m].c[0]) << h;
            EXPECT_EQ(sum[m].k[0], freshSum[m].k[0]) << h;
            EXPECT_EQ(product[m], freshProduct[m]) << h;
        }
    }
}

}  // namespace
}  // namespace korvale
