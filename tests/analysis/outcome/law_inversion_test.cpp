// The inversion of a tilted transform, on small laws whose transform is summed here directly:
// what lies in the table comes back as it was, what lies a table's length beyond either end
// folds onto it, damped from above and grown from below by the tilt.

#include "analysis/outcome/law_inversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace korvale {
namespace {

// sum over the law of chance exp(-tilt v) exp(i theta_a v), theta_a = 2 pi a / length.
std::vector<Complex> tiltedTransform(const std::map<std::int64_t, double>& law, std::size_t length,
                                     double tilt) {
    const auto n = static_cast<std::int64_t>(length);
    std::vector<Complex> transform(length);
    for (std::int64_t a = 0; a < n; ++a) {
        for (const auto& [v, p] : law) {
            const std::int64_t turn = ((a * v) % n + n) % n;
            transform[static_cast<std::size_t>(a)] +=
                p * std::exp(-tilt * static_cast<double>(v)) *
                std::polar(1.0, 2.0 * std::numbers::pi * static_cast<double>(turn) /
                                    static_cast<double>(n));
        }
    }
    return transform;
}

TEST(UntiltedLawTest, GivesBackTheLawWithEachEndFoldedByTheTilt) {
    struct Case {
        std::int64_t low;
        std::size_t length;
        double damping;  // exp(-tilt length)
    };
    for (const Case c : {Case{-7, 12, 1e-2}, Case{3, 30, 1e-6}, Case{-1000, 50, 1.0}}) {
        SCOPED_TRACE(std::to_string(c.low) + " + " + std::to_string(c.length));
        const auto top = c.low + static_cast<std::int64_t>(c.length);  // one past the table
        const std::map<std::int64_t, double> law = {
            {c.low, 0.1},     {c.low + 1, 0.2}, {top - 1, 0.3},  // in the table
            {top + 1, 0.25},  {top + 4, 0.05},                   // one length above
            {c.low - 2, 1e-7}};                                  // one length below
        const double tilt = -std::log(c.damping) / static_cast<double>(c.length);
        // Worked by hand: value v of the table gets P(v) + damping P(v + length) +
        // P(v - length) / damping.
        std::map<std::int64_t, double> expected;
        for (const auto& [v, p] : law) {
            const double fold = v >= top ? c.damping : v < c.low ? 1.0 / c.damping : 1.0;
            const std::int64_t at = v >= top    ? v - static_cast<std::int64_t>(c.length)
                                    : v < c.low ? v + static_cast<std::int64_t>(c.length)
                                                : v;
            expected[at] += p * fold;
        }
        // The untilting multiplies the round-off by up to 1 / damping at the top.
        const double tolerance = 1e-14 / c.damping;
        std::vector<Complex> transform = tiltedTransform(law, c.length, tilt);
        double arithmetic = -1.0;
        const IntegerLaw got = untiltedLaw(transform, c.low, tilt, arithmetic);
        ASSERT_EQ(got.first, c.low);
        ASSERT_EQ(got.chance.size(), c.length);
        for (std::int64_t v = c.low; v < top; ++v) {
            EXPECT_NEAR(got.at(v), expected.contains(v) ? expected.at(v) : 0.0, tolerance) << v;
        }
        EXPECT_LT(arithmetic, tolerance);
        EXPECT_GE(arithmetic, 0.0);

        // An imaginary part i e at value v0 (which no real law has) leaves the chances and
        // shows as e in `arithmetic`.
        const double e = 3e-4;
        const std::int64_t v0 = c.low + 5;
        std::vector<Complex> skewed = tiltedTransform(law, c.length, tilt);
        const std::vector<Complex> unit = tiltedTransform({{v0, 1.0}}, c.length, tilt);
        for (std::size_t a = 0; a < c.length; ++a) {
            skewed[a] += Complex(0.0, e) * unit[a];
        }
        const IntegerLaw same = untiltedLaw(skewed, c.low, tilt, arithmetic);
        EXPECT_NEAR(arithmetic, e, tolerance);
        for (std::int64_t v = c.low; v < top; ++v) {
            EXPECT_NEAR(same.at(v), got.at(v), tolerance) << v;
        }
    }
}

}  // namespace
}  // namespace korvale
