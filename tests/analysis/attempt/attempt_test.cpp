#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_games_law.h"
#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/outcome/attempt_segments.h"
#include "common/status.h"
#include "machine/coin_totals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <complex>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace korvale {
namespace {

// Every mode alike: BIG chance p in every game (the ceiling too), REG chance r, and no
// bonus changes anything that matters. Attempts then have closed-form figures.
MachineModel flatMachine(double p, double r) {
    MachineModel model = machineModel(0);
    model.regProbability = r;
    model.bigProbability.fill(p);
    model.ceilingBigProbability = p;
    return model;
}

void expectRelativelyNear(double actual, double expected, double relative = 1e-11) {
    EXPECT_NEAR(actual, expected, relative * std::abs(expected));
}

TEST(AttemptClosedFormTest, BigCountdownIsARunOfGamesWithoutBig) {
    // After the first BIG (mean 1/p games) the attempt needs X games in a row without a BIG:
    // (1 - s^X) / (p s^X) more games on average and (1 - s^X) / s^X more BIGs, s = 1 - p.
    const double p = 1.0 / 250.0;
    for (const std::int32_t x : {0, 1, 300, 1000}) {
        SCOPED_TRACE(x);
        const MachineModel model = flatMachine(p, 120.0 / 65536.0);
        const AttemptFigures f = solveAttempt(model, {double(x), 0});
        const double run = std::pow(1.0 - p, x);
        expectRelativelyNear(f.expectedGames, 1.0 / p + (1.0 - run) / (p * run));
        expectRelativelyNear(f.expectedBigs, 1.0 + (1.0 - run) / run);
        expectRelativelyNear(f.expectedRegs, model.regProbability * f.expectedGames, 1e-15);
    }
}

TEST(AttemptClosedFormTest, RegCountdownNeedsThatManyBigsInARow) {
    // Every game is a bonus (BIG with chance b, else REG) and the BIG end is 0: a first-game
    // BIG ends the attempt; after a REG it takes Y BIGs in a row. Mean games: b^-Y.
    const double r = 0.3;
    const double b = 1.0 - r;
    for (const std::int32_t y : {1, 2, 5, 12}) {
        SCOPED_TRACE(y);
        const AttemptFigures f = solveAttempt(flatMachine(b, r), {0.0, y});
        expectRelativelyNear(f.expectedGames, std::pow(b, -y));
        expectRelativelyNear(f.expectedBigs, b * f.expectedGames);
    }
    // With a BIG end too the REG countdown still outlasts it when Y >= X + 2.
    const AttemptFigures shorter = solveAttempt(flatMachine(b, r), {1.0, 5});
    const AttemptFigures same = solveAttempt(flatMachine(b, r), {0.0, 5});
    EXPECT_GT(shorter.expectedGames, same.expectedGames);
}

TEST(AttemptClosedFormTest, GeneratingFunctionOfTheFirstBigWait) {
    // BIG end 0, no REG end: the attempt is the wait for the first BIG, geometric in p.
    const double p = 1.0 / 300.0;
    const MachineModel model = flatMachine(p, 100.0 / 65536.0);
    for (const double z : {0.5, 0.99, 1.0}) {
        SCOPED_TRACE(z);
        expectRelativelyNear(attemptGeneratingFunction(model, {0.0, 0}, z),
                             p * z / (1.0 - (1.0 - p) * z));
    }
}

// The same chain propagated forwards game by game over the full state (BIG seen, mode, games
// since BIG, games since REG), in long double, until the mass still playing is below 1e-30:
// E[games], E[BIGs], E[round(c games)] and the games' law by a method that shares nothing with
// the solver but the model.
struct Forward {
    long double games = 0.0L;
    long double bigs = 0.0L;
    long double cost = 0.0L;
    std::vector<long double> ending;  // [g]: P(games = g)
};
Forward propagateForward(const MachineModel& model, int x, int y) {
    const int cap = std::max(x, model.ceilingGame);  // games since BIG are capped here
    const int sinceRegs = y + 1;                     // games since REG capped at y; y = none
    auto at = [&](int seen, int mode, int sinceBig, int sinceReg) {
        return static_cast<std::size_t>(
            ((seen * modeCount + mode) * (cap + 1) + sinceBig) * sinceRegs + sinceReg);
    };
    std::vector<long double> mass(at(1, modeCount - 1, cap, y) + 1, 0.0L);
    std::vector<long double> next(mass.size());
    mass[at(0, 0, 0, y)] = 1.0L;
    long double games = 0.0L;
    long double bigs = 0.0L;
    long double cost = 0.0L;
    std::vector<long double> ending{0.0L};
    for (long double playing = 1.0L, played = 1.0L; playing > 1e-30L; played += 1.0L) {
        ending.push_back(0.0L);
        std::fill(next.begin(), next.end(), 0.0L);
        const long double roundedCost = std::nearbyint(model.costCoefficient * double(played));
        auto move = [&](int seen, int mode, int sinceBig, int sinceReg, long double p) {
            if (seen == 1 && sinceBig >= x && sinceReg >= y) {
                cost += p * roundedCost;
                ending.back() += p;
            } else {
                next[at(seen, mode, sinceBig, sinceReg)] += p;
            }
        };
        for (int seen = 0; seen < 2; ++seen) {
            for (int mode = 0; mode < modeCount; ++mode) {
                for (int sinceBig = 0; sinceBig <= cap; ++sinceBig) {
                    for (int sinceReg = 0; sinceReg <= y; ++sinceReg) {
                        const long double p = mass[at(seen, mode, sinceBig, sinceReg)];
                        if (p == 0.0L) {
                            continue;
                        }
                        const auto m = static_cast<std::size_t>(mode);
                        const long double r = model.regProbability;
                        const long double b = sinceBig + 1 >= model.ceilingGame
                                                  ? model.ceilingBigProbability
                                                  : model.bigProbability[m];
                        games += p;
                        bigs += p * b;
                        const int big1 = std::min(sinceBig + 1, cap);
                        const int reg1 = std::min(sinceReg + 1, y);
                        move(seen, mode, big1, reg1, p * (1.0L - r - b));
                        for (int to = 0; to < modeCount; ++to) {
                            const auto t = static_cast<std::size_t>(to);
                            if (model.regNextMode[m][t] > 0.0) {
                                move(seen, to, big1, 0, p * r * model.regNextMode[m][t]);
                            }
                            if (model.bigNextMode[m][t] > 0.0) {
                                move(1, to, 0, reg1, p * b * model.bigNextMode[m][t]);
                            }
                        }
                    }
                }
            }
        }
        mass.swap(next);
        playing = 0.0L;
        for (const long double p : mass) {
            playing += p;
        }
    }
    return {games, bigs, cost, std::move(ending)};
}

// The machine's setting-5 rows with BIG chances raised twentyfold and the ceiling brought
// down to game 12, so that every kind of state (REG countdown outlasting the BIG's or not,
// the ceiling within and after the countdowns) is visited often and the forward pass is
// short.
MachineModel boostedMachine() {
    MachineModel model = machineModel(4);
    for (double& p : model.bigProbability) {
        p = std::min(20.0 * p, 0.9);
    }
    model.ceilingBigProbability *= 20.0;
    model.ceilingGame = 12;
    return model;
}

TEST(AttemptCrossCheckTest, ForwardPropagationAgrees) {
    const MachineModel model = boostedMachine();
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {0, 0}, {3, 5}, {6, 2}, {0, 4}, {8, 8}, {15, 3}, {2, 14}}) {
        SCOPED_TRACE(std::to_string(x) + "/" + std::to_string(y));
        const AttemptFigures f = solveAttempt(model, {double(x), y}, CostRounding::Exact);
        const Forward forward = propagateForward(model, x, y);
        expectRelativelyNear(f.expectedGames, static_cast<double>(forward.games), 1e-13);
        expectRelativelyNear(f.expectedBigs, static_cast<double>(forward.bigs), 1e-13);
        expectRelativelyNear(f.expectedCost, static_cast<double>(forward.cost), 1e-13);
        // The rounding is worth a little, not nothing.
        EXPECT_GT(std::abs(f.expectedCost - model.costCoefficient * f.expectedGames), 1e-6);
    }
}

