#include "analysis/outcome/outcome_law.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/outcome/law_inversion.h"
#include "common/status.h"

namespace korvale {
namespace {

// The chain played forward game by game over its full state (BIG seen, mode, games since BIG
// and since REG, both capped where they stop mattering) and the BIG and REG counts so far; an
// attempt that ends after game t is booked with its net coins 388 BIG + 127 REG - round(c t)
// as the machine rounds them. Shares nothing with the law but the model.
struct ForwardLaws {
    std::map<std::int64_t, double> net, games, bigs;
    double lost = 0.0;  // beyond the count tables
};

ForwardLaws playForward(const MachineModel& model, int x, int y) {
    constexpr int mostBigs = 100;
    constexpr int mostRegs = 24;
    const int cap = std::max(x, model.ceilingGame);
    auto state = [&](int seen, int mode, int sinceBig, int sinceReg) {
        return static_cast<std::size_t>(
            ((seen * modeCount + mode) * (cap + 1) + sinceBig) * (y + 1) + sinceReg);
    };
    const std::size_t counts = mostBigs * mostRegs;
    const std::size_t states = state(1, modeCount - 1, cap, y) + 1;
    // The chances by state and counts, and which states hold any; each row is cleared as it is
    // played, so that the buffers swap without being filled anew.
    std::vector<double> alive(states * counts, 0.0), next(alive.size(), 0.0);
    std::vector<char> live(states, 0), nextLive(states, 0);
    alive[state(0, 0, 0, y) * counts] = 1.0;
    live[state(0, 0, 0, y)] = 1;
    ForwardLaws laws;
    const double r = model.regProbability;
    for (std::int64_t t = 1;; ++t) {
        const auto cost = static_cast<std::int64_t>(std::nearbyint(model.costCoefficient * t));
        double playing = 0.0;
        auto move = [&](int seen, int mode, int sinceBig, int sinceReg, int bigs, int regs,
                        double p) {
            if (seen == 1 && sinceBig >= x && sinceReg >= y) {
                laws.net[388 * bigs + 127 * regs - cost] += p;
                laws.games[t] += p;
                laws.bigs[bigs] += p;
            } else {
                if (bigs >= mostBigs || regs >= mostRegs) {
                    laws.lost += p;
                    return;
                }
                const std::size_t to = state(seen, mode, sinceBig, sinceReg);
                next[to * counts + bigs * mostRegs + regs] += p;
                nextLive[to] = 1;
                playing += p;
            }
        };
        for (int seen = 0; seen < 2; ++seen) {
            for (int mode = 0; mode < modeCount; ++mode) {
                const auto m = static_cast<std::size_t>(mode);
                for (int sinceBig = 0; sinceBig <= cap; ++sinceBig) {
                    const double b = sinceBig + 1 >= model.ceilingGame ? model.ceilingBigProbability
                                                                       : model.bigProbability[m];
                    const int big1 = std::min(sinceBig + 1, cap);
                    for (int sinceReg = 0; sinceReg <= y; ++sinceReg) {
                        const int reg1 = std::min(sinceReg + 1, y);
                        const std::size_t from = state(seen, mode, sinceBig, sinceReg);
                        if (!live[from]) {
                            continue;
                        }
                        double* row = &alive[from * counts];
                        for (std::size_t i = 0; i < counts; ++i) {
                            const double p = row[i];
                            if (p < 1e-22) {
                                continue;
                            }
                            const int bigs = static_cast<int>(i) / mostRegs;
                            const int regs = static_cast<int>(i) % mostRegs;
                            move(seen, mode, big1, reg1, bigs, regs, p * (1.0 - r - b));
                            for (std::size_t to = 0; to < modeCount; ++to) {
                                const int into = static_cast<int>(to);
                                if (model.regNextMode[m][to] > 0.0) {
                                    move(seen, into, big1, 0, bigs, regs + 1,
                                         p * r * model.regNextMode[m][to]);
                                }
                                if (model.bigNextMode[m][to] > 0.0) {
                                    move(1, into, 0, reg1, bigs + 1, regs,
                                         p * b * model.bigNextMode[m][to]);
                                }
                            }
                        }
                        std::fill(row, row + counts, 0.0);
                    }
                }
            }
        }
        alive.swap(next);
        live.swap(nextLive);
        std::fill(nextLive.begin(), nextLive.end(), 0);
        if (playing < 1e-16) {
            return laws;
        }
    }
}

void expectSameLaw(const char* name, const IntegerLaw& law,
                   const std::map<std::int64_t, double>& expected, double tolerance) {
    double worst = 0.0;
    std::int64_t where = 0;
    const std::int64_t last = law.first + static_cast<std::int64_t>(law.chance.size());
    for (std::int64_t v = std::min(law.first, expected.begin()->first);
         v < std::max(last, expected.rbegin()->first + 1); ++v) {
        const auto it = expected.find(v);
        const double gap = std::abs(law.at(v) - (it == expected.end() ? 0.0 : it->second));
        if (gap > worst) {
            worst = gap;
            where = v;
        }
    }
    EXPECT_LE(worst, tolerance) << name << " differs most at " << where;
}

TEST(OutcomeLawTest, AgreesWithAForwardPassOverEveryGame) {
    // Setting index 5's rows (and its coefficient, whose rounding repeats every 1000 games)
    // with BIG chances raised eightfold (capped), REGs fivefold
    // and the ceiling at game 8, so that attempts are short and every kind of state is
    // visited: the ceiling before the first BIG and within the pieces, REGs that move the end,
    // hot modes that chain BIGs.
#ifdef KORVALE_SANITIZED
    // The sanitizers run this some thirty times slower: setting index 4's rows (a rounding
    // period of 250 games), calmer hot modes (shorter runs of BIGs, far shorter tables).
    constexpr std::int32_t rows = 4;
    constexpr double hottest = 0.1;
    const std::vector<std::pair<int, int>> rules = {{0, 1}, {3, 2}};
#else
    constexpr std::int32_t rows = 5;
    constexpr double hottest = 0.25;
    const std::vector<std::pair<int, int>> rules = {{0, 1}, {3, 2}, {5, 6}};
#endif
    MachineModel model = machineModel(rows);
    for (double& p : model.bigProbability) {
        p = std::min(8.0 * p, hottest);
    }
    model.regProbability *= 5.0;
    model.ceilingBigProbability *= 8.0;
    model.ceilingGame = 8;
    for (const auto& [x, y] : rules) {
        SCOPED_TRACE(std::to_string(x) + "/" + std::to_string(y));
        const OutcomeLaw law = solveOutcomeLaw(model, {double(x), y});
        const ForwardLaws forward = playForward(model, x, y);
        const double tolerance = law.errorBound + forward.lost + 1e-13;
        EXPECT_LT(forward.lost, 1e-13);
        expectSameLaw("net", law.net, forward.net, tolerance);
        expectSameLaw("games", law.games, forward.games, tolerance);
        expectSameLaw("BIGs", law.bigs, forward.bigs, tolerance);
        EXPECT_LT(law.errorBound, 1e-9);
    }
}

TEST(OutcomeLawTest, ChancesAddUpAndMeansMatchTheExpectations) {
#ifdef KORVALE_SANITIZED
    const std::vector<std::pair<std::int32_t, EndConditions>> cases = {{3, {0.0, 1}}};
#else
    const std::vector<std::pair<std::int32_t, EndConditions>> cases = {{0, {0.0, 0}},
                                                                       {3, {0.0, 1}}};
#endif
    for (const auto& [setting, end] : cases) {
        SCOPED_TRACE(std::to_string(setting) + " " + std::to_string(end.bigEnd));
        const OutcomeLaw law = solveOutcomeLaw(setting, end);
        const AttemptFigures exact = solveAttempt(setting, end, CostRounding::Exact);
        ASSERT_EQ(exact.costRounding, CostRounding::Exact);
        const double e = law.errorBound;
        EXPECT_LT(e, 1e-9);
        for (const IntegerLaw* l : {&law.net, &law.games, &law.bigs}) {
            EXPECT_NEAR(std::accumulate(l->chance.begin(), l->chance.end(), 0.0), 1.0, e);
        }
        EXPECT_NEAR(law.pAhead + law.pEven + law.pBehind, 1.0, e);
        EXPECT_NEAR(law.pAhead, law.net.atLeast(1), 1e-15);
        // A chance off by at most e moves a mean by at most e times the largest value.
        auto reach = [](const IntegerLaw& l) {
            return double(
                std::max(std::abs(l.first), std::abs(l.first + std::int64_t(l.chance.size()))));
        };
        EXPECT_NEAR(law.games.mean(), exact.expectedGames,
                    1e-9 * exact.expectedGames + e * reach(law.games));
        EXPECT_NEAR(law.bigs.mean(), exact.expectedBigs,
                    1e-9 * exact.expectedBigs + e * reach(law.bigs));
        EXPECT_NEAR(law.net.mean(), exact.expectedNet,
                    1e-9 * std::abs(exact.expectedNet) + e * reach(law.net));
    }
}

TEST(OutcomeLawTest, EndingAtTheFirstBigIsOneBigAndAGeometricWait) {
    // Every mode alike (BIG chance p, REG chance r, the ceiling too), ending at the first BIG:
    // the attempt is n games with k REGs among the first n - 1, chance C(n-1, k) r^k s^(n-1-k) p
    // with s = 1 - r - p, and its net 388 + 127 k - round(c n).
    MachineModel model = machineModel(2);
    const double p = 1.0 / 40.0;
    const double r = 1.0 / 60.0;
    model.bigProbability.fill(p);
    model.ceilingBigProbability = p;
    model.regProbability = r;
    const OutcomeLaw law = solveOutcomeLaw(model, {0.0, 0});
    // The bound takes in the transform's imaginary residue, so a wrong transform shows there.
    ASSERT_LT(law.errorBound, 1e-9);
    EXPECT_NEAR(law.bigs.at(1), 1.0, law.errorBound);
    std::map<std::int64_t, double> net;
    const double s = 1.0 - r - p;
    double noReg = p;  // s^(n-1) p
    for (int n = 1; n < 1200; ++n) {
        const auto cost = static_cast<std::int64_t>(std::nearbyint(model.costCoefficient * n));
        double chance = noReg;
        for (int k = 0; k < n && chance > 1e-30; ++k) {
            net[388 + 127 * k - cost] += chance;
            chance *= double(n - 1 - k) / double(k + 1) * r / s;
        }
        noReg *= s;
    }
    expectSameLaw("net", law.net, net, law.errorBound + 1e-13);
}

TEST(OutcomeLawTest, RejectsWhatItDoesNotCover) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const EndConditions end : {EndConditions{0.0, 2}, EndConditions{100.0, 102},
                                    EndConditions{nan, 0}, EndConditions{2500.0, 0}}) {
        EXPECT_THROW(solveOutcomeLaw(0, end), StatusError) << end.bigEnd << "/" << end.regEnd;
        EXPECT_FALSE(outcomeLawCovers(end)) << end.bigEnd << "/" << end.regEnd;
    }
    // A BIG end of 300.5 needs 301 games: the REG end may then be 302.
    for (const EndConditions end :
         {EndConditions{0.0, 1}, EndConditions{100.0, 101}, EndConditions{300.5, 302}}) {
        EXPECT_TRUE(outcomeLawCovers(end)) << end.bigEnd << "/" << end.regEnd;
    }
    EXPECT_FALSE(outcomeLawCovers({300.0, 302}));
    EXPECT_THROW(solveOutcomeLaw(6, {0.0, 0}), std::invalid_argument);
}

