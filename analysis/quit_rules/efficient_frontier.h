#pragma once

// The rules worth playing: those that no other rule beats on both counts, the mean net coins
// per 1000 games and the chance to end an attempt ahead.

#include <cstddef>
#include <vector>

namespace korvale {

struct FrontierCandidate {
    double netPer1000Games = 0;
    double pAhead = 0;
    bool known = true;  // false: no chance to end ahead is known; never on the frontier
};

// For each candidate, whether it is on the frontier: no known candidate is at least as good on
// both counts and better on one. Equal candidates are all on it.
std::vector<bool> efficientFrontier(const std::vector<FrontierCandidate>& candidates);

// The candidates on the frontier (`on`, as efficientFrontier marks them), from the highest rate
// down and so from the lowest chance up; equal candidates in their given order.
std::vector<std::size_t> frontierOrder(const std::vector<FrontierCandidate>& candidates,
                                       const std::vector<bool>& on);

}  // namespace korvale