TEST(AttemptCostRoundingTest, PeriodOfTheFloatCoefficients) {
    // 1.604f lies just below 1.604, so a cost that 1.604 would put exactly halfway goes down:
    // 375 games cost 601, not 602, and the pattern of 250 games holds until the float's
    // shortfall moves a rounding.
    const PeriodicCost setting1 = periodicCost(static_cast<double>(costCoefficient(0)));
    EXPECT_EQ(setting1.thousandths, 1604);
    EXPECT_EQ(setting1.period, 250);
    EXPECT_EQ(setting1.excess[375 % 250], -0.5);
    EXPECT_GT(setting1.validBelow, 100000);
    const PeriodicCost setting6 = periodicCost(static_cast<double>(costCoefficient(5)));
    EXPECT_EQ(setting6.period, 1000);
    EXPECT_EQ(setting6.excess[500], -0.5);  // 500 games of setting 6 cost 781, not 782
    EXPECT_GT(setting6.validBelow, 20000);
    // Beyond the bound the machine's rounding leaves the pattern.
    const std::int64_t g = setting6.validBelow;
    const double c = static_cast<double>(costCoefficient(5));
    const double pattern = static_cast<double>(1563 * (g - g % 1000) / 1000) +
                           std::nearbyint(c * static_cast<double>(g % 1000));
    EXPECT_NE(std::nearbyint(c * static_cast<double>(g)), pattern);
    EXPECT_EQ(std::nearbyint(c * static_cast<double>(g - 1000)), pattern - 1563.0);
}

