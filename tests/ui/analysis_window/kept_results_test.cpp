// The analysis window's kept results: the one used longest ago goes first, a result found
// counts as used, and one still held elsewhere outlives its place.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/analysis_window/kept_results.h"

namespace korvale {
namespace {

struct Worked {
    int setup;
};

// Steps on a store of 3: "+n" keeps setup n, "?n" looks for it. `found` lists, in order, what
// each look found (1) or missed (0), worked out by hand.
TEST(KeptResultsTest, LetsGoOfTheOneUsedLongestAgo) {
    const struct {
        const char* name;
        std::vector<std::string> steps;
        std::vector<int> found;
    } cases[] = {
        {"within capacity", {"+1", "+2", "+3", "?1", "?2", "?3"}, {1, 1, 1}},
        {"fourth pushes out the first", {"+1", "+2", "+3", "+4", "?1", "?2", "?4"}, {0, 1, 1}},
        {"a look keeps it", {"+1", "+2", "+3", "?1", "+4", "?2", "?1", "?3"}, {1, 0, 1, 1}},
        {"a miss changes nothing", {"+1", "+2", "+3", "?9", "+4", "?1", "?2"}, {0, 0, 1}},
        {"many setups, the last three kept",
         {"+1", "+2", "+3", "+4", "+5", "+6", "?3", "?4", "?5", "?6"},
         {0, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeptResults<Worked> kept(3);
        std::vector<int> found;
        for (const std::string& step : c.steps) {
            const int setup = std::stoi(step.substr(1));
            if (step[0] == '+') {
                kept.keep(std::make_shared<const Worked>(Worked{setup}));
            } else {
                const std::shared_ptr<const Worked> result = kept.find(setup);
                found.push_back(result != nullptr ? 1 : 0);
                if (result != nullptr) {
                    EXPECT_EQ(result->setup, setup);
                }
            }
        }
        EXPECT_EQ(found, c.found);
    }
}

TEST(KeptResultsTest, AResultHeldElsewhereOutlivesItsPlace) {
    KeptResults<Worked> kept(1);
    kept.keep(std::make_shared<const Worked>(Worked{1}));
    const std::shared_ptr<const Worked> shown = kept.find(1);
    kept.keep(std::make_shared<const Worked>(Worked{2}));
    EXPECT_EQ(kept.find(1), nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->setup, 1);
    EXPECT_EQ(shown.use_count(), 1);  // the store let go of its share
}

}  // namespace
}  // namespace korvale
