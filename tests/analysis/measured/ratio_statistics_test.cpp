#include "analysis/measured/ratio_statistics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "play/normal_run.h"

namespace korvale {
namespace {

TEST(RatioStatisticsTest, StudentQuantileFollowsTheTableAndTendsTo196) {
    EXPECT_DOUBLE_EQ(studentT975(1), 12.706);
    EXPECT_DOUBLE_EQ(studentT975(4), 2.776);
    EXPECT_DOUBLE_EQ(studentT975(30), 2.042);
    EXPECT_NEAR(studentT975(60), 2.000, 0.002);
    EXPECT_NEAR(studentT975(120), 1.980, 0.002);
    EXPECT_NEAR(studentT975(1'000'000), 1.960, 0.001);
    for (int df = 1; df < 200; ++df) {
        EXPECT_GT(studentT975(df), studentT975(df + 1)) << df;
    }
}

// Wilson's interval against the values Newcombe (Statistics in Medicine, 1998) tabulates, and at
// the edges: 0 of n gives [0, z^2 / (n + z^2)], n of n its mirror, never a point. With 1 to 3
// successes (or failures) that side's bound is the Poisson one, chi-square(2k, 2.5%) / 2n,
// 0.0253178 / n for one: close to Clopper and Pearson's (1 of 2: 0.0126 .. 0.9874).
TEST(WilsonIntervalTest, MatchesPublishedValuesAndStaysWithin0And1) {
    struct Case {
        double successes, trials, low, high;
    };
    const Case cases[] = {
        {81, 263, 0.2553, 0.3662},
        {15, 148, 0.0624, 0.1605},
        {0, 20, 0.0, 0.1611},
        {1, 29, 0.00087303, 0.1718},
        {0, 100, 0.0, 0.03699},
        {100, 100, 0.96301, 1.0},
        {0, 1, 0.0, 0.97468},
        {1, 1, 0.02532, 1.0},
        {1, 2, 0.01266, 0.98734},
        {3, 1000, 0.00061867, 0.0088},
        {997, 1000, 0.9912, 0.99938133},
    };
    for (const Case& c : cases) {
        const Interval interval = wilsonInterval(c.successes / c.trials, c.trials);
        ASSERT_TRUE(interval.known);
        EXPECT_NEAR(interval.low, c.low, 5e-5) << c.successes << " of " << c.trials;
        EXPECT_NEAR(interval.high, c.high, 5e-5) << c.successes << " of " << c.trials;
        EXPECT_GE(interval.low, 0.0);
        EXPECT_LE(interval.high, 1.0);
        EXPECT_LT(interval.low, interval.high);
    }
    EXPECT_FALSE(wilsonInterval(0.0, 0.0).known);
}

// A share over dependent units: Wilson's interval on the trials the units' spread is worth.
TEST(WilsonIntervalTest, ShareOverUnitsTakesTheTrialsTheSpreadIsWorth) {
    // Ten attempts, three ahead: sum (y - 0.3)^2 = 2.1, var = 2.1 / 90, n* = 0.21 / var = 9;
    // Wilson for 0.3 of 9 with z = t(9) = 2.262 by hand: 0.0872 .. 0.6577, and 0.3 of 9 is 2.7
    // seen, so the low end is the Poisson one for 3: 0.6186721 / 9 = 0.06874.
    RatioSums attempts;
    for (int i = 0; i < 10; ++i) {
        attempts.add(1.0, i < 3 ? 1.0 : 0.0);
    }
    const Interval ahead = attempts.shareInterval95(0.3);
    ASSERT_TRUE(ahead.known);
    EXPECT_NEAR(ahead.low, 0.06874, 1e-5);
    EXPECT_NEAR(ahead.high, 0.6577, 1e-4);
    // Nothing seen in four batches of 25: no spread, so all 100 trials, z = t(3) = 3.182:
    // [0, 3.182^2 / (100 + 3.182^2)] = [0, 0.09194]; not [0, 0] as batch means give.
    RatioSums none;
    for (int i = 0; i < 4; ++i) {
        none.add(25.0, 0.0);
    }
    const Interval zero = none.shareInterval95(0.0);
    ASSERT_TRUE(zero.known);
    EXPECT_EQ(zero.low, 0.0);
    EXPECT_NEAR(zero.high, 0.09194, 1e-5);
    // Units more alike than independent trials would be do not make it narrower than those.
    RatioSums even;
    for (int i = 0; i < 4; ++i) {
        even.add(100.0, 50.0);
    }
    const Interval half = even.shareInterval95(0.5);
    const Interval trials400 = wilsonInterval(0.5, 400.0, 3.182);
    EXPECT_DOUBLE_EQ(half.low, trials400.low);
    EXPECT_DOUBLE_EQ(half.high, trials400.high);
    RatioSums one;
    one.add(10.0, 3.0);
    EXPECT_FALSE(one.shareInterval95(0.3).known);
}

// A mean is the ratio with x = 1: 1..5 has mean 3 and sample variance 2.5, so the half-width is
// t(4) × sqrt(2.5 / 5).
TEST(RatioStatisticsTest, MeanIntervalUsesTheSampleVariance) {
    RatioSums sums;
    for (int value = 1; value <= 5; ++value) {
        sums.add(1.0, value);
    }
    const Interval interval = sums.interval95(3.0);
    ASSERT_TRUE(interval.known);
    EXPECT_NEAR(interval.low, 3.0 - 2.776 * std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(interval.high, 3.0 + 2.776 * std::sqrt(0.5), 1e-12);
}

TEST(RatioStatisticsTest, RatioIntervalFromResiduals) {
    // Proportional units leave no residual.
    RatioSums proportional;
    proportional.add(1, 2);
    proportional.add(2, 4);
    proportional.add(3, 6);
    const Interval exact = proportional.interval95(2.0);
    ASSERT_TRUE(exact.known);
    EXPECT_DOUBLE_EQ(exact.low, 2.0);
    EXPECT_DOUBLE_EQ(exact.high, 2.0);
    // (1, 2) and (1, 4): R = 3, residuals -1 and 1, x̄ = 1: standard error 1, half-width
    // 12.706. No unit is below 0, so neither is the ratio: the interval stops at 0.
    RatioSums two;
    two.add(1, 2);
    two.add(1, 4);
    const Interval wide = two.interval95(3.0);
    EXPECT_EQ(wide.low, 0.0);
    EXPECT_NEAR(wide.high, 3.0 + 12.706, 1e-12);
    // (1, -2) and (1, 4): R = 1, residuals -3 and 3: standard error 3; a net can be below 0.
    RatioSums signedUnits;
    signedUnits.add(1, -2);
    signedUnits.add(1, 4);
    const Interval both = signedUnits.interval95(1.0);
    EXPECT_NEAR(both.low, 1.0 - 3 * 12.706, 1e-12);
    EXPECT_NEAR(both.high, 1.0 + 3 * 12.706, 1e-12);
    // Merged sums keep the sign's say.
    two.merge(signedUnits);
    EXPECT_LT(two.interval95(1.5).low, 0.0);
}

// Two large units and two small ones are worth (Σx)² / Σx² = 100 / 34 = 2.9 units, so one
// degree of freedom, not three: (4, 8), (4, 12), (1, 2), (1, 3), R = 2.5, residuals -2, 2,
// -0.5, 0.5, se = sqrt(8.5 / 12) / 2.5 = 0.336650, half-width 12.706 se = 4.27747.
TEST(RatioStatisticsTest, UnequalUnitsCountAsFewer) {
    RatioSums sums;
    sums.add(4, 8);
    sums.add(4, 12);
    sums.add(1, 2);
    sums.add(1, 3);
    EXPECT_EQ(sums.degreesOfFreedom(), 1);
    const Interval interval = sums.interval95(2.5);
    EXPECT_NEAR(interval.high - 2.5, 4.27747, 1e-4);
}

TEST(RatioStatisticsTest, TooFewUnitsGiveNoInterval) {
    RatioSums none;
    EXPECT_FALSE(none.interval95(0.0).known);
    RatioSums one;
    one.add(2, 5);
    EXPECT_FALSE(one.interval95(2.5).known);
    // Empty units (no BIG in a batch, say) do not count as evidence.
    one.add(0, 0);
    one.add(0, 0);
    EXPECT_FALSE(one.interval95(2.5).known);
    one.add(1, 3);
    EXPECT_TRUE(one.interval95(8.0 / 3.0).known);
}

TEST(RatioStatisticsTest, MergingEqualsAddingInOnePlace) {
    RatioSums all;
    RatioSums first;
    RatioSums second;
    for (int i = 1; i <= 10; ++i) {
        all.add(i, i * i % 7);
        (i <= 4 ? first : second).add(i, i * i % 7);
    }
    first.merge(second);
    EXPECT_EQ(first.units, all.units);
    EXPECT_EQ(first.unitsWithX, all.unitsWithX);
    const Interval a = all.interval95(1.0);
    const Interval b = first.interval95(1.0);
    EXPECT_DOUBLE_EQ(a.low, b.low);
    EXPECT_DOUBLE_EQ(a.high, b.high);
}

NormalTotals totalsAfter(std::int64_t games) {
    NormalTotals totals;
    totals.games = games;
    totals.bigs = games / 300;
    totals.modeGames[5] = games;
    return totals;
}

// Batches keep covering the whole run: they add up to the totals, all but the last are of the
// current length, and their number stays within bounds as the length doubles.
TEST(BatchSeriesTest, BatchesCoverTheRunAndDoubleInLength) {
    for (const std::int64_t blocks : {1, 7, 8, 100, 512, 513, 5000}) {
        BatchSeries series;
        std::int64_t games = 0;
        for (std::int64_t b = 0; b < blocks; ++b) {
            games += normalBlockGames;
            series.record(totalsAfter(games));
        }
        const std::vector<NormalTotals> batches = series.finish(totalsAfter(games));
        NormalTotals sum;
        for (const NormalTotals& batch : batches) {
            sum += batch;
        }
        EXPECT_EQ(sum, totalsAfter(games)) << blocks;
        ASSERT_FALSE(batches.empty());
        EXPECT_LE(batches.size(), BatchSeries::maxBatches);
        for (std::size_t i = 1; i + 1 < batches.size(); ++i) {
            EXPECT_EQ(batches[i].games, batches[0].games) << blocks;
        }
        if (batches.size() > 1) {
            EXPECT_GE(batches[0].games, BatchSeries::firstBatchGames);
        }
        if (games >= BatchSeries::firstBatchGames * 64) {
            EXPECT_GE(batches.size(), BatchSeries::maxBatches / 2) << blocks;
        }
    }
}

}  // namespace
}  // namespace korvale