TEST(AttemptCostRoundingTest, SaysWhichGameCountsLeaveThePattern) {
    // The machine's own cost against the pattern written out here: n (G - G mod P) / 1000 plus
    // the rounded cost of G mod P games.
    for (const std::int32_t setting : {0, 5}) {
        const double c = static_cast<double>(costCoefficient(setting));
        const PeriodicCost cost = periodicCost(c);
        const std::int64_t n = setting == 5 ? 1563 : 1604;
        std::int64_t leaving = 0;
        for (std::int64_t g = cost.validBelow - 3000; g < cost.validBelow + 300000; ++g) {
            const std::int64_t j = g % cost.period;
            const std::int64_t pattern =
                n * (g - j) / 1000 + static_cast<std::int64_t>(std::nearbyint(c * j));
            const bool follows = costOfGames(setting, g) == pattern;
            ASSERT_EQ(followsPattern(cost, c, g), follows) << "setting " << setting << ", " << g;
            leaving += follows ? 0 : 1;
            ASSERT_TRUE(follows || g >= cost.validBelow) << g;
        }
        EXPECT_GT(leaving, 0) << "setting " << setting;
    }
}

TEST(AttemptCostRoundingTest, FirstBigWaitOfTheMachine) {
    // BIG end 0 and no REG end: the attempt is the wait for the first BIG, whose law the
    // forward pass gets exactly; the rounded cost differs from c E[games] by a few thousandths.
    const MachineModel model = machineModel(5);
    const AttemptFigures exact = solveAttempt(model, {0.0, 0}, CostRounding::Exact);
    const Forward forward = propagateForward(model, 0, 0);
    expectRelativelyNear(exact.expectedCost, static_cast<double>(forward.cost), 1e-12);
    // Setting 6's pattern holds for 28127 games, and the Chernoff bound on what longer
    // attempts could add is tiny, so the exact cost is taken.
    EXPECT_EQ(exact.costRounding, CostRounding::Exact);
    EXPECT_EQ(exact.roundingExactBelowGames, 28127);
    EXPECT_GT(exact.roundingErrorBound, 0.0);
    EXPECT_LT(exact.roundingErrorBound, 1e-12);
    const AttemptFigures unrounded = solveAttempt(model, {0.0, 0});
    EXPECT_NEAR(exact.expectedCost - unrounded.expectedCost, 0.0, 0.01);
    EXPECT_DOUBLE_EQ(exact.expectedNet - unrounded.expectedNet,
                     unrounded.expectedCost - exact.expectedCost);
}

