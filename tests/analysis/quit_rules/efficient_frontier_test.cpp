#include "analysis/quit_rules/efficient_frontier.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace korvale {
namespace {

constexpr bool unknown = false;

// Candidates (net per 1000 games, P(ahead), known) and the frontier worked out by hand: a
// candidate is off it when another known one is at least as good on both and better on one.
TEST(EfficientFrontierTest, KeepsTheCandidatesNoKnownOneBeatsOnBoth) {
    struct Case {
        std::string name;
        std::vector<FrontierCandidate> candidates;
        std::vector<bool> onFrontier;
    };
    const std::vector<Case> cases = {
        {"empty", {}, {}},
        {"a single one", {{5, 0.4}}, {true}},
        {"a single unknown one", {{5, 0.4, unknown}}, {false}},
        // C loses to B on both; A and B trade rate for chance.
        {"a dominated one", {{10, 0.5}, {5, 0.6}, {4, 0.55}}, {true, true, false}},
        {"given from the lowest rate up", {{4, 0.55}, {5, 0.6}, {10, 0.5}}, {false, true, true}},
        // Equal on both: all on it; the same rate with less chance, or the same chance at a
        // lower rate, is beaten.
        {"ties", {{10, 0.5}, {10, 0.5}, {10, 0.4}, {8, 0.5}}, {true, true, false, false}},
        {"ties below the top",
         {{10, 0.3}, {5, 0.6}, {5, 0.6}, {7, 0.6}},
         {true, false, false, true}},
        // An unknown chance beats nothing, however good its rate.
        {"an unknown one", {{10, 0.5}, {20, 0.9, unknown}, {9, 0.4}}, {true, false, false}},
        {"only unknown ones", {{10, 0.5, unknown}, {20, 0.9, unknown}}, {false, false}},
        // Negative rates and close chances, as short rules at 設定１ give them.
        {"close figures",
         {{-28.42, 0.62026}, {440.34, 0.63699}, {441.78, 0.63633}, {391.62, 0.59945}},
         {false, true, true, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(efficientFrontier(c.candidates), c.onFrontier) << c.name;
    }
}

// The frontier as the sweep lists it: from the highest rate down, equal ones as given.
TEST(EfficientFrontierTest, ListsTheFrontierFromTheHighestRateDown) {
    const std::vector<std::pair<std::vector<FrontierCandidate>, std::vector<std::size_t>>> cases = {
        {{}, {}},
        {{{4, 0.55}, {5, 0.6}, {10, 0.5}}, {2, 1}},
        {{{5, 0.6}, {10, 0.3}, {5, 0.6}, {7, 0.6}, {7, 0.6}}, {1, 3, 4}},
        {{{10, 0.5, unknown}, {-3, 0.7}, {2, 0.65}}, {2, 1}},
    };
    for (const auto& [candidates, order] : cases) {
        EXPECT_EQ(frontierOrder(candidates, efficientFrontier(candidates)), order);
    }
}

}  // namespace
}  // namespace korvale
