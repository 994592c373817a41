#pragma once

// The coin cost of an attempt of G games is round(c * G), halves to even, with c a float
// widened to double. Written as c = n/1000 - e with n whole and e tiny (both coefficients are
// floats nearest to three-decimal numbers), round(c * G) - n * G / 1000 repeats with a short
// period in G for every G below a bound (where e * G starts to move a rounding). The expected
// cost is then n/1000 E[G] plus the mean of that periodic part over the distribution of
// G modulo the period, which the generating function of G at the period's roots of unity
// gives exactly.

#include <cstdint>
#include <vector>

namespace korvale {

struct PeriodicCost {
    std::int64_t thousandths = 0;  // n
    std::int32_t period = 1;       // P: n * P / 1000 is whole
    std::int64_t validBelow = 0;   // round(c G) follows the period for every G < validBelow
    std::vector<double> excess;    // round(c j) - n j / 1000 for j = 0 .. P-1
};

// Scans game counts up to `scanLimit` for the first one that leaves the pattern.
PeriodicCost periodicCost(double coefficient, std::int64_t scanLimit = 20000000);

// Whether round(c * games) is the pattern's value at this many games.
bool followsPattern(const PeriodicCost& cost, double coefficient, std::int64_t games);

}  // namespace korvale