TEST(AttemptCostRoundingTest, PastThePatternTheGamesLawGivesTheCost) {
    // 1.625 puts every fourth game count exactly halfway, and halves go to the even side, so
    // the pattern of 8 games that its three decimals give holds only below 12 games, which
    // most attempts of the boosted machine outlast: the cost comes from the law of the games,
    // which the forward pass gives game by game.
    MachineModel model = boostedMachine();
    model.costCoefficient = 1.625;
    const std::int64_t patternHolds = periodicCost(model.costCoefficient).validBelow;
    ASSERT_LT(patternHolds, 20);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {3, 2}, {8, 8}, {15, 3}}) {
        SCOPED_TRACE(std::to_string(x) + "/" + std::to_string(y));
        const AttemptFigures f = solveAttempt(model, {double(x), y}, CostRounding::Exact);
        const Forward forward = propagateForward(model, x, y);
        ASSERT_EQ(f.costRounding, CostRounding::Exact);
        EXPECT_GT(f.roundingExactBelowGames, patternHolds);
        expectRelativelyNear(f.expectedCost, static_cast<double>(forward.cost), 1e-13);
        // The law itself, game by game, in a table as long as the forward pass went.
        const AttemptGamesLaw law =
            attemptGamesLaw(model, {x, y}, forward.ending.size(), {}, {.threads = 1});
        ASSERT_GE(law.chance.size(), forward.ending.size());
        double worst = 0.0;
        for (std::size_t g = 0; g < law.chance.size(); ++g) {
            const long double expected = g < forward.ending.size() ? forward.ending[g] : 0.0L;
            worst = std::max(worst, std::abs(law.chance[g] - static_cast<double>(expected)));
        }
        EXPECT_LT(worst, 1e-15);
    }
}

TEST(AttemptCostRoundingTest, TooLongAttemptsKeepTheUnroundedCost) {
    // At BIG end 2000 an attempt of setting 6 lasts millions of games, far past the 28100 below
    // which its rounding pattern holds and past any law of its games; the boosted machine at
    // 2/14 (a REG end that outlasts the BIG end, which the law does not take) lasts past the
    // 12 games of the pattern above. No exact rounding is claimed, and the figures say why.
    MachineModel boosted = boostedMachine();
    boosted.costCoefficient = 1.625;
    for (const auto& [model, end] : {std::pair{machineModel(5), EndConditions{2000.0, 0}},
                                     std::pair{boosted, EndConditions{2.0, 14}}}) {
        SCOPED_TRACE(end.regEnd);
        const AttemptFigures f = solveAttempt(model, end, CostRounding::Exact);
        EXPECT_EQ(f.costRounding, CostRounding::Unrounded);
        EXPECT_TRUE(f.roundingBeyondReach);
        EXPECT_EQ(f.roundingExactBelowGames, 0);
        EXPECT_DOUBLE_EQ(f.expectedCost, model.costCoefficient * f.expectedGames);
    }
    EXPECT_FALSE(solveAttempt(5, {2000.0, 0}).roundingBeyondReach);  // not asked for
}

// The law of the games modulo `period` from the outcome engine's pieces (tabulated by games and
// REGs on their own), the renewal over the modes after the BIGs taken here at the period's
// roots of unity.
std::vector<double> gamesModulo(const MachineModel& model, int x, int y, std::size_t period) {
    using Complex = std::complex<double>;
    const AttemptSegments pieces =
        attemptSegments(model, x, y, segmentTail, segmentSmallest, {}, {.threads = 2});
    const std::size_t d = pieces.postBigModes.size();
    const std::size_t lanes = d + d * d + d;
    std::vector<Complex> data(period * lanes, 0.0);
    const auto fold = [&](const SegmentKernel& kernel, std::size_t lane) {
        for (const SegmentEntry& e : kernel) {
            data[static_cast<std::size_t>(e.games) % period * lanes + lane] += e.mass;
        }
    };
    for (std::size_t i = 0; i < d; ++i) {
        fold(pieces.first[i], i);
        for (std::size_t j = 0; j < d; ++j) {
            fold(pieces.next[i][j], d + i * d + j);
        }
        fold(pieces.end[i], d + d * d + i);
    }
    FourierTransform(period, lanes).transform(data, +1);
    std::vector<Complex> transform(period);
    for (std::size_t k = 0; k < period; ++k) {
        const Complex* at = data.data() + k * lanes;
        std::array<std::array<Complex, modeCount>, modeCount> a{};
        std::array<Complex, modeCount> after{};  // (I - next)^-1 end, unused rows left alone
        for (std::size_t i = 0; i < modeCount; ++i) {
            for (std::size_t j = 0; j < modeCount; ++j) {
                a[i][j] = i == j ? 1.0 : 0.0;
                if (i < d && j < d) {
                    a[i][j] -= at[d + i * d + j];
                }
            }
            after[i] = i < d ? at[d + d * d + i] : 0.0;
        }
        solveInPlace(a, after);
        for (std::size_t i = 0; i < d; ++i) {
            transform[k] += at[i] * after[i];
        }
    }
    FourierTransform(period, 1).transform(transform, -1);
    std::vector<double> law(period);
    for (std::size_t j = 0; j < period; ++j) {
        law[j] = transform[j].real() / static_cast<double>(period);
    }
    return law;
}

