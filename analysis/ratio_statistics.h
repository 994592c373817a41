#pragma once

#include <cstdint>

namespace korvale {

// A 95% confidence interval; `known` is false when there are too few units to estimate one.
struct Interval {
    bool known = false;
    double low = 0.0;
    double high = 0.0;
};

// The two-sided 95% quantile of Student's t with `degreesOfFreedom` (1 or more) degrees.
double studentT975(std::int64_t degreesOfFreedom);

// Sums over independent units (batches of games, or attempts) for a ratio of totals Σy / Σx.
// A mean per unit is the ratio with x = 1. The interval uses the usual large-sample variance
// of a ratio estimator, Σ(y - R x)² / (n (n - 1) x̄²), with Student's t for n - 1 degrees.
struct RatioSums {
    std::int64_t units = 0;
    std::int64_t unitsWithX = 0;  // units whose x is not 0: an interval needs two of them
    double x = 0.0;
    double y = 0.0;
    double xx = 0.0;
    double yy = 0.0;
    double xy = 0.0;

    void add(double unitX, double unitY) {
        ++units;
        if (unitX != 0.0) {
            ++unitsWithX;
        }
        x += unitX;
        y += unitY;
        xx += unitX * unitX;
        yy += unitY * unitY;
        xy += unitX * unitY;
    }

    void merge(const RatioSums& other);

    // The interval around `estimate` (the figure as reported, which may differ from Σy / Σx by
    // rounding), with the half-width of Σy / Σx.
    Interval interval95(double estimate) const;
};

}  // namespace korvale
