#pragma once

// What the net's laws share between their transforms: a table's length and edges, the
// rounding's costs over its period, the law from its tilted transform and the head's table.
// Where a Chernoff bound puts an edge is attempt_tails.h's.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/outcome/outcome_law.h"

namespace korvale {

// The head of a net's law (NetLawHead): its table runs from far in the left tail to a little
// above the median and 0; the right tail beyond it folds back onto the table damped by
// headDamping, at most that in all. The table first reaches headTopMargin above the mean net
// (and 0), and its left end leaves headOutside times headDamping by a Chernoff bound.
inline constexpr double headDamping = 1e-6;
inline constexpr double headOutside = 1e-9;
inline constexpr std::int64_t headTopMargin = 16;

// The table's length for this many values (1 or more): a length the transform takes;
// StatusError (AttemptsTooLong) past the longest table the laws build.
std::size_t checkedLength(std::int64_t values);

// A table's edge, already rounded to a whole number, as one: StatusError (AttemptsTooLong)
// when the Chernoff bound found none (the transform infinite at every rate it tried, for
// attempts that long) or one beyond the longest table, which no table from 0 could reach.
std::int64_t wholeEdge(double edge);

// The rounding's period as the net's transforms take it: P, the cost of a period Nc, and
// round(c j) for j = 0 .. P-1 (whole numbers that grow with j).
struct RoundingPeriod {
    std::size_t period = 0;
    double nc = 0.0;
    std::vector<std::int64_t> roundedCost;
};
RoundingPeriod roundingPeriod(const PeriodicCost& cost);

// The law from its tilted transform: chance(low + i) exp(-tilt (low + i)) = (1/length) sum_a
// transform[a] exp(-i theta_a (low + i)). `arithmetic` gets the imaginary parts left over.
IntegerLaw untiltedLaw(std::vector<Complex>& transform, std::int64_t low, double tilt,
                       double& arithmetic);

// The head's table from `low` up: the median of these laws lies below their mean (the right
// tail is the long one), so the table first reaches a little above the mean and 0, and grows
// should it not hold the median. `netLaw(length, tilt, arithmetic)` gives the law on that
// many values from `low`; the bound is fixedBound and the arithmetic.
template <typename NetLaw>
void fillHeadTable(NetLawHead& head, std::int64_t low, double meanNet, double fixedBound,
                   NetLaw netLaw) {
    auto top = std::max<std::int64_t>(wholeEdge(std::ceil(meanNet)), 0) + headTopMargin;
    for (;;) {
        const std::size_t length = checkedLength(top - low + 2);
        const double tilt = -std::log(headDamping) / static_cast<double>(length);
        double arithmetic = 0.0;
        head.net = netLaw(length, tilt, arithmetic);
        head.errorBound = fixedBound + arithmetic;
        double held = 0.0;
        for (const double p : head.net.chance) {
            held += p;
        }
        if (held > 0.5 + head.errorBound + 1e-3 &&
            head.net.first + static_cast<std::int64_t>(head.net.chance.size()) > 1) {
            return;
        }
        top += static_cast<std::int64_t>(length);
    }
}

// P(net > 0) from a head's table: 1 less what it holds at or below 0.
double aheadChance(const IntegerLaw& head);

}  // namespace korvale
