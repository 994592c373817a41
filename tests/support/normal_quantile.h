#pragma once

// The two-sided normal quantile z with P(|Z| > z) = tail, by bisection: for the intervals the
// simulation checks draw around an exact figure.

#include <cmath>

namespace korvale {

inline double twoSidedNormalQuantile(double tail) {
    double low = 0.0;
    double high = 10.0;
    for (int i = 0; i < 100; ++i) {
        const double middle = (low + high) / 2.0;
        (std::erfc(middle / std::sqrt(2.0)) > tail ? low : high) = middle;
    }
    return low;
}

}  // namespace korvale
