#pragma once

#include <cstdint>

namespace korvale {

// A 95% confidence interval; `known` is false when there are too few units to estimate one.
struct Interval {
    bool known = false;
    double low = 0.0;
    double high = 0.0;
};

// The two-sided 95% quantile of the normal law, and of Student's t with `degreesOfFreedom`
// (1 or more) degrees.
inline constexpr double normal975 = 1.959963984540054;
double studentT975(std::int64_t degreesOfFreedom);

// Wilson's score interval for a share of `trials` independent trials (1 or more) with `z` the
// quantile: always within [0, 1], and never empty at 0 or at `trials` successes (0 of 100 gives
// [0, 0.0370]); with 1 to 3 successes (or failures) the bound on their side is the Poisson
// one where that is wider (the modified Wilson interval). `share` is successes / trials.
Interval wilsonInterval(double share, double trials, double z = normal975);

// Sums over independent units (batches of games, or attempts) for a ratio of totals Σy / Σx.
// A mean per unit is the ratio with x = 1. The interval uses the usual large-sample variance
// of a ratio estimator, Σ(y - R x)² / (n (n - 1) x̄²), with Student's t for the units' effective
// number less one (Kish's (Σx)² / Σx²: n for equal units, fewer when a few large ones weigh most,
// as a run's last, short batch beside full ones).
struct RatioSums {
    std::int64_t units = 0;
    std::int64_t unitsWithX = 0;  // units whose x is not 0: an interval needs two of them
    double x = 0.0;
    double y = 0.0;
    double xx = 0.0;
    double yy = 0.0;
    double xy = 0.0;
    // A unit with x or y below 0: only then may the ratio be, and its interval reach below 0.
    bool negative = false;

    void add(double unitX, double unitY) {
        ++units;
        if (unitX != 0.0) {
            ++unitsWithX;
        }
        negative = negative || unitX < 0.0 || unitY < 0.0;
        x += unitX;
        y += unitY;
        xx += unitX * unitX;
        yy += unitY * unitY;
        xy += unitX * unitY;
    }

    void merge(const RatioSums& other);
    // Kish's effective number of units less one, at least 1.
    std::int64_t degreesOfFreedom() const;

    // The interval around `estimate` (the figure as reported, which may differ from Σy / Σx by
    // rounding), with the half-width of Σy / Σx; cut at 0 when no unit is below 0 (with few
    // units the normal approximation would reach below what the ratio can be).
    Interval interval95(double estimate) const;

    // For a share y / x of trials that are not independent (x trials and y successes per unit,
    // the units independent): Wilson's interval with the effective number of trials
    // n* = p (1 - p) / var(p) that the units' spread gives (at most the trials; all of them when
    // the units show no spread, as at p = 0 or 1) and Student's t as above. Needs two units
    // with trials.
    Interval shareInterval95(double share) const;
};

}  // namespace korvale
