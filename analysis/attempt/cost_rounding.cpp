#include "analysis/attempt/cost_rounding.h"

#include <cmath>
#include <numeric>

namespace korvale {

PeriodicCost periodicCost(double coefficient, std::int64_t scanLimit) {
    PeriodicCost cost;
    cost.thousandths = std::llround(coefficient * 1000.0);
    const std::int64_t fraction = cost.thousandths % 1000;
    cost.period = static_cast<std::int32_t>(
        1000 / std::gcd(fraction == 0 ? 1000 : fraction, std::int64_t{1000}));
    // The machine's cost: the product in double precision, to the nearest integer, halves to
    // even (the current rounding mode, as the machine's own rounding uses).
    auto rounded = [&](std::int64_t games) {
        return static_cast<std::int64_t>(std::nearbyint(coefficient * static_cast<double>(games)));
    };
    std::vector<std::int64_t> within(static_cast<std::size_t>(cost.period));
    for (std::int32_t j = 0; j < cost.period; ++j) {
        within[static_cast<std::size_t>(j)] = rounded(j);
        cost.excess.push_back(static_cast<double>(rounded(j)) -
                              static_cast<double>(cost.thousandths * j) / 1000.0);
    }
    cost.validBelow = scanLimit;
    for (std::int64_t games = cost.period; games < scanLimit; ++games) {
        const std::int64_t j = games % cost.period;
        const std::int64_t whole = cost.thousandths * (games - j) / 1000;
        if (rounded(games) != whole + within[static_cast<std::size_t>(j)]) {
            cost.validBelow = games;
            break;
        }
    }
    return cost;
}

bool followsPattern(const PeriodicCost& cost, double coefficient, std::int64_t games) {
    const std::int64_t j = games % cost.period;
    const std::int64_t whole = cost.thousandths * (games - j) / 1000;
    const double pattern = static_cast<double>(whole) +
                           static_cast<double>(cost.thousandths * j) / 1000.0 +
                           cost.excess[static_cast<std::size_t>(j)];
    return std::nearbyint(coefficient * static_cast<double>(games)) == std::nearbyint(pattern);
}

}  // namespace korvale