TEST(AttemptCostRoundingTest, Setting6At500And150HasItsRoundedFigures) {
    // Some 4e-11 of its attempts outlast the 28 127 games below which setting 6's rounding
    // repeats every 1000 games: too many for the periodic sum's bound, too few to move the
    // cost by more than 1e-13. So the rounded cost less the unrounded c E[G] is
    // (1.563 - c) E[G] + sum_j P(G = j mod 1000) (round(c j) - 1.563 j).
    const AttemptFigures rounded = solveAttempt(5, {500.0, 150}, CostRounding::Exact);
    const AttemptFigures unrounded = solveAttempt(5, {500.0, 150});
    ASSERT_EQ(rounded.costRounding, CostRounding::Exact);
    const std::vector<double> modulo = gamesModulo(machineModel(5), 500, 150, 1000);
    const double c = static_cast<double>(costCoefficient(5));
    double excess = (1563.0 / 1000.0 - c) * unrounded.expectedGames;
    for (std::int64_t j = 0; j < 1000; ++j) {
        excess += modulo[static_cast<std::size_t>(j)] * (static_cast<double>(costOfGames(5, j)) -
                                                         1563.0 * static_cast<double>(j) / 1000.0);
    }
    EXPECT_NEAR(rounded.expectedCost - unrounded.expectedCost, excess, 1e-9);
    EXPECT_LT(excess, -1e-4);  // worth telling apart
    EXPECT_DOUBLE_EQ(rounded.expectedNet - unrounded.expectedNet,
                     unrounded.expectedCost - rounded.expectedCost);
    EXPECT_LT(rounded.roundingErrorBound, 1e-12);
}

#ifndef KORVALE_SANITIZED  // a few seconds here, minutes under the sanitizers
TEST(AttemptCostRoundingTest, RegEndShorterThanBigEndSettlesOnTheUnitCircle) {
    // At 100/50 the rounding's solves on the unit circle once failed to settle (and, on a
    // worker thread, ended the program). The rounded cost differs from c E[G] by under a coin.
    const AttemptFigures f = solveAttempt(0, {100.0, 50}, CostRounding::Exact);
    EXPECT_EQ(f.costRounding, CostRounding::Exact);
    EXPECT_NEAR(f.expectedCost, static_cast<double>(costCoefficient(0)) * f.expectedGames, 0.5);
    // Seeded play of 400,000 attempts gave 399.37 games (398.52 - 400.22) and 1.8576 BIGs.
    EXPECT_NEAR(f.expectedGames, 399.37, 1.5);
    EXPECT_NEAR(f.expectedBigs, 1.8576, 0.012);
}
#endif

TEST(AttemptMachineTest, GeneratingFunctionMatchesTheExpectations) {
    // E[z^G] at z = 1 is 1, and its slope there is E[G]; a central difference checks both
    // passes of the solver against each other on the machine itself.
    const MachineModel model = machineModel(2);
    const EndConditions end{300.0, 100};
    EXPECT_NEAR(attemptGeneratingFunction(model, end, 1.0), 1.0, 1e-12);
    const double h = 1e-6;
    const double slope = (attemptGeneratingFunction(model, end, 1.0 + h) -
                          attemptGeneratingFunction(model, end, 1.0 - h)) /
                         (2.0 * h);
    expectRelativelyNear(slope, solveAttempt(2, end).expectedGames, 1e-5);
}

