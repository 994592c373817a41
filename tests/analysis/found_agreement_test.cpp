// Machines found mid-day, played with the machine itself, against figures worked out without
// playing: the law of the mode a found machine is in, and what an attempt on it is worth. Each
// check takes a family of figures at a joint level of 99% (Bonferroni).

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_start.h"
#include "analysis/long_run/long_run.h"
#include "common/random_source.h"
#include "machine/cls_korvale.h"
#include "machine/found_machine.h"
#include "tests/support/ceiling_closed_form.h"
#include "tests/support/mean_interval.h"
#include "tests/support/played_attempt.h"

namespace korvale {
namespace {

#ifdef KORVALE_SANITIZED
constexpr int sampleScale = 10;  // the sanitizers play about twenty times slower
#else
constexpr int sampleScale = 1;
#endif

// One machine of the setting played on without end, handed over at every moment its wait since
// the last BIG reaches G games: its state is copied onto a machine that draws from a stream of
// its own, with its game, BIG and REG counters at 0, and the long run goes on untouched. Every
// such moment of the long run is handed over once, so the found machines follow the law of
// all of them, whatever the attempts do; consecutive ones are at least one BIG apart, and at
// the counts tested here (300 and up, some BIGs or far more apart) all but independent.
class LongRunHandOver {
  public:
    LongRunHandOver(std::int32_t setting, std::int32_t gamesSinceBig, std::uint64_t seed)
        : longRunStream_(seed), attemptStream_(seed), machine_(longRunStream_), g_(gamesSinceBig) {
        attemptStream_.jump();
        machine_.mlngSettei = setting;
        while (machine_.mlngBigCnt < 200) {  // the morning's mode 0 left far behind
            play();
        }
    }

    clsKorvale next() {
        do {
            play();
        } while (machine_.mlngBigPlayCnt != g_);
        clsKorvale found(attemptStream_);
        found.mlngSettei = machine_.mlngSettei;
        found.mMode = machine_.mMode;
        found.mOldMode = machine_.mOldMode;
        found.mlngBigPlayCnt = machine_.mlngBigPlayCnt;
        found.mlngBonusPlayCnt = machine_.mlngBonusPlayCnt;
        return found;
    }

  private:
    void play() {
        if (machine_.mlngPlayCnt > 2'000'000'000) {
            machine_.mlngPlayCnt = 0;
            machine_.mlngBigCnt = 0;
            machine_.mlngRegCnt = 0;
        }
        std::int32_t num = 0;
        std::int32_t mode = 0;
        std::int32_t simauta = 0;
        machine_.Play(num, mode, simauta);
    }

