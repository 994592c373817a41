#include "analysis/measured/ratio_statistics.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace korvale {

double studentT975(std::int64_t degreesOfFreedom) {
    static constexpr std::array<double, 30> table = {
        12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
        2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
        2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
    if (degreesOfFreedom < 1) {
        return NAN;
    }
    if (degreesOfFreedom <= 30) {
        return table[static_cast<std::size_t>(degreesOfFreedom - 1)];
    }
    // Beyond the table the quantile approaches 1.96 as about 2.4 / df (within 0.001 here).
    return 1.959964 + 2.4 / static_cast<double>(degreesOfFreedom);
}

void RatioSums::merge(const RatioSums& other) {
    units += other.units;
    unitsWithX += other.unitsWithX;
    x += other.x;
    y += other.y;
    xx += other.xx;
    yy += other.yy;
    xy += other.xy;
    negative = negative || other.negative;
}

std::int64_t RatioSums::degreesOfFreedom() const {
    const double effective = xx > 0.0 ? x * x / xx : 0.0;
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(effective + 1e-9)) - 1);
}

namespace {

// The lower bound of a share seen 1, 2 or 3 times from the Poisson law (half the 2.5% point of
// chi-square with 2, 4, 6 degrees), over the trials.
constexpr std::array<double, 3> poissonLow = {0.0253178, 0.2422093, 0.6186721};

double fewSeenLow(double successes, double trials, double wilsonLow) {
    // A share of trials that the units' spread is worth need not make whole successes.
    const double k = std::ceil(successes - 1e-9);
    if (successes <= 0.0 || k < 1.0 || k > 3.0) {
        return wilsonLow;
    }
    return std::min(wilsonLow, poissonLow[static_cast<std::size_t>(k) - 1] / trials);
}

}  // namespace

Interval wilsonInterval(double share, double trials, double z) {
    if (!(trials > 0.0)) {
        return {};
    }
    const double p = std::clamp(share, 0.0, 1.0);
    const double zz = z * z / trials;
    const double centre = (p + zz / 2.0) / (1.0 + zz);
    const double half = z * std::sqrt(p * (1.0 - p) / trials + zz / (4.0 * trials)) / (1.0 + zz);
    // At 0 and 1 the bound is exact in theory; keep it so against the last bit of rounding.
    double low = p == 0.0 ? 0.0 : std::max(0.0, centre - half);
    double high = p == 1.0 ? 1.0 : std::min(1.0, centre + half);
    // Wilson's bound near a share seen only 1 to 3 times (or all but 1 to 3) sits too close to
    // it and misses rare shares; the Poisson bound there is the usual mend (Brown, Cai and
    // DasGupta's modified Wilson interval).
    low = fewSeenLow(p * trials, trials, low);
    high = 1.0 - fewSeenLow((1.0 - p) * trials, trials, 1.0 - high);
    return {true, low, high};
}

Interval RatioSums::shareInterval95(double share) const {
    if (unitsWithX < 2 || !(x > 0.0)) {
        return {};
    }
    const double n = static_cast<double>(units);
    const double p = y / x;
    const double residual = std::max(0.0, yy - 2.0 * p * xy + p * p * xx);
    const double meanX = x / n;
    const double variance = residual / (n * (n - 1.0)) / (meanX * meanX);
    double trials = x;
    if (variance > 0.0 && p > 0.0 && p < 1.0) {
        trials = std::min(x, p * (1.0 - p) / variance);
    }
    return wilsonInterval(share, trials, studentT975(degreesOfFreedom()));
}

Interval RatioSums::interval95(double estimate) const {
    if (unitsWithX < 2 || !(x > 0.0)) {
        return {};
    }
    const double n = static_cast<double>(units);
    const double ratio = y / x;
    // Σ(y - R x)², from the sums; rounding can take it a hair below 0.
    const double residual = std::max(0.0, yy - 2.0 * ratio * xy + ratio * ratio * xx);
    const double meanX = x / n;
    const double standardError = std::sqrt(residual / (n * (n - 1.0))) / meanX;
    const double halfWidth = studentT975(degreesOfFreedom()) * standardError;
    const double low = estimate - halfWidth;
    return {true, negative ? low : std::max(low, 0.0), estimate + halfWidth};
}

}  // namespace korvale
