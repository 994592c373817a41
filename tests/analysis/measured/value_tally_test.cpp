// The tally of whole numbers behind the measured laws: its order statistics, shares and
// intervals worked by hand, and merging the threads' tallies, which keeps every count and costs
// a step per table cell, however the tables grew.

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

TEST(TallyTest, OrderStatisticsAndIntervalsWorkedByHand) {
    Tally tally;
    for (int v = 100; v >= 1; --v) {
        tally.add(v);
    }
    // n = 100, q = 1/2: the 50th value; 1.96 sqrt(25) = 9.8 gives ranks 40 .. 60.
    EXPECT_EQ(tally.quantile(0.5), 50);
    const Interval median = tally.quantileInterval(0.5);
    EXPECT_EQ(median.low, 40.0);
    EXPECT_EQ(median.high, 60.0);
    // q = 0.99: the 99th value; 1.96 sqrt(0.99) = 1.95 gives ranks 97 .. 100 (clipped).
    EXPECT_EQ(tally.quantile(0.99), 99);
    EXPECT_EQ(tally.quantileInterval(0.99).high, 100.0);
    EXPECT_EQ(tally.quantile(0.01), 1);
    EXPECT_EQ(tally.quantileInterval(0.01).low, 1.0);
    // 30 of 100 at 71 or more: Wilson's interval, 0.2189 .. 0.3958 worked by hand.
    EXPECT_DOUBLE_EQ(tally.shareAtLeast(71), 0.3);
    const Interval share = tally.shareInterval(0.3);
    EXPECT_NEAR(share.low, 0.2189, 1e-4);
    EXPECT_NEAR(share.high, 0.3958, 1e-4);
    EXPECT_DOUBLE_EQ(tally.mean(), 50.5);
    Tally other;
    other.add(1000);
    tally.merge(other);
    EXPECT_EQ(tally.total(), 101);
    EXPECT_EQ(tally.orderStatistic(100), 1000);
    EXPECT_EQ(tally.countAtLeast(100), 2);
}

TEST(TallyTest, GrowsBothWaysAndMergesAgainstASortedList) {
    // Values that jump below and far above the first one, against a plain sorted list.
    const std::vector<std::int64_t> first = {5, -3, 5, 400, -250, 0, 5, 1200};
    const std::vector<std::int64_t> second = {-9000, 7, 7};
    Tally tally;
    Tally other;
    std::vector<std::int64_t> all;
    for (const std::int64_t v : first) {
        tally.add(v);
        all.push_back(v);
    }
    for (const std::int64_t v : second) {
        other.add(v);
        all.push_back(v);
    }
    tally.merge(other);
    std::sort(all.begin(), all.end());
    ASSERT_EQ(tally.total(), 11);
    EXPECT_EQ(tally.lowest(), -9000);
    EXPECT_EQ(tally.highest(), 1200);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(tally.orderStatistic(static_cast<std::int64_t>(i)), all[i]);
    }
    EXPECT_EQ(tally.countOf(5), 3);
    EXPECT_EQ(tally.countOf(6), 0);
    EXPECT_EQ(tally.countOf(-100000), 0);
    EXPECT_EQ(tally.countAtLeast(6), 4);  // 7, 7, 400, 1200
    EXPECT_EQ(tally.countAtLeast(-100000), 11);
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