TEST(OutcomeLawTest, AttemptsTooLongAreRefusedBeforeAnyTable) {
    // A BIG end of 1800 or more outlasts the ceiling's 1500 games by so much that an attempt runs
    // to thousands of BIGs (at 2000, 2.4 million coins lost on average): the Chernoff bound
    // finds no edge at all, and the law must say so rather than search for a table length.
    const auto expectTooLong = [](auto operation, const char* what) {
        try {
            operation();
            ADD_FAILURE() << what << ": no error";
        } catch (const StatusError& error) {
            EXPECT_EQ(error.reason(), StatusReason::AttemptsTooLong) << what;
            EXPECT_STREQ(error.what(), "attempts this long have no outcome law here") << what;
        }
    };
    for (const double bigEnd : {1800.0, 2000.0}) {
        expectTooLong([&] { solveOutcomeLaw(0, {bigEnd, 0}); }, "whole law");
        expectTooLong([&] { solveNetLawHead(0, {bigEnd, 0}); }, "head");
    }
    // The table's length: 2^21 values is the longest; edges are whole numbers within it.
    EXPECT_EQ(checkedLength(std::int64_t{1} << 21), std::size_t{1} << 21);
    expectTooLong([] { checkedLength((std::int64_t{1} << 21) + 1); }, "length");
    expectTooLong([] { checkedLength(std::numeric_limits<std::int64_t>::max()); }, "length");
    EXPECT_THROW(checkedLength(0), std::invalid_argument);
    EXPECT_EQ(wholeEdge(-2097152.0), -2097152);
    for (const double edge : {std::numeric_limits<double>::infinity(), -3e6,
                              std::numeric_limits<double>::quiet_NaN()}) {
        expectTooLong([&] { wholeEdge(edge); }, "edge");
    }
}

