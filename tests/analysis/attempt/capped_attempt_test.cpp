// The attempt with a game limit: far beyond the attempt's length it is the attempt without one,
// at one game it is that game's chances, and seeded play stopped at the limit agrees with it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/capped_attempt.h"
#include "common/random_source.h"
#include "machine/cls_korvale.h"
#include "tests/support/mean_interval.h"
#include "tests/support/played_attempt.h"

namespace korvale {
namespace {

struct FarCase {
    std::int32_t setting;
    EndConditions end;
    std::int32_t maxGames;
    std::int32_t foundSinceBig;  // -1: the morning
};

// Limits at which the chance of still playing is below 1e-12: every figure is the attempt's own.
TEST(CappedAttemptTest, FarLimitChangesNothing) {
    const FarCase cases[] = {
        {5, {0.0, 0}, 5000, -1},
        {3, {0.0, 0}, 4000, 700},
        {0, {30.0, 10}, 3000, -1},
        {2, {10.0, 30}, 3200, -1},  // a REG end that outlasts the BIG end
    };
    for (const FarCase& c : cases) {
        SCOPED_TRACE(c.maxGames);
        const AttemptStart start = c.foundSinceBig < 0
                                       ? morningStart()
                                       : foundStart(machineModel(c.setting), c.foundSinceBig);
        const AttemptFigures whole = solveAttempt(c.setting, c.end, CostRounding::Exact, start);
        const CappedAttemptFigures capped = solveCappedAttempt(c.setting, c.end, c.maxGames, start);
        ASSERT_LT(capped.limitReachedChance, 1e-12);
        const double games = whole.expectedGames;
        EXPECT_NEAR(capped.figures.expectedGames, games, 1e-12 * c.maxGames + 1e-10 * games);
        EXPECT_NEAR(capped.figures.expectedBigs, whole.expectedBigs, 1e-10 * whole.expectedBigs);
        EXPECT_NEAR(capped.figures.expectedRegs, whole.expectedRegs, 1e-10 * whole.expectedRegs);
        EXPECT_NEAR(capped.figures.expectedCost, whole.expectedCost,
                    whole.roundingErrorBound + 1e-10 * whole.expectedCost);
        EXPECT_NEAR(capped.figures.expectedNet, whole.expectedNet,
                    whole.roundingErrorBound + 1e-9 * games);
    }
}

// One game from the morning: mode 0 draws a BIG on 223 of 65536 draws, the setting's REG on its
// threshold's (100 at 設定１, 137 at 設定６); the cost of one game rounds to 2 coins.
TEST(CappedAttemptTest, OneGameIsTheFirstGame) {
    struct OneGame {
        std::int32_t setting;
        double regDraws;
    };
    for (const OneGame c : {OneGame{0, 100.0}, OneGame{5, 137.0}}) {
        for (const EndConditions end : {EndConditions{300.0, 100}, EndConditions{0.0, 0}}) {
            const CappedAttemptFigures one = solveCappedAttempt(c.setting, end, 1);
            EXPECT_DOUBLE_EQ(one.figures.expectedGames, 1.0);
            EXPECT_DOUBLE_EQ(one.figures.expectedBigs, 223.0 / 65536.0);
            EXPECT_DOUBLE_EQ(one.figures.expectedRegs, c.regDraws / 65536.0);
            EXPECT_DOUBLE_EQ(one.figures.expectedCost, 2.0);
            EXPECT_NEAR(one.figures.expectedNet,
                        (223.0 * 388.0 + c.regDraws * 127.0) / 65536.0 - 2.0, 1e-12);
            // Quitting at the first BIG, the one game ends the attempt on a BIG.
            const double stillGoing = end.bigEnd == 0.0 ? 1.0 - 223.0 / 65536.0 : 1.0;
            EXPECT_DOUBLE_EQ(one.limitReachedChance, stillGoing);
        }
    }
}

// Seeded play of the machine, each attempt stopped at the limit, within 99% intervals.
TEST(CappedAttemptTest, AgreesWithPlayStoppedAtTheLimit) {
    struct PlayCase {
        std::int32_t setting;
        EndConditions end;
        std::int32_t maxGames;
        std::uint64_t seed;
    };
    const PlayCase cases[] = {
        {0, {300.0, 100}, 500, 21},
        {5, {0.0, 0}, 250, 22},
        {2, {10.0, 30}, 700, 23},
    };
    for (const PlayCase& c : cases) {
        SCOPED_TRACE(c.seed);
        const CappedAttemptFigures exact = solveCappedAttempt(c.setting, c.end, c.maxGames);
        Xoshiro256PlusPlus random(c.seed);
        MeanInterval games, bigs, regs, net, atLimit;
        for (int i = 0; i < 8000; ++i) {
            clsKorvale machine(random);
            machine.mlngSettei = c.setting;
            const AttemptSample s = playAttemptOn(machine, c.end, c.maxGames);
            games.add(s.games);
            bigs.add(s.bigs);
            regs.add(s.regs);
            net.add(s.net);
            atLimit.add(s.stoppedAtLimit ? 1.0 : 0.0);
        }
        const double z = familyQuantile(5, 0.01);
        expectWithin("games", games, exact.figures.expectedGames, z);
        expectWithin("BIGs", bigs, exact.figures.expectedBigs, z);
        expectWithin("REGs", regs, exact.figures.expectedRegs, z);
        expectWithin("net coins", net, exact.figures.expectedNet, z);
        expectWithin("stopped at the limit", atLimit, exact.limitReachedChance, z);
    }
}

}  // namespace
}  // namespace korvale
