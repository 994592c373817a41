// An attempt on a machine found some games after its last BIG, against routes that do not go
// through the found start's layer: the ceiling's closed form, solves from each pure mode, a
// machine whose ceiling comes that many games sooner, and the games' law tabulated forwards.

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_games_law.h"
#include "analysis/attempt/attempt_start.h"
#include "machine/coin_totals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace korvale {
namespace {

AttemptStart pureMode(std::int32_t gamesSinceBig, std::size_t mode) {
    AttemptStart start{.gamesSinceBig = gamesSinceBig, .modeLaw = {}, .found = true};
    start.modeLaw[mode] = 1.0;
    return start;
}

// From game 1500 after a BIG every game is a BIG with chance b = 1000/65536 in every mode, so
// quitting at the first BIG plays a geometric number of games: 65.536 on average, one BIG,
// r × 65.536 REGs, and a cost of sum_n b (1 - b)^(n-1) round(c n).
TEST(FoundStartTest, UnderTheCeilingQuittingAtTheFirstBigIsAGeometricWait) {
    const double b = 1000.0 / 65536.0;
    for (std::int32_t setting = 0; setting < 6; ++setting) {
        const MachineModel model = machineModel(setting);
        double cost = 0.0;
        double reach = 1.0;  // (1 - b)^(n-1)
        for (int n = 1; reach > 1e-20; ++n) {
            cost += b * reach * roundedCost(setting, n);
            reach *= 1.0 - b;
        }
        const double regs = model.regProbability * 65.536;
        for (const std::int32_t g : {1499, 1500, 4000, 1000000}) {
            SCOPED_TRACE(testing::Message() << "setting " << setting << " G " << g);
            const AttemptFigures f =
                solveAttempt(model, {0.0, 0}, CostRounding::Exact, foundStart(model, g));
            EXPECT_NEAR(f.expectedGames, 65.536, 1e-10);
            EXPECT_NEAR(f.expectedBigs, 1.0, 1e-12);
            EXPECT_NEAR(f.expectedRegs, regs, 1e-11);
            EXPECT_EQ(f.costRounding, CostRounding::Exact);
            EXPECT_NEAR(f.expectedNet, 388.0 + 127.0 * regs - cost, 1e-8);
        }
    }
}

// The found start's mode law mixes what each pure mode gives, for rules whose REG wait does
// and does not outlast the BIG's; one pass for many counts gives what a pass for each does.
TEST(FoundStartTest, TheModeLawMixesThePureModesAndOnePassServesEveryCount) {
    const std::vector<std::int32_t> counts = {0, 1, 300, 1498, 1499, 2500};
    for (const EndConditions end :
         {EndConditions{0.0, 0}, EndConditions{300.0, 100}, EndConditions{20.0, 150}}) {
        for (const std::int32_t setting : {0, 5}) {
            SCOPED_TRACE(testing::Message() << end.bigEnd << "/" << end.regEnd << " " << setting);
            const MachineModel model = machineModel(setting);
            std::vector<AttemptStart> starts;
            for (const std::int32_t g : counts) {
                starts.push_back(foundStart(model, g));
            }
            const std::vector<AttemptFigures> together = solveAttemptStarts(model, end, starts);
            for (std::size_t i = 0; i < counts.size(); ++i) {
                double games = 0.0;
                double bigs = 0.0;
                for (std::size_t m = 0; m < modeCount; ++m) {
                    const AttemptFigures pure =
                        solveAttempt(model, end, CostRounding::Unrounded, pureMode(counts[i], m));
                    games += starts[i].modeLaw[m] * pure.expectedGames;
                    bigs += starts[i].modeLaw[m] * pure.expectedBigs;
                }
                EXPECT_NEAR(together[i].expectedGames, games, 1e-10 * games) << counts[i];
                EXPECT_NEAR(together[i].expectedBigs, bigs, 1e-10 * bigs) << counts[i];
            }
        }
    }
}

// Before the first BIG only the ceiling tells the games since the last BIG apart, so quitting
// at the first BIG from G games on a machine is starting at 0 on one whose ceiling comes G
// games sooner; at 0 a found start is the morning's but for the mode's law.
TEST(FoundStartTest, AFoundCountIsTheCeilingComingSooner) {
    const MachineModel model = machineModel(2);
    for (const std::int32_t g : {1, 700, 1498}) {
        SCOPED_TRACE(g);
        const AttemptStart found = foundStart(model, g);
        MachineModel sooner = model;
        sooner.ceilingGame = model.ceilingGame - g;
        const AttemptStart atZero{.gamesSinceBig = 0, .modeLaw = found.modeLaw, .found = true};
        const AttemptFigures a = solveAttempt(model, {0.0, 0}, CostRounding::Exact, found);
        const AttemptFigures b = solveAttempt(sooner, {0.0, 0}, CostRounding::Exact, atZero);
        EXPECT_NEAR(a.expectedGames, b.expectedGames, 1e-10 * b.expectedGames);
        EXPECT_NEAR(a.expectedNet, b.expectedNet, 1e-8);
    }
    for (const EndConditions end : {EndConditions{0.0, 0}, EndConditions{300.0, 100}}) {
        const AttemptFigures morning = solveAttempt(model, end, CostRounding::Exact);
        const AttemptFigures atZero = solveAttempt(model, end, CostRounding::Exact, pureMode(0, 0));
        EXPECT_DOUBLE_EQ(atZero.expectedGames, morning.expectedGames);
        EXPECT_DOUBLE_EQ(atZero.expectedNet, morning.expectedNet);
    }
}

// The games' law played forwards from the found machine has the mean the backward solve gives.
TEST(FoundStartTest, TheGamesLawFromAFoundMachineHasTheSolvesMean) {
    const MachineModel model = machineModel(4);
    for (const EndConditions end : {EndConditions{0.0, 0}, EndConditions{300.0, 100}}) {
        for (const std::int32_t g : {0, 800, 1499, 1600}) {
            SCOPED_TRACE(testing::Message() << end.bigEnd << " G " << g);
            const AttemptStart start = foundStart(model, g);
            const AttemptGamesLaw law = attemptGamesLaw(
                model, wholeGames(end), std::size_t{1} << 17, start, {.threads = 1});
            double mean = 0.0;
            for (std::size_t n = 0; n < law.chance.size(); ++n) {
                mean += static_cast<double>(n) * law.chance[n];
            }
            const double expected =
                solveAttempt(model, end, CostRounding::Unrounded, start).expectedGames;
            EXPECT_NEAR(mean, expected, 1e-9 * expected);
        }
    }
}

}  // namespace
}  // namespace korvale
