#include "analysis/long_run/long_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace korvale {
namespace {

// A machine with a single mode that every bonus keeps, BIG chance p per game and ceiling
// chance pc from the ceiling game on: each BIG-to-BIG stretch is a geometric wait cut off at
// the ceiling, with a closed-form mean.
MachineModel singleModeMachine(double p, double pc) {
    MachineModel model = machineModel(0);
    for (std::size_t m = 0; m < modeCount; ++m) {
        model.bigProbability[m] = p;
        model.regNextMode[m] = {};
        model.bigNextMode[m] = {};
        model.regNextMode[m][2] = 1.0;
        model.bigNextMode[m][2] = 1.0;
    }
    model.ceilingBigProbability = pc;
    return model;
}

TEST(LongRunInvariantsTest, SharesAndRatesAddUpForEverySetting) {
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        SCOPED_TRACE(setting);
        const LongRunFigures f = solveLongRun(setting);
        double shares = 0.0;
        double bigs = 0.0;
        for (std::size_t m = 0; m < modeCount; ++m) {
            shares += f.modeShare[m];
            bigs += f.modeBigsPerGame[m];
            if (m > 0) {
                EXPECT_GT(f.modeShare[m], 0.0);
                EXPECT_NEAR(f.modeReleaseRate[m], f.modeShare[m] / f.modeBigsPerGame[m],
                            1e-12 * f.modeReleaseRate[m]);
            }
        }
        EXPECT_NEAR(shares, 1.0, 1e-13);
        EXPECT_NEAR(bigs, f.bigProbability, 1e-15);
        EXPECT_DOUBLE_EQ(f.regProbability, regThreshold(setting) / 65536.0);
        EXPECT_DOUBLE_EQ(f.bonusProbability, f.bigProbability + f.regProbability);
        const double c = static_cast<double>(costCoefficient(setting));
        EXPECT_NEAR(f.payoutPercent,
                    100.0 * (3.0 - c + 388.0 * f.bigProbability + 127.0 * f.regProbability) / 3.0,
                    1e-11);
    }
}

TEST(LongRunInvariantsTest, ModeZeroIsLeftForGood) {
    const LongRunFigures f = solveLongRun(3);
    EXPECT_EQ(f.modeShare[0], 0.0);
    EXPECT_EQ(f.modeBigsPerGame[0], 0.0);
    EXPECT_TRUE(std::isnan(f.modeReleaseRate[0]));
}

TEST(LongRunInvariantsTest, SettingsRankByPayout) {
    double previous = 0.0;
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        const LongRunFigures f = solveLongRun(setting);
        EXPECT_GT(f.payoutPercent, previous);
        EXPECT_EQ(f.setting, setting);
        previous = f.payoutPercent;
    }
}

TEST(LongRunDegenerateTest, OneBigChanceEverywhereGivesThatChance) {
    const double p = 300.0 / 65536.0;
    MachineModel model = machineModel(1);
    model.bigProbability.fill(p);
    model.ceilingBigProbability = p;
    const LongRunFigures f = solveLongRun(model);
    EXPECT_NEAR(f.bigProbability, p, 1e-15);
    EXPECT_NEAR(f.payoutPercent,
                100.0 * (3.0 - model.costCoefficient + 388.0 * p + 127.0 * 108.0 / 65536.0) / 3.0,
                1e-11);
}

TEST(LongRunDegenerateTest, CeilingCutsTheWaitAsTheClosedFormSays) {
    // Mean wait: sum of P(wait >= n) = (1 - s^1499) / p + s^1499 / pc with s = 1 - p.
    for (const double p : {1.0 / 2000.0, 1.0 / 300.0, 0.5}) {
        SCOPED_TRACE(p);
        const double pc = 1000.0 / 65536.0;
        const LongRunFigures f = solveLongRun(singleModeMachine(p, pc));
        const double survive = std::pow(1.0 - p, 1499);
        const double meanWait = (1.0 - survive) / p + survive / pc;
        EXPECT_NEAR(1.0 / f.bigProbability, meanWait, 1e-11 * meanWait);
        EXPECT_NEAR(f.modeShare[2], 1.0, 1e-13);
        EXPECT_NEAR(f.modeReleaseRate[2], meanWait, 1e-11 * meanWait);
    }
}

TEST(LongRunDegenerateTest, ReleaseRateOfATrapModeIsItsOwnWait) {
    // BIGs always lead to mode 5, REGs from mode 5 to mode 1, and mode 1 only leaves by a
    // BIG. The ceiling chance is mode 1's own, so a game in mode 1 is a BIG with chance 1/2
    // whenever it comes, even after a long stay in mode 5.
    MachineModel model = singleModeMachine(0.01, 0.5);
    model.bigProbability[1] = 0.5;
    model.bigProbability[5] = 0.01;
    for (std::size_t m = 0; m < modeCount; ++m) {
        model.bigNextMode[m] = {0, 0, 0, 0, 0, 1};
        model.regNextMode[m] = {};
        model.regNextMode[m][m] = 1.0;
    }
    model.regNextMode[5] = {0, 1, 0, 0, 0, 0};
    const LongRunFigures f = solveLongRun(model);
    EXPECT_NEAR(f.modeReleaseRate[1], 2.0, 1e-12);
    EXPECT_NEAR(f.modeShare[1] + f.modeShare[5], 1.0, 1e-13);
    // Every BIG comes from mode 1 or mode 5 and sends the chain to mode 5.
    EXPECT_NEAR(f.modeBigsPerGame[1] + f.modeBigsPerGame[5], f.bigProbability, 1e-15);
}

}  // namespace
}  // namespace korvale

