#include "analysis/long_run/gap_law.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <stdexcept>

#include "analysis/long_run/long_run.h"

namespace korvale {
namespace {

TEST(GapLawTest, MeansAreTheLongRunGamesPerBigAndPerBonus) {
    // Renewal: over a long run the mean wait from one BIG to the next is games per BIG, and
    // from one bonus to the next games per bonus.
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        SCOPED_TRACE(setting);
        const LongRunGaps gaps = solveLongRunGaps(setting);
        const LongRunFigures longRun = solveLongRun(setting);
        EXPECT_NEAR(gaps.bigGap.mean * longRun.bigProbability, 1.0, 1e-12);
        EXPECT_NEAR(gaps.bonusGap.mean * longRun.bonusProbability, 1.0, 1e-12);
        for (const GapLaw* law : {&gaps.bigGap, &gaps.bonusGap}) {
            const double sum = std::accumulate(law->chance.begin(), law->chance.end(), 0.0);
            EXPECT_NEAR(sum + law->beyond, 1.0, 1e-13);
            EXPECT_EQ(law->chance[0], 0.0);
            EXPECT_NEAR(law->atLeast(1), 1.0, 1e-13);
        }
        EXPECT_LT(gaps.lostMass, 1e-16);
    }
}

TEST(GapLawTest, OneModeWaitsGeometricallyUntilTheCeiling) {
    // One mode that every bonus keeps, BIG chance p: P(gap = n) = p s^(n-1) before game
    // 1500 (s = 1 - p), then the ceiling's chance c: s^1499 c (1-c)^(n-1500). With p = 0 only
    // the ceiling ends a wait.
    const double c = 1000.0 / 65536.0;
    for (const double p : {0.0, 1.0 / 300.0, 0.5}) {
        SCOPED_TRACE(p);
        MachineModel model = machineModel(0);
        for (std::size_t m = 0; m < modeCount; ++m) {
            model.bigProbability[m] = p;
            model.regNextMode[m] = {0, 0, 1, 0, 0, 0};
            model.bigNextMode[m] = {0, 0, 1, 0, 0, 0};
        }
        const LongRunGaps gaps = solveLongRunGaps(model, 2000);
        const GapLaw& law = gaps.bigGap;
        ASSERT_EQ(law.last(), 2000);
        const double s = 1.0 - p;
        for (int n = 1; n <= 2000; n += 37) {
            const double expected = n < 1500 ? p * std::pow(s, n - 1)
                                             : std::pow(s, 1499) * c * std::pow(1.0 - c, n - 1500);
            EXPECT_NEAR(law.chance[static_cast<std::size_t>(n)], expected, 1e-15) << n;
        }
        EXPECT_NEAR(law.beyond, std::pow(s, 1499) * std::pow(1.0 - c, 501), 1e-15);
        const double mean = (1.0 - std::pow(s, 1499)) / (p > 0.0 ? p : 1.0) +
                            (p > 0.0 ? 0.0 : 1499.0) + std::pow(s, 1499) / c;
        EXPECT_NEAR(law.mean, mean, 1e-10 * mean);
    }
    EXPECT_THROW(solveLongRunGaps(0, 1499), std::invalid_argument);
}

}  // namespace
}  // namespace korvale