TEST(OutcomeLawTest, SameLawOnAnyNumberOfThreads) {
    // The threads share out the pieces and the blocks of transform points; nothing a thread
    // computes may depend on which thread it is or on what the others are doing.
    const OutcomeLaw one = solveOutcomeLaw(0, {0.0, 1}, {}, {.threads = 1});
    for (const unsigned threads : {2U, 3U}) {
        const OutcomeLaw more = solveOutcomeLaw(0, {0.0, 1}, {}, {.threads = threads});
        EXPECT_EQ(more.net.first, one.net.first);
        EXPECT_EQ(more.net.chance, one.net.chance) << threads << " threads";
        EXPECT_EQ(more.games.chance, one.games.chance) << threads << " threads";
        EXPECT_EQ(more.errorBound, one.errorBound) << threads << " threads";
    }
}

TEST(OutcomeLawTest, StopsWhenCalledOffAndTellsHowFarItIs) {
    std::atomic<bool> cancel{true};
    EXPECT_THROW(solveOutcomeLaw(0, {0.0, 0}, {}, {.cancel = &cancel, .threads = 1}),
                 OutcomeLawCancelled);
    cancel = false;
    // Heard on this thread only, though three share the work, rising to the whole.
    std::vector<double> heard;
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    const auto hear = [&](double share) {
        elsewhere = elsewhere || std::this_thread::get_id() != caller;
        heard.push_back(share);
    };
    EXPECT_NO_THROW(
        solveOutcomeLaw(0, {0.0, 0}, {}, {.cancel = &cancel, .progress = hear, .threads = 3}));
    EXPECT_FALSE(elsewhere);
    ASSERT_GT(heard.size(), 1u);
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
    EXPECT_GT(heard.front(), 0.0);
    EXPECT_EQ(heard.back(), 1.0);
}

}  // namespace
}  // namespace korvale
