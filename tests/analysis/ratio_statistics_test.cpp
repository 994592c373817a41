#include "analysis/ratio_statistics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "batch/normal_run.h"

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
    // (1, 2) and (1, 4): R = 3, residuals -1 and 1, x̄ = 1: standard error 1.
    RatioSums two;
    two.add(1, 2);
    two.add(1, 4);
    const Interval wide = two.interval95(3.0);
    EXPECT_NEAR(wide.low, 3.0 - 12.706, 1e-12);
    EXPECT_NEAR(wide.high, 3.0 + 12.706, 1e-12);
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
