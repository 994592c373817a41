// Chernoff's edges and bounds on laws whose transforms and tails are known in closed form, and
// the attempt's tails read on the right side of W = K - c G and of G.

#include "analysis/outcome/attempt_tails.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace korvale {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// The best Chernoff edge over rates (0, highest], by a fine search.
double bestEdge(const std::function<double(double)>& transform, double target, double highest) {
    double best = infinity;
    for (int i = 1; i <= 200000; ++i) {
        const double b = highest * i / 200000.0;
        const double m = transform(b);
        if (std::isfinite(m)) {
            best = std::min(best, (std::log(m) - std::log(target)) / b);
        }
    }
    return best;
}

TEST(ChernoffEdgeTest, BoundsTheTailAndComesNearTheBestRate) {
    struct Law {
        std::string name;
        std::function<double(double)> transform;  // E[exp(b X)]
        std::function<double(double)> tail;       // P(X >= x), exact
        double firstRate;
        double highest;  // where the search for the best rate stops
    };
    // Geometric on 0, 1, 2, ..: P(X = n) = (1 - q) q^n, finite below b = -ln q.
    const double q = 0.99;
    // Binomial, 40 trials of 1/4: finite at every rate.
    const int n = 40;
    const double p = 0.25;
    auto binomialTail = [&](double x) {
        double sum = 0.0;
        for (int k = std::max(0, static_cast<int>(std::ceil(x))); k <= n; ++k) {
            sum += std::tgamma(n + 1.0) / (std::tgamma(k + 1.0) * std::tgamma(n - k + 1.0)) *
                   std::pow(p, k) * std::pow(1.0 - p, n - k);
        }
        return sum;
    };
    const std::vector<Law> laws = {
        {"geometric",
         [&](double b) {
             return q * std::exp(b) < 1.0 ? (1.0 - q) / (1.0 - q * std::exp(b)) : infinity;
         },
         [&](double x) { return std::pow(q, std::ceil(x)); }, 1e-4, -std::log(q)},
        {"binomial", [&](double b) { return std::pow(1.0 - p + p * std::exp(b), n); }, binomialTail,
         1e-3, 4.0},
    };
    for (const Law& law : laws) {
        for (const double target : {1e-3, 1e-10}) {
            SCOPED_TRACE(law.name + " " + std::to_string(target));
            const double edge = chernoffEdge(law.transform, target, law.firstRate);
            ASSERT_TRUE(std::isfinite(edge));
            EXPECT_LE(law.tail(edge), target);
            const double best = bestEdge(law.transform, target, law.highest);
            EXPECT_GE(edge, best * (1.0 - 1e-12));
            EXPECT_LE(edge, best * 1.02);
        }
    }
    // A tail too heavy for any rate: no edge at all.
    EXPECT_EQ(chernoffEdge([](double) { return infinity; }, 1e-10, 1e-3), infinity);
}

TEST(AttemptTailsTest, ReadsEachTailOnItsSide) {
    // An attempt of two kinds: 3 BIGs and a REG in 400 games (chance 0.3), or one BIG in 120.
    // W = K - c G is 1291 - 400 c or 388 - 120 c.
    const double c = 1.604;
    const double wHigh = 1291.0 - 400.0 * c;  // 649.4
    const double wLow = 388.0 - 120.0 * c;    // 195.52
    const AttemptTails twoKinds(
        [](double coinRate, double gameRate) {
            return 0.3 * std::exp(1291.0 * coinRate + 400.0 * gameRate) +
                   0.7 * std::exp(388.0 * coinRate + 120.0 * gameRate);
        },
        c, 0);
    EXPECT_NEAR(twoKinds.meanNet(), 0.3 * wHigh + 0.7 * wLow, 1e-6);
    // Each edge lies past the law's end on its side, and not far past: within a tenth of the
    // span (the transform of values in the hundreds overflows from rates of about 1 on, which
    // keeps an edge some coins out).
    const double target = 1e-9;
    const double span = wHigh - wLow;
    EXPECT_GT(twoKinds.netAbove(target), wHigh);
    EXPECT_LT(twoKinds.netAbove(target), wHigh + 0.1 * span);
    EXPECT_GT(twoKinds.netBelow(target), -wLow);
    EXPECT_LT(twoKinds.netBelow(target), -wLow + 0.1 * span);
    EXPECT_GT(twoKinds.gamesAbove(target), 400.0);
    EXPECT_LT(twoKinds.gamesAbove(target), 400.0 + 0.1 * 280.0);
    // Every attempt lasts 120 games or more.
    EXPECT_EQ(twoKinds.gamesBeyond(120), 1.0);

    // Geometric games of mean 49, P(G >= g) = 0.98^g: a bound, and a useful one far out.
    const AttemptTails geometric(
        [](double, double gameRate) {
            const double grow = 0.98 * std::exp(gameRate);
            return grow < 1.0 ? 0.02 / (1.0 - grow) : infinity;
        },
        c, 0);
    for (const std::int64_t g : {10, 500, 10000}) {
        EXPECT_GE(geometric.gamesBeyond(g), std::pow(0.98, g)) << g;
    }
    EXPECT_LT(geometric.gamesBeyond(10000), 1e-6);
}

}  // namespace
}  // namespace korvale
