// The tally of whole numbers behind the measured laws: merging the threads' tallies keeps every
// count and costs a step per table cell, however the tables grew.

#include "analysis/measured/value_tally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace korvale {
namespace {

std::vector<std::int64_t> from(std::int64_t first, std::int64_t last) {
    std::vector<std::int64_t> values;
    for (std::int64_t v = first; v <= last; ++v) {
        values.push_back(v);
    }
    return values;
}

TEST(TallyMergeTest, KeepsEveryCountInLinearSteps) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> into;
        std::vector<std::int64_t> added;
    };
    std::vector<std::int64_t> downwards = from(1, 2000);
    std::reverse(downwards.begin(), downwards.end());
    const std::vector<Case> cases = {
        // Waits of 1..2000 games: the table doubled past the longest, its end left empty.
        {"waits up to 2000", {}, from(1, 2000)},
        {"waits up to 1025, half the table empty", {}, from(1, 1025)},
        {"grown downwards", from(1, 10), downwards},
        {"a long wait and a short one", {7, 7}, {2000, 1}},
        {"far apart", from(-3000, -2000), from(1, 2000)},
    };
    for (const Case& c : cases) {
        Tally into;
        Tally added;
        std::map<std::int64_t, std::int64_t> expected;
        std::vector<std::int64_t> sorted;
        for (const std::int64_t v : c.into) {
            into.add(v);
            ++expected[v];
            sorted.push_back(v);
        }
        for (const std::int64_t v : c.added) {
            added.add(v);
            ++expected[v];
            sorted.push_back(v);
        }
        const std::int64_t before = into.cellsRead() + added.cellsRead();
        into.merge(added);
        const std::int64_t steps = into.cellsRead() + added.cellsRead() - before;
        // A table spans at most twice the values' range and its first 64 cells.
        const std::int64_t span = expected.rbegin()->first - expected.begin()->first + 1;
        EXPECT_LE(steps, 4 * (2 * span + 64)) << c.name;

        ASSERT_EQ(into.total(), static_cast<std::int64_t>(sorted.size())) << c.name;
        EXPECT_EQ(into.lowest(), expected.begin()->first) << c.name;
        EXPECT_EQ(into.highest(), expected.rbegin()->first) << c.name;
        for (std::int64_t v = into.lowest() - 1; v <= into.highest() + 1; ++v) {
            const auto found = expected.find(v);
            ASSERT_EQ(into.countOf(v), found == expected.end() ? 0 : found->second)
                << c.name << " at " << v;
        }
        std::sort(sorted.begin(), sorted.end());
        for (const std::size_t i : {std::size_t{0}, sorted.size() / 2, sorted.size() - 1}) {
            EXPECT_EQ(into.orderStatistic(static_cast<std::int64_t>(i)), sorted[i]) << c.name;
        }
    }
}

// A few attempts of tens of millions of games each (BIG end 2000): the games are far apart, and
// the work is in the values held, not in the range they span.
TEST(TallyMergeTest, FewValuesFarApartCostStepsPerValue) {
    const std::vector<std::int64_t> games = {23'000'000, 61'500'000, 4'100'000, 150'000'000};
    Tally into;
    Tally added;
    into.add(-5);
    for (const std::int64_t g : games) {
        added.add(g);
    }
    into.merge(added);
    EXPECT_EQ(into.total(), 5);
    EXPECT_EQ(into.lowest(), -5);
    EXPECT_EQ(into.highest(), 150'000'000);
    EXPECT_EQ(into.countOf(61'500'000), 1);
    EXPECT_EQ(into.countOf(61'500'001), 0);
    EXPECT_EQ(into.countAtLeast(23'000'000), 3);
    EXPECT_EQ(into.orderStatistic(1), 4'100'000);
    EXPECT_EQ(into.quantile(0.5), 23'000'000);
    std::vector<std::int64_t> seen;
    into.forEachValue([&](std::int64_t value, std::int64_t count) {
        seen.insert(seen.end(), static_cast<std::size_t>(count), value);
    });
    EXPECT_EQ(seen,
              (std::vector<std::int64_t>{-5, 4'100'000, 23'000'000, 61'500'000, 150'000'000}));
    EXPECT_LE(into.cellsRead() + added.cellsRead(), 1000);
}

TEST(TallyMergeTest, AnEmptyTallyChangesNothing) {
    Tally tally;
    tally.add(5);
    tally.merge(Tally());
    EXPECT_EQ(tally.total(), 1);
    Tally empty;
    empty.merge(tally);
    EXPECT_EQ(empty.countOf(5), 1);
    EXPECT_EQ(empty.sum(), 5.0);
}

}  // namespace
}  // namespace korvale
