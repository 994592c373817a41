// The day's law: a day of one and two games worked by hand from the machine's tables, and
// hand-built machines whose BIG and REG counts have a law of their own (multinomial counts, a
// BIG that only the ceiling brings).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

#include "analysis/outcome/day_law.h"

namespace korvale {
namespace {

constexpr double game = 65536.0;

// 設定１ from the morning: one game is a REG (100 of 65536), a BIG (223) or nothing, at a cost
// of 2 coins; two games cost 3, the second's BIG chance by the mode the first left.
TEST(DayLawTest, OneAndTwoGamesFromTheMorningByHand) {
    const double reg = 100 / game;
    const double big0 = 223 / game;
    // BIG thresholds of modes 0..5, the REG row of mode 0 (setting index 0) and the BIG row of
    // (setting index 0, mode 0).
    const std::array<double, 6> bigOf = {223, 49528, 2355, 49528, 329, 114};
    const std::array<double, 6> regRow = {79994, 2, 5000, 10, 15001, 2};
    const std::array<double, 6> bigRow = {0, 1001, 10001, 10001, 10001, 68997};
    double afterReg = 0.0;
    double afterBig = 0.0;
    for (int m = 0; m < 6; ++m) {
        afterReg += regRow[m] / 100009.0 * bigOf[m] / game;
        afterBig += bigRow[m] / 100001.0 * bigOf[m] / game;
    }
    const DayLaw one = solveDayLaw(0, 1, {.threads = 1});
    const DayLaw two = solveDayLaw(0, 2, {.threads = 1});
    const struct {
        const DayLaw& law;
        std::int64_t net;
        double chance;
    } cases[] = {
        {one, -2, 1 - reg - big0},
        {one, 125, reg},
        {one, 386, big0},
        {two, 2 * 388 - 3, big0 * afterBig},
        {two, 388 + 127 - 3, reg * afterReg + big0 * reg},
        {two, 2 * 127 - 3, reg * reg},
        {two, 388 - 3, big0 * (1 - reg - afterBig) + (1 - reg - big0) * big0},
        {two, -3, (1 - reg - big0) * (1 - reg - big0)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.law.net.at(c.net), c.chance, 1e-12) << c.law.games << " games, net " << c.net;
    }
    EXPECT_NEAR(one.meanNet, (223 * 388 + 100 * 127) / game - 2, 1e-10);
    EXPECT_NEAR(one.pAhead, reg + big0, 1e-12);
}

// A machine whose every mode has the same BIG chance and no ceiling within the day: the BIGs
// and REGs of n games are multinomial, whatever the modes do.
MachineModel flatMachine(double big, double reg) {
    MachineModel model = machineModel(0);
    model.regProbability = reg;
    model.bigProbability.fill(big);
    model.ceilingGame = 1 << 30;
    return model;
}

double multinomial(int n, int b, int r, double pb, double pr) {
    return std::exp(std::lgamma(n + 1.0) - std::lgamma(b + 1.0) - std::lgamma(r + 1.0) -
                    std::lgamma(n - b - r + 1.0) + b * std::log(pb) + r * std::log(pr) +
                    (n - b - r) * std::log(1 - pb - pr));
}

TEST(DayLawTest, HandBuiltMachinesCountsHaveTheirOwnLaws) {
    const struct {
        int games;
        double big;
        double reg;
    } cases[] = {{40, 0.05, 0.02}, {300, 0.01, 0.003}, {7, 0.3, 0.2}};
    for (const auto& c : cases) {
        const std::array<std::int32_t, 1> games = {c.games};
        const DayLaw law = solveDayLaws(flatMachine(c.big, c.reg), games, {.threads = 1}).front();
        for (int b = 0; b <= 6; ++b) {
            double withRegs = 0.0;
            for (int r = 0; r + b <= c.games; ++r) {
                withRegs += multinomial(c.games, b, r, c.big, c.reg);
            }
            EXPECT_NEAR(law.bigs.at(b), withRegs, 1e-11) << c.games << " games, " << b << " BIGs";
        }
        EXPECT_NEAR(law.bigs.mean(), c.games * c.big, 1e-9);
        EXPECT_NEAR(law.regs.mean(), c.games * c.reg, 1e-9);
    }
    // No bonus but the ceiling's BIG, which always falls on the 3rd game since the last: a day
    // of n games has n / 3 BIGs.
    MachineModel ceilingOnly = flatMachine(0.0, 0.0);
    ceilingOnly.ceilingGame = 3;
    ceilingOnly.ceilingBigProbability = 1.0;
    const std::vector<std::int32_t> days = {2, 3, 10, 31};
    const std::vector<DayLaw> laws = solveDayLaws(ceilingOnly, days, {.threads = 1});
    for (std::size_t i = 0; i < days.size(); ++i) {
        EXPECT_NEAR(laws[i].bigs.at(days[i] / 3), 1.0, 1e-11) << days[i] << " games";
    }
}

// The mean BIGs of n games by a forward pass over the games, the state the mode and the games
// since the last BIG (capped at the ceiling's): another way to the same mean.
double forwardMeanBigs(const MachineModel& model, int games) {
    const int cap = model.ceilingGame;
    std::vector<double> now(modeCount * (cap + 1)), next(now.size());
    now[0] = 1.0;
    double bigs = 0.0;
    for (int g = 0; g < games; ++g) {
        std::fill(next.begin(), next.end(), 0.0);
        for (int m = 0; m < modeCount; ++m) {
            for (int c = 0; c <= cap; ++c) {
                const double x = now[m * (cap + 1) + c];
                const double big =
                    c + 1 >= cap ? model.ceilingBigProbability : model.bigProbability[m];
                const int on = std::min(c + 1, cap);
                bigs += x * big;
                next[m * (cap + 1) + on] += x * (1 - model.regProbability - big);
                for (int to = 0; to < modeCount; ++to) {
                    next[to * (cap + 1) + on] +=
                        x * model.regProbability * model.regNextMode[m][to];
                    next[to * (cap + 1)] += x * big * model.bigNextMode[m][to];
                }
            }
        }
        now.swap(next);
    }
    return bigs;
}

TEST(DayLawTest, MeanBigsAgreeWithAForwardPass) {
    struct Day {
        std::int32_t setting;
        int games;
    };
#ifdef KORVALE_SANITIZED
    // The law's work grows faster than the day's length, and many times slower there.
    const std::vector<Day> cases = {{0, 1000}, {5, 700}};
#else
    // At 4000 games a transform of four days' length once let the sum wander by 1e-3 BIGs.
    const std::vector<Day> cases = {{0, 4000}, {5, 1700}};
#endif
    for (const auto& c : cases) {
        EXPECT_NEAR(solveDayLaw(c.setting, c.games).bigs.mean(),
                    forwardMeanBigs(machineModel(c.setting), c.games), 1e-8)
            << "setting " << c.setting << ", " << c.games << " games";
    }
}

// Two hand-built laws mixed 1:3: the chances and the means weighted, the tables aligned on
// their values, the error bound the larger.
TEST(DayLawTest, MixedLawsWeighTheirChances) {
    DayLaw a;
    a.games = 1;
    a.net = {-2, {0.5, 0.5}};  // -2 and -1
    a.bigs = {0, {1.0}};
    a.regs = {0, {1.0}};
    a.meanNet = -1.5;
    a.pBehind = 1.0;
    a.errorBound = 1e-13;
    DayLaw b = a;
    b.net = {-1, {0.25, 0.25, 0.5}};  // -1, 0 and 1
    b.bigs = {0, {0.5, 0.5}};
    b.meanNet = 0.25;
    b.pAhead = 0.5;
    b.pEven = 0.25;
    b.pBehind = 0.25;
    b.errorBound = 1e-12;
    const std::array<DayLaw, 2> laws = {a, b};
    const std::array<double, 2> weights = {0.25, 0.75};
    const DayLaw mixed = mixDayLaws(laws, weights);
    EXPECT_EQ(mixed.games, 1);
    EXPECT_EQ(mixed.net.first, -2);
    const std::vector<double> net = {0.125, 0.125 + 0.1875, 0.1875, 0.375};
    ASSERT_EQ(mixed.net.chance.size(), net.size());
    for (std::size_t i = 0; i < net.size(); ++i) {
        EXPECT_DOUBLE_EQ(mixed.net.chance[i], net[i]) << i;
    }
    EXPECT_DOUBLE_EQ(mixed.bigs.chance[1], 0.375);
    EXPECT_DOUBLE_EQ(mixed.meanNet, 0.25 * -1.5 + 0.75 * 0.25);
    EXPECT_DOUBLE_EQ(mixed.pAhead, 0.375);
    EXPECT_DOUBLE_EQ(mixed.pEven, 0.1875);
    EXPECT_DOUBLE_EQ(mixed.pBehind, 0.25 + 0.1875);
    EXPECT_EQ(mixed.errorBound, 1e-12);
    EXPECT_EQ(mixed.net.quantile(0.5), 0);  // 0.125 + 0.3125 < 0.5 <= + 0.1875
}

// The share told moves with the work, on the calling thread only: rising in many small steps to 1
// (it once stood at the first root's share until the end). With two threads the last root's
// work may be the other thread's, told when it is done.
TEST(DayLawTest, TheShareToldMovesInSmallSteps) {
    const std::vector<std::int32_t> games = {150, 300, 450, 600};
    for (const unsigned threads : {1U, 2U}) {
        SCOPED_TRACE(threads);
        std::vector<double> told;
        const std::thread::id caller = std::this_thread::get_id();
        solveDayLaws(machineModel(2), games,
                     {.progress =
                          [&](double share) {
                              EXPECT_EQ(std::this_thread::get_id(), caller);
                              told.push_back(share);
                          },
                      .threads = threads});
        ASSERT_GT(told.size(), 20U);
        EXPECT_EQ(told.back(), 1.0);
        double before = 0.0;
        for (const double share : told) {
            EXPECT_GE(share, before);
            EXPECT_LE(share - before, threads == 1 ? 0.1 : 0.25) << "from " << before;
            before = share;
        }
    }
}

}  // namespace
}  // namespace korvale
