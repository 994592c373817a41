#pragma once

// Weights known by their logs, made into chances without leaving the range of a double: each
// weight is taken relative to the largest before it is raised, so logs of -1000 and -1001 give
// the chances 0.73 and 0.27 where exp(-1000) alone would be 0.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace korvale {

// Leaves exp(logs[i]) / sum of exp(logs) in chances[i] and returns the log of that sum; when
// every log is -inf (no weight at all) returns -inf and leaves every chance 0.
template <std::size_t n>
double chancesOfLogWeights(const std::array<double, n>& logs, std::array<double, n>& chances) {
    double top = -INFINITY;
    for (const double value : logs) {
        top = std::max(top, value);
    }
    chances = {};
    if (top == -INFINITY) {
        return -INFINITY;
    }
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        chances[i] = std::exp(logs[i] - top);
        total += chances[i];
    }
    for (double& chance : chances) {
        chance /= total;
    }
    return top + std::log(total);
}

}  // namespace korvale
