#include "analysis/quit_rules/efficient_frontier.h"

#include <algorithm>
#include <numeric>

namespace korvale {

std::vector<bool> efficientFrontier(const std::vector<FrontierCandidate>& candidates) {
    // By rate, best first (ties by chance, best first): a candidate is on the frontier when its
    // chance beats every chance met before it, or equals the best one met with the same rate
    // and chance.
    std::vector<std::size_t> order(candidates.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const FrontierCandidate& x = candidates[a];
        const FrontierCandidate& y = candidates[b];
        return x.netPer1000Games != y.netPer1000Games ? x.netPer1000Games > y.netPer1000Games
                                                      : x.pAhead > y.pAhead;
    });
    std::vector<bool> on(candidates.size(), false);
    bool any = false;
    double bestChance = 0;
    const FrontierCandidate* best = nullptr;
    for (const std::size_t i : order) {
        const FrontierCandidate& c = candidates[i];
        if (!c.known) {
            continue;
        }
        if (!any || c.pAhead > bestChance) {
            on[i] = true;
            bestChance = c.pAhead;
            best = &c;
            any = true;
        } else if (c.pAhead == bestChance && c.netPer1000Games == best->netPer1000Games) {
            on[i] = true;
        }
    }
    return on;
}

std::vector<std::size_t> frontierOrder(const std::vector<FrontierCandidate>& candidates,
                                       const std::vector<bool>& on) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < candidates.size() && i < on.size(); ++i) {
        if (on[i]) {
            order.push_back(i);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const FrontierCandidate& x = candidates[a];
        const FrontierCandidate& y = candidates[b];
        return x.netPer1000Games != y.netPer1000Games ? x.netPer1000Games > y.netPer1000Games
                                                      : x.pAhead > y.pAhead;
    });
    return order;
}

}  // namespace korvale