TEST(AttemptMachineTest, CoinFiguresFollowFromTheCounts) {
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        SCOPED_TRACE(setting);
        const AttemptFigures f = solveAttempt(setting, {300.0, 100});
        EXPECT_EQ(f.setting, setting);
        const double c = static_cast<double>(costCoefficient(setting));
        EXPECT_DOUBLE_EQ(f.expectedCost, c * f.expectedGames);
        expectRelativelyNear(
            f.expectedNet, 388.0 * f.expectedBigs + 127.0 * f.expectedRegs - f.expectedCost, 1e-14);
        expectRelativelyNear(
            f.payoutPercent,
            100.0 * (3.0 * f.expectedGames + f.expectedNet) / (3.0 * f.expectedGames), 1e-14);
        expectRelativelyNear(f.netPer1000Games, 1000.0 * f.expectedNet / f.expectedGames, 1e-14);
        EXPECT_GE(f.expectedBigs, 1.0);
    }
}

TEST(AttemptEndConditionTest, BigEndCountsWholeGames) {
    const AttemptFigures half = solveAttempt(1, {300.5, 100});
    const AttemptFigures whole = solveAttempt(1, {301.0, 100});
    EXPECT_EQ(half.expectedGames, whole.expectedGames);
    EXPECT_EQ(half.end.bigEnd, 300.5);
    EXPECT_GT(whole.expectedGames, solveAttempt(1, {300.0, 100}).expectedGames);
}

TEST(AttemptEndConditionTest, ConditionsAtOrBelowZeroHoldAtOnce) {
    const AttemptFigures zero = solveAttempt(4, {0.0, 0});
    const AttemptFigures negative = solveAttempt(4, {-12.5, -3});
    EXPECT_EQ(zero.expectedGames, negative.expectedGames);
    EXPECT_DOUBLE_EQ(zero.expectedBigs, 1.0);  // ends on the game of the first BIG
}

TEST(AttemptEndConditionTest, LongerConditionsMeanLongerAttempts) {
    double previous = 0.0;
    for (const std::int32_t y : {0, 50, 100, 200}) {
        const double games = solveAttempt(0, {100.0, y}).expectedGames;
        EXPECT_GT(games, previous) << y;
        previous = games;
    }
}

TEST(AttemptEndConditionTest, RejectsConditionsItCannotSolve) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const EndConditions end :
         {EndConditions{nan, 100}, EndConditions{infinity, 100}, EndConditions{2000.5, 100}}) {
        try {
            solveAttempt(0, end);
            ADD_FAILURE() << "accepted " << end.bigEnd;
        } catch (const StatusError& error) {
            EXPECT_EQ(error.reason(), StatusReason::EndBeyondTables);
            EXPECT_EQ(std::string(error.what()), "BIG end must be a number up to 2000");
        }
    }
    try {
        solveAttempt(0, {300.0, 1001});
        ADD_FAILURE() << "accepted REG end 1001";
    } catch (const StatusError& error) {
        EXPECT_EQ(error.reason(), StatusReason::EndBeyondTables);
        EXPECT_EQ(std::string(error.what()), "REG end must be at most 1000");
    }
    EXPECT_THROW(solveAttempt(6, {300.0, 100}), std::invalid_argument);
}

TEST(AttemptWorkControlTest, CallsOffAndTellsHowFarItHasGot) {
    std::atomic<bool> cancel{true};
    EXPECT_THROW(solveAttempt(0, {0.0, 0}, CostRounding::Exact, {}, {.cancel = &cancel}),
                 WorkCancelled);
    cancel = false;
    std::vector<double> shares;
    const AttemptFigures f =
        solveAttempt(0, {0.0, 0}, CostRounding::Exact, {},
                     {.cancel = &cancel, .progress = [&](double s) { shares.push_back(s); }});
    ASSERT_GE(shares.size(), 10U);
    EXPECT_GE(shares.front(), 0.0);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
    EXPECT_EQ(f.expectedCost, solveAttempt(0, {0.0, 0}, CostRounding::Exact).expectedCost);
    // Called off halfway, from the thread doing the work.
    auto callOff = [&](double s) { cancel = s > 0.5; };
    EXPECT_THROW(solveAttempt(0, {0.0, 0}, CostRounding::Exact, {},
                              {.cancel = &cancel, .progress = callOff}),
                 WorkCancelled);
}

}  // namespace
}  // namespace korvale