namespace korvale {
namespace {

TEST(LongRunGameStateLawTest, AgreesWithTheLongRunFiguresForEverySetting) {
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        SCOPED_TRACE(setting);
        const LongRunFigures f = solveLongRun(setting);
        const std::vector<ModeVector> law = longRunGameStateLaw(machineModel(setting));
        ASSERT_EQ(law.size(), 1500u);
        ModeVector byMode{};
        for (const ModeVector& entry : law) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                byMode[m] += entry[m];
            }
        }
        for (std::size_t m = 0; m < modeCount; ++m) {
            EXPECT_NEAR(byMode[m], f.modeShare[m], 1e-13);
        }
        // A game begins right after a BIG as often as games are BIGs.
        double afterBig = 0.0;
        for (const double chance : law[0]) {
            afterBig += chance;
        }
        EXPECT_NEAR(afterBig, f.bigProbability, 1e-15);
    }
}

TEST(LongRunGameStateLawTest, SingleModeMachineHasTheGeometricLawCutAtTheCeiling) {
    // P(k games since the BIG) = P(wait > k) / mean wait, the survival (1 - p)^k before the
    // ceiling; the last entry gathers (1 - p)^1499 / pc.
    const double p = 1.0 / 300.0;
    const double pc = 1000.0 / 65536.0;
    const std::vector<ModeVector> law = longRunGameStateLaw(singleModeMachine(p, pc));
    const double survive = std::pow(1.0 - p, 1499);
    const double meanWait = (1.0 - survive) / p + survive / pc;
    for (const std::size_t k : {0u, 1u, 700u, 1498u}) {
        const double expected = std::pow(1.0 - p, static_cast<double>(k)) / meanWait;
        EXPECT_NEAR(law[k][2], expected, 1e-12 * expected) << k;
    }
    EXPECT_NEAR(law[1499][2], survive / pc / meanWait, 1e-12);
}

TEST(FoundMachineStateTest, TwoModeMachineAsWorkedByHand) {
    // Every BIG leads to mode 1, every REG to mode 2, both with BIG chance p (pc at the
    // ceiling): the count's chance is the wait's survival over its mean, and the mode is still
    // 1 only if no REG fell, ((1 - r - p) / (1 - p)) per game given no BIG, (1 - r - pc) /
    // (1 - pc) from game 1500 on.
    const double p = 1.0 / 250.0;
    const double pc = 1000.0 / 65536.0;
    MachineModel model = singleModeMachine(p, pc);
    for (std::size_t m = 0; m < modeCount; ++m) {
        model.bigNextMode[m] = {};
        model.bigNextMode[m][1] = 1.0;
    }
    const double r = model.regProbability;
    const double survive = std::pow(1.0 - p, 1499);
    const double meanWait = (1.0 - survive) / p + survive / pc;
    const struct {
        double k;
        double logChance;
        double modeOne;
    } cases[] = {
        {0, -std::log(meanWait), 1.0},
        {1, std::log(1.0 - p) - std::log(meanWait), (1.0 - r - p) / (1.0 - p)},
        {1499, 1499 * std::log(1.0 - p) - std::log(meanWait),
         std::pow((1.0 - r - p) / (1.0 - p), 1499)},
        {1700, 1499 * std::log(1.0 - p) + 201 * std::log(1.0 - pc) - std::log(meanWait),
         std::pow((1.0 - r - p) / (1.0 - p), 1499) * std::pow((1.0 - r - pc) / (1.0 - pc), 201)},
        {60000, 1499 * std::log(1.0 - p) + 58501 * std::log(1.0 - pc) - std::log(meanWait), 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.k);
        const FoundMachineState state = foundMachineState(model, static_cast<std::int32_t>(c.k));
        EXPECT_NEAR(state.logChance, c.logChance, 1e-9 * std::max(1.0, std::abs(c.logChance)));
        EXPECT_NEAR(state.modeLaw[1], c.modeOne, 1e-12);
        EXPECT_NEAR(state.modeLaw[1] + state.modeLaw[2], 1.0, 1e-12);
    }
}

TEST(FoundMachineStateTest, AgreesWithTheGameStateLawBelowTheCeiling) {
    const MachineModel model = machineModel(3);
    const std::vector<ModeVector> law = longRunGameStateLaw(model);
    for (const std::int32_t k : {0, 37, 1498}) {
        const FoundMachineState state = foundMachineState(model, k);
        double total = 0.0;
        for (const double x : law[static_cast<std::size_t>(k)]) {
            total += x;
        }
        EXPECT_NEAR(state.logChance, std::log(total), 1e-10) << k;
        for (std::size_t m = 0; m < modeCount; ++m) {
            EXPECT_NEAR(state.modeLaw[m], law[static_cast<std::size_t>(k)][m] / total, 1e-12);
        }
    }
}

}  // namespace
}  // namespace korvale
