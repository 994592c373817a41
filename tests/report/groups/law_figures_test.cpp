#include "report/groups/law_figures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "analysis/measured/value_tally.h"

namespace korvale {
namespace {

std::set<std::string> keysOf(const FigureGroup& group) {
    std::set<std::string> keys;
    for (const Figure& f : group.figures) {
        keys.insert(f.key);
    }
    for (const Series& s : group.series) {
        keys.insert("series:" + s.key);
    }
    return keys;
}

// Exact and measured output join on their keys: whatever the exact laws report for a scope,
// a simulated run of that scope reports too.
TEST(LawFiguresTest, ExactKeysAreAlsoMeasured) {
    // The keys do not depend on the machine or the rule: a BIG every fifth game, ending at the
    // first, has tiny tables.
    MachineModel quick = machineModel(0);
    quick.bigProbability.fill(0.2);
    quick.ceilingBigProbability = 0.2;
    FigureGroup exactAttempt;
    addOutcomeLaw(exactAttempt, solveOutcomeLaw(quick, {0.0, 0}));
    AttemptTotals totals;
    totals.add(300, 1, 0, -93, 807);
    totals.add(120, 2, 1, 612, 972);
    FigureGroup measuredAttempt;
    addMeasuredOutcomeLaw(measuredAttempt, totals);
    const std::set<std::string> measured = keysOf(measuredAttempt);
    for (const std::string& key : keysOf(exactAttempt)) {
        EXPECT_TRUE(measured.contains(key)) << key;
    }
    EXPECT_TRUE(measured.contains("series:net_histogram"));

    FigureGroup exactLongRun;
    addLongRunGaps(exactLongRun, solveLongRunGaps(0));
    Tally bigGaps;
    Tally bonusGaps;
    for (const int gap : {1, 2, 600, 1200, 1700}) {
        bigGaps.add(gap);
        bonusGaps.add(gap / 2 + 1);
    }
    FigureGroup measuredLongRun;
    addMeasuredGaps(measuredLongRun, bigGaps, bonusGaps, {bigGaps}, {bonusGaps});
    const std::set<std::string> measuredGaps = keysOf(measuredLongRun);
    for (const std::string& key : keysOf(exactLongRun)) {
        EXPECT_TRUE(measuredGaps.contains(key)) << key;
    }
    // The five gaps by hand: three reach 500, two 1000, one 1500; the mean is 3503 / 5.
    EXPECT_DOUBLE_EQ(measuredLongRun.find("big_gap_ge_500")->value.value(), 0.6);
    EXPECT_DOUBLE_EQ(measuredLongRun.find("big_gap_ge_1000")->value.value(), 0.4);
    EXPECT_DOUBLE_EQ(measuredLongRun.find("big_gap_ge_1500")->value.value(), 0.2);
    EXPECT_DOUBLE_EQ(measuredLongRun.find("big_gap_mean")->value.value(), 700.6);
}

TEST(MeasuredGapsTest, IntervalsComeFromTheBatches) {
    // Four batches of ten waits: two of 100 games each, two of 900. Worked by hand with the
    // ratio estimator over batches (x = 10 waits, n = 4, t(3) = 3.182 as tables give it):
    //  share >= 500 = 0.5, y = 0, 0, 10, 10: sum (y - 0.5 x)^2 = 100, se = sqrt(100 / 12) / 10
    //  = 0.288675, so the batches are worth n* = 0.25 / se^2 = 3 waits, and Wilson's interval
    //  for 0.5 of 3 with z = t(3) is 0.5 -+ 0.43916: 0.06084 .. 0.93916;
    //  mean = 500, y = 1000, 1000, 9000, 9000: sum (y - 500 x)^2 = 4 * 4000^2, se =
    //  sqrt(64e6 / 12) / 10 = 230.940, half-width 734.851, cut at 0 below (no wait is);
    //  median = 100 (the 20th of 40), the share up to it 0.5 with the same interval as above,
    //  read back through the law: 100 .. 900.
    // Taken as forty independent waits the intervals would be far narrower.
    std::vector<Tally> batches(4);
    Tally all;
    for (std::size_t b = 0; b < batches.size(); ++b) {
        for (int i = 0; i < 10; ++i) {
            batches[b].add(b < 2 ? 100 : 900);
            all.add(b < 2 ? 100 : 900);
        }
    }
    FigureGroup group;
    addMeasuredGaps(group, all, all, batches, batches);
    const Figure* share = group.find("big_gap_ge_500");
    ASSERT_NE(share, nullptr);
    EXPECT_DOUBLE_EQ(share->value.value(), 0.5);
    EXPECT_NEAR(share->ci95.low, 0.06084, 1e-5);
    EXPECT_NEAR(share->ci95.high, 0.93916, 1e-5);
    const Figure* mean = group.find("big_gap_mean");
    EXPECT_DOUBLE_EQ(mean->value.value(), 500.0);
    EXPECT_EQ(mean->ci95.low, 0.0);
    EXPECT_NEAR(mean->ci95.high, 500.0 + 734.851, 1e-2);
    EXPECT_LT(all.meanInterval().high - 500.0, 200.0);  // the independent reading
    const Figure* median = group.find("big_gap_p50");
    EXPECT_EQ(median->value.value(), 100.0);
    EXPECT_EQ(median->ci95.low, 100.0);
    EXPECT_EQ(median->ci95.high, 900.0);
    // Each point of the law the same way: P(wait = 100) = 0.5, y = 10, 10, 0, 0.
    for (const Series& series : group.series) {
        if (series.key == "big_gap_law") {
            ASSERT_GE(series.x.size(), 100U);
            EXPECT_EQ(series.x[99], 100.0);
            EXPECT_DOUBLE_EQ(series.value[99], 0.5);
            EXPECT_NEAR(series.ci95[99].low, 0.06084, 1e-5);
            EXPECT_NEAR(series.ci95[99].high, 0.93916, 1e-5);
            // Past the longest wait seen the law goes on to 3000 games: 0 seen, not unmeasured,
            // each point with the upper bound of 0 of 40 waits (all the trials: no spread) at
            // t(3): 3.182^2 / (40 + 3.182^2) = 0.20200.
            ASSERT_EQ(series.x.size(), 3000U);
            EXPECT_EQ(series.measuredTo, 3000.0);
            EXPECT_EQ(series.value[2999], 0.0);
            EXPECT_EQ(series.ci95[2999].low, 0.0);
            EXPECT_NEAR(series.ci95[2999].high, 0.20200, 1e-5);
        }
    }
    // With a single batch there is no spread to go by: no interval.
    FigureGroup single;
    addMeasuredGaps(single, all, all, {all}, {all});
    EXPECT_FALSE(single.find("big_gap_mean")->ci95.known);
}

}  // namespace
}  // namespace korvale