    Xoshiro256PlusPlus longRunStream_;
    Xoshiro256PlusPlus attemptStream_;
    clsKorvale machine_;
    std::int32_t g_;
};

// The modes' shares among `found` machines against the law worked out from the chain, each in
// its binomial interval.
void expectModeLaw(const std::array<double, modeCount>& counts, int found, const ModeVector& law,
                   double z, const char* how) {
    for (int m = 0; m < modeCount; ++m) {
        const double p = law[static_cast<std::size_t>(m)];
        const double share = counts[static_cast<std::size_t>(m)] / found;
        EXPECT_NEAR(share, p, z * std::sqrt(p * (1.0 - p) / found) + 1.0 / found)
            << how << ": mode " << m << " in " << share << " of the machines, exact " << p;
    }
}

// Machines found by the batch program's rule (a new machine each, playUntilFound) and handed
// over from one long run are in each mode as often as the long run's law at that count says.
TEST(FoundMachineTest, TheModeFollowsTheLongRunsLawAtTheCount) {
    struct Case {
        std::int32_t setting;
        std::int32_t gamesSinceBig;
        int machines;
    };
    // G = 1 and 2 pass many moments, 100 and 300 the usual seven and three, 1500 the ceiling.
    const Case cases[] = {
        {0, 1, 1500}, {4, 2, 1500}, {0, 100, 2000}, {2, 300, 1500}, {5, 1500, 800}};
    const double z = familyQuantile(2 * modeCount * static_cast<int>(std::size(cases)), 0.01);
    std::uint64_t seed = 70;
    for (const Case& c : cases) {
        SCOPED_TRACE("setting index " + std::to_string(c.setting) +
                     ", G = " + std::to_string(c.gamesSinceBig));
        const ModeVector law = foundMachineState(machineModel(c.setting), c.gamesSinceBig).modeLaw;
        const int machines = c.machines / sampleScale;
        Xoshiro256PlusPlus stream(++seed);
        std::array<double, modeCount> byRule{};
        std::int64_t games = 0;
        for (int i = 0; i < machines; ++i) {
            clsKorvale machine(stream);
            machine.mlngSettei = c.setting;
            ASSERT_EQ(playUntilFound(
                          machine, c.gamesSinceBig, [] { return false; }, games),
                      FoundEnd::Found);
            ASSERT_EQ(machine.mlngBigPlayCnt, c.gamesSinceBig);
            ASSERT_EQ(machine.mlngPlayCnt, 0);
            ++byRule[static_cast<std::size_t>(machine.mMode)];
        }
        expectModeLaw(byRule, machines, law, z, "a new machine each");
        LongRunHandOver longRun(c.setting, c.gamesSinceBig, ++seed);
        std::array<double, modeCount> handedOver{};
        for (int i = 0; i < machines; ++i) {
            ++handedOver[static_cast<std::size_t>(longRun.next().mMode)];
        }
        expectModeLaw(handedOver, machines, law, z, "one long run");
    }
}

// From G = 1499 on the player's every game is under the ceiling, so quitting at the first BIG
// is worth the closed form of the ceiling's geometric wait, whatever the mode.
TEST(FoundAttemptAgreementTest, QuitAtTheFirstBigUnderTheCeilingIsTheGeometricWait) {
    struct Case {
        std::int32_t setting;
        std::int32_t gamesSinceBig;
        int attempts;
    };
    const Case cases[] = {{0, 1500, 3000}, {5, 1500, 3000}, {2, 1700, 800}};
    const double z = familyQuantile(3 * static_cast<int>(std::size(cases)), 0.01);
    std::uint64_t seed = 90;
    for (const Case& c : cases) {
        SCOPED_TRACE("setting index " + std::to_string(c.setting) +
                     ", G = " + std::to_string(c.gamesSinceBig));
        const CeilingAttempt exact = ceilingQuitAtFirstBig(c.setting);
        LongRunHandOver longRun(c.setting, c.gamesSinceBig, ++seed);
        MeanInterval games, regs, net;
        for (int i = 0; i < c.attempts / sampleScale; ++i) {
            clsKorvale machine = longRun.next();
            const AttemptSample s = playAttemptOn(machine, {0.0, 0});
            ASSERT_EQ(s.bigs, 1);
            games.add(s.games);
            regs.add(s.regs);
            net.add(s.net);
        }
        expectWithin("games", games, exact.games, z);
        expectWithin("REGs", regs, exact.regs, z);
        expectWithin("net coins", net, exact.net, z);
    }
}

// Machines handed over from one long run against the exact figures of an attempt from the found
// start, for several settings, counts and rules, the ceiling's region included.
TEST(FoundAttemptAgreementTest, MatchesTheExactFiguresFromTheFoundStart) {
    struct Case {
        std::int32_t setting;
        std::int32_t gamesSinceBig;
        EndConditions end;
        int attempts;
    };
    const Case cases[] = {{0, 300, {300.0, 100}, 2000},
                          {5, 1000, {0.0, 0}, 3000},
                          {2, 1400, {300.0, 100}, 1500},
                          {0, 1500, {100.0, 50}, 1500},
                          {3, 1700, {300.0, 100}, 400}};
    const double z = familyQuantile(4 * static_cast<int>(std::size(cases)), 0.01);
    std::uint64_t seed = 110;
    for (const Case& c : cases) {
        SCOPED_TRACE("setting index " + std::to_string(c.setting) +
                     ", G = " + std::to_string(c.gamesSinceBig) + ", BIG end " +
                     std::to_string(c.end.bigEnd) + ", REG end " + std::to_string(c.end.regEnd));
        const AttemptFigures exact =
            solveAttempt(c.setting, c.end, CostRounding::Exact,
                         foundStart(machineModel(c.setting), c.gamesSinceBig));
        LongRunHandOver longRun(c.setting, c.gamesSinceBig, ++seed);
        MeanInterval games, bigs, regs, net;
        for (int i = 0; i < c.attempts / sampleScale; ++i) {
            clsKorvale machine = longRun.next();
            const AttemptSample s = playAttemptOn(machine, c.end);
            games.add(s.games);
            bigs.add(s.bigs);
            regs.add(s.regs);
            net.add(s.net);
        }
        // Quitting at the first BIG leaves the BIGs no spread: only the solve's rounding.
        expectWithin("games", games, exact.expectedGames, z);
        expectWithin("BIGs", bigs, exact.expectedBigs, z, 1e-9);
        expectWithin("REGs", regs, exact.expectedRegs, z);
        expectWithin("net coins", net, exact.expectedNet, z);
    }
}

// From G = 1499 on, the exact figures of quitting at the first BIG are the closed form's, at
// every setting and count (the mode no longer matters).
TEST(FoundAttemptAgreementTest, TheExactCeilingFiguresAreTheGeometricWaits) {
    for (const std::int32_t setting : {0, 3, 5}) {
        const CeilingAttempt hand = ceilingQuitAtFirstBig(setting);
        for (const std::int32_t g : {1499, 1500, 1700, 2500}) {
            SCOPED_TRACE("setting index " + std::to_string(setting) + ", G = " + std::to_string(g));
            const AttemptFigures exact = solveAttempt(setting, {0.0, 0}, CostRounding::Exact,
                                                      foundStart(machineModel(setting), g));
            EXPECT_NEAR(exact.expectedGames, hand.games, 1e-9);
            EXPECT_NEAR(exact.expectedBigs, 1.0, 1e-12);
            EXPECT_NEAR(exact.expectedRegs, hand.regs, 1e-9);
            EXPECT_NEAR(exact.expectedNet, hand.net, 1e-7);
        }
    }
}

TEST(CeilingClosedFormTest, MatchesTheSumsWorkedByHand) {
    // 設定１: 388 + 127 × 0.1 = 400.7 coins out; the cost about 1.604 × 65.536 = 105.12.
    const CeilingAttempt one = ceilingQuitAtFirstBig(0);
    EXPECT_DOUBLE_EQ(one.games, 65.536);
    EXPECT_DOUBLE_EQ(one.regs, 0.1);
    EXPECT_NEAR(one.net, 400.7 - 105.12, 0.6);
}

}  // namespace
}  // namespace korvale
