#include <gtest/gtest.h>

#include <array>

#include <limits>

#include "machine/cls_korvale.h"
#include "machine_test_support.h"

namespace korvale {
namespace {

using testing::expectRuntimeError;
using testing::play;
using testing::pushGameDraw;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(GameStepTest, FirstGameOfANewMachineWithoutBonus) {
    ScriptedRandomSource source;
    pushGameDraw(source, 40000);
    clsKorvale machine(source);
    const auto game = play(machine);
    EXPECT_EQ(game.result, "");
    EXPECT_EQ(game.num, 0);
    EXPECT_EQ(game.mode, 0);
    EXPECT_EQ(game.simauta, 0);
    EXPECT_EQ(machine.mlngPlayCnt, 1);
    EXPECT_EQ(machine.mlngBigPlayCnt, 1);
    EXPECT_EQ(machine.mlngBonusPlayCnt, 1);
    EXPECT_EQ(machine.mlngRet, 40000);
    EXPECT_EQ(machine.mstrReturn, "");
    EXPECT_EQ(source.drawn(), 1u);
}

TEST(GameStepTest, FirstGameBonusesResetTheirCounters) {
    ScriptedRandomSource source;
    pushGameDraw(source, 1);     // REG
    source.pushDraw(1, 100009);  // lottery: stays in mode 0
    clsKorvale reg(source);
    const auto regGame = play(reg);
    EXPECT_EQ(regGame.result, "REG");
    EXPECT_EQ(regGame.num, 1);
    EXPECT_EQ(reg.mlngRegCnt, 1);
    EXPECT_EQ(reg.mlngBonusPlayCnt, 0);
    EXPECT_EQ(reg.mlngBigPlayCnt, 1);

    pushGameDraw(source, 101);   // BIG
    source.pushDraw(1, 100001);  // lottery: mode 1
    clsKorvale big(source);
    const auto bigGame = play(big);
    EXPECT_EQ(bigGame.result, "BIG");
    EXPECT_EQ(bigGame.num, 1);
    EXPECT_EQ(big.mlngBigCnt, 1);
    EXPECT_EQ(big.mlngBigPlayCnt, 0);
    EXPECT_EQ(big.mlngBonusPlayCnt, 0);
    EXPECT_EQ(big.mMode, 1);
    EXPECT_EQ(source.remaining(), 0u);
}

// With setting 1 in mode 0: 1..100 REG, 101..323 BIG, 324.. nothing.
TEST(GameStepTest, DrawBoundariesForSetting1InMode0) {
    struct Case {
        std::int32_t draw;
        const char* result;
    };
    for (const Case c : {Case{1, "REG"}, Case{100, "REG"}, Case{101, "BIG"}, Case{323, "BIG"},
                         Case{324, ""}, Case{65536, ""}}) {
        ScriptedRandomSource source;
        pushGameDraw(source, c.draw);
        source.push(0.0);  // a lottery, if the game gives a bonus
        clsKorvale machine(source);
        EXPECT_EQ(play(machine).result, c.result) << c.draw;
    }
}

// For every setting and mode: R is a REG, R + 1 and R + B are BIGs, R + B + 1 is nothing.
TEST(GameStepTest, DrawBoundariesForEverySettingAndMode) {
    const std::int32_t reg[] = {100, 108, 116, 126, 136, 137};
    const std::int32_t big[] = {223, 49528, 2355, 49528, 329, 114};
    for (std::int32_t setting = 0; setting < 6; ++setting) {
        for (std::int32_t mode = 0; mode < 6; ++mode) {
            const std::int32_t r = reg[setting];
            const std::int32_t b = big[mode];
            for (const auto& [draw, expected] :
                 {std::pair{r, "REG"}, {r + 1, "BIG"}, {r + b, "BIG"}, {r + b + 1, ""}}) {
                ScriptedRandomSource source;
                pushGameDraw(source, draw);
                source.push(0.5);
                clsKorvale machine(source);
                machine.mlngSettei = setting;
                machine.mMode = mode;
                EXPECT_EQ(play(machine).result, expected)
                    << "setting " << setting << " mode " << mode << " draw " << draw;
            }
        }
    }
}

TEST(GameStepTest, CeilingStartsAtTheFifteenHundredthGame) {
    for (const std::int32_t mode : {0, 1, 3, 5}) {
        // Game 1499 after the last BIG: the mode's own threshold.
        ScriptedRandomSource before;
        const std::int32_t modeThreshold = mode == 0 ? 223 : mode == 5 ? 114 : 49528;
        pushGameDraw(before, 100 + modeThreshold);
        before.push(0.5);
        clsKorvale machine(before);
        machine.mMode = mode;
        machine.mlngBigPlayCnt = 1498;
        EXPECT_EQ(play(machine).result, "BIG") << mode;

        // Game 1500: 1000 in every mode, lower than the threshold of modes 1 and 3.
        for (const auto& [draw, expected] : {std::pair{1100, "BIG"}, {1101, ""}}) {
            ScriptedRandomSource at;
            pushGameDraw(at, draw);
            at.push(0.5);
            clsKorvale ceiling(at);
            ceiling.mMode = mode;
            ceiling.mlngBigPlayCnt = 1499;
            EXPECT_EQ(play(ceiling).result, expected) << "mode " << mode << " draw " << draw;
        }
    }
}

// Every mode: its own threshold up to game 1499 after the last BIG, 1000 from game 1500 on, so
// the ceiling lowers mode 2's 2355 and raises mode 4's 329 as well. Draws above the REG
// threshold of setting index 0 (100).
TEST(GameStepTest, CeilingAppliesInEveryMode) {
    const std::array<std::int32_t, 6> own = {223, 49528, 2355, 49528, 329, 114};
    for (std::int32_t mode = 0; mode < 6; ++mode) {
        const std::int32_t threshold = own[static_cast<std::size_t>(mode)];
        for (const auto& [gamesBefore, limit] :
             {std::pair{1498, threshold}, std::pair{1499, 1000}, std::pair{3000, 1000}}) {
            for (const auto& [draw, expected] :
                 {std::pair{100 + limit, "BIG"}, std::pair{101 + limit, ""}}) {
                ScriptedRandomSource source;
                pushGameDraw(source, draw);
                source.push(0.5);
                clsKorvale machine(source);
                machine.mMode = mode;
                machine.mlngBigPlayCnt = gamesBefore;
                EXPECT_EQ(play(machine).result, expected)
                    << "mode " << mode << " game " << gamesBefore + 1 << " draw " << draw;
            }
        }
    }
}

TEST(GameStepTest, RegDoesNotRestartTheCeilingCount) {
    ScriptedRandomSource source;
    pushGameDraw(source, 50);        // REG on game 1499 since the BIG
    source.pushDraw(99994, 100002);  // mode 1 keeps mode 1
    pushGameDraw(source, 1101);      // game 1500: above the ceiling threshold of 1000
    clsKorvale machine(source);
    machine.mMode = 1;
    machine.mlngBigPlayCnt = 1498;
    EXPECT_EQ(play(machine).result, "REG");
    EXPECT_EQ(machine.mlngBigPlayCnt, 1499);
    EXPECT_EQ(play(machine).result, "");
    EXPECT_EQ(machine.mlngBigPlayCnt, 1500);
}

TEST(GameStepTest, GamesSinceBonusAreReportedOnBonusGamesOnly) {
    ScriptedRandomSource source;
    pushGameDraw(source, 50000);
    pushGameDraw(source, 50000);
    pushGameDraw(source, 50);        // REG after 3 games
    source.pushDraw(1, 100009);      // stays in mode 0
    pushGameDraw(source, 50);        // REG right after
    source.pushDraw(85007, 100009);  // mode 4
    pushGameDraw(source, 200);       // BIG in mode 4 (100 + 329)
    source.pushDraw(1, 100000);      // mode 1
    clsKorvale machine(source);
    EXPECT_EQ(play(machine).num, 0);
    EXPECT_EQ(play(machine).num, 0);
    EXPECT_EQ(play(machine).num, 3);
    EXPECT_EQ(play(machine).num, 1);
    const auto big = play(machine);
    EXPECT_EQ(big.result, "BIG");
    EXPECT_EQ(big.mode, 4);
    EXPECT_EQ(big.num, 1);
    EXPECT_EQ(machine.mOldMode, 4);
    EXPECT_EQ(machine.mMode, 1);
    EXPECT_EQ(machine.mlngRegCnt, 2);
    EXPECT_EQ(machine.mlngBigCnt, 1);
}

TEST(GameStepTest, SimautaIsZeroAfterEveryGameOfAValidSetting) {
    for (std::int32_t setting = 0; setting < 6; ++setting) {
        Xoshiro256PlusPlus generator(static_cast<std::uint64_t>(setting) + 11);
        std::int32_t bigsInMode0 = 0;
        for (int machineNumber = 0; machineNumber < 20; ++machineNumber) {
            clsKorvale machine(generator);
            machine.mlngSettei = setting;
            for (int game = 0; game < 2000; ++game) {
                const auto result = play(machine);
                ASSERT_EQ(result.simauta, 0);
                if (result.result == "BIG") {
                    ASSERT_EQ(machine.mlngReturn, result.mode == 0 ? 1 : 0);
                    bigsInMode0 += result.mode == 0;
                }
            }
        }
        EXPECT_GT(bigsInMode0, 0) << setting;
    }
}

TEST(GameStepTest, OutOfRangeSettingGivesNoRegAndKeepsTheMode) {
    ScriptedRandomSource source;
    pushGameDraw(source, 1);    // a REG under any valid setting; here a BIG (R = 0, B = 223)
    pushGameDraw(source, 223);  // BIG again
    pushGameDraw(source, 224);  // nothing
    clsKorvale machine(source);
    machine.mlngSettei = -1;
    const auto first = play(machine);
    EXPECT_EQ(first.result, "BIG");
    EXPECT_EQ(first.simauta, 1);
    EXPECT_EQ(machine.mlngReturn, 0);
    EXPECT_EQ(machine.mMode, 0);
    EXPECT_EQ(play(machine).simauta, 2);
    EXPECT_EQ(play(machine).result, "");
    EXPECT_EQ(machine.mlngRegCnt, 0);
    EXPECT_EQ(source.drawn(), 3u);  // no lottery was held
}

TEST(GameStepTest, ResetKeepsSixMembers) {
    ScriptedRandomSource source;
    clsKorvale machine(source);
    machine.mlngSettei = 4;
    machine.mMode = 3;
    machine.mOldMode = 2;
    machine.mlngRet = 77;
    machine.mlngPlayCnt = 10;
    machine.mlngBigPlayCnt = 11;
    machine.mlngBonusPlayCnt = 12;
    machine.mlngBigCnt = 13;
    machine.mlngRegCnt = 14;
    machine.mlngSimauta = 15;
    machine.mlngReturn = 16;
    machine.mstrReturn = "REG";
    machine.mlngRetNum = 17;
    machine.初期化();
    EXPECT_EQ(machine.mlngSettei, 0);
    EXPECT_EQ(machine.mMode, 0);
    EXPECT_EQ(machine.mlngPlayCnt, 0);
    EXPECT_EQ(machine.mlngBigPlayCnt, 0);
    EXPECT_EQ(machine.mlngBigCnt, 0);
    EXPECT_EQ(machine.mlngRegCnt, 0);
    EXPECT_EQ(machine.mlngSimauta, 0);
    EXPECT_EQ(machine.mOldMode, 2);
    EXPECT_EQ(machine.mlngRet, 77);
    EXPECT_EQ(machine.mlngBonusPlayCnt, 12);
    EXPECT_EQ(machine.mlngReturn, 16);
    EXPECT_EQ(machine.mstrReturn, "REG");
    EXPECT_EQ(machine.mlngRetNum, 17);
    EXPECT_EQ(machine.getゲットコイン(), 0);
}

TEST(GameStepOverflowTest, FullPlayCountStopsTheGameBeforeTheDraw) {
    ScriptedRandomSource source;
    clsKorvale machine(source);
    machine.mMode = 2;
    machine.mstrReturn = "BIG";
    machine.mlngRetNum = 9;
    machine.mlngPlayCnt = kMax;
    machine.mlngBigPlayCnt = 5;
    std::int32_t num = -1, mode = -1, simauta = -1;
    expectRuntimeError(StatusReason::Overflow, [&] { machine.Play(num, mode, simauta); });
    EXPECT_EQ(machine.mstrReturn, "");
    EXPECT_EQ(machine.mlngRetNum, 0);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(machine.mOldMode, 2);
    EXPECT_EQ(machine.mlngPlayCnt, kMax);
    EXPECT_EQ(machine.mlngBigPlayCnt, 5);
    EXPECT_EQ(num, -1);
    EXPECT_EQ(source.drawn(), 0u);
}

TEST(GameStepOverflowTest, StepsBeforeTheOverflowStayDone) {
    ScriptedRandomSource source;
    clsKorvale machine(source);
    machine.mlngBonusPlayCnt = kMax;
    std::int32_t num = 0, mode = 0, simauta = 0;
    expectRuntimeError(StatusReason::Overflow, [&] { machine.Play(num, mode, simauta); });
    EXPECT_EQ(machine.mlngPlayCnt, 1);
    EXPECT_EQ(machine.mlngBigPlayCnt, 1);
    EXPECT_EQ(machine.mlngBonusPlayCnt, kMax);
}

TEST(GameStepOverflowTest, FailingBonusCountChangesNothingElse) {
    ScriptedRandomSource source;
    pushGameDraw(source, 1);
    clsKorvale machine(source);
    machine.mlngRegCnt = kMax;
    std::int32_t num = 0, mode = 0, simauta = 0;
    expectRuntimeError(StatusReason::Overflow, [&] { machine.Play(num, mode, simauta); });
    EXPECT_EQ(machine.mstrReturn, "");
    EXPECT_EQ(machine.mlngBonusPlayCnt, 1);
    EXPECT_EQ(machine.mlngRetNum, 0);
    EXPECT_EQ(source.drawn(), 1u);  // no lottery

    ScriptedRandomSource bigSource;
    pushGameDraw(bigSource, 200);
    clsKorvale big(bigSource);
    big.mlngBigCnt = kMax;
    big.mlngBigPlayCnt = 40;
    expectRuntimeError(StatusReason::Overflow, [&] { big.Play(num, mode, simauta); });
    EXPECT_EQ(big.mlngBigPlayCnt, 41);
    EXPECT_EQ(big.mstrReturn, "");
    EXPECT_EQ(big.mlngSimauta, 0);
}

// Every game takes one fraction, and every bonus with a lottery one more.
TEST(GameStepTest, DrawsOneFractionPerGameAndOnePerLottery) {
    struct CountingSource final : RandomSource {
        Xoshiro256PlusPlus generator{31};
        std::size_t count = 0;
        double nextFraction() override {
            ++count;
            return generator.nextFraction();
        }
    };
    CountingSource source;
    clsKorvale machine(source);
    machine.mlngSettei = 2;
    std::int32_t bonuses = 0;
    for (int i = 0; i < 200000; ++i) {
        bonuses += !play(machine).result.empty();
    }
    EXPECT_GT(bonuses, 500);
    EXPECT_EQ(source.count, 200000u + static_cast<std::size_t>(bonuses));
}

// The generator's own 16-bit draw must give exactly floor(r * 65536) + 1 of the fraction the
// generic path would take: a machine on the generator and a machine on a wrapper that only
// offers fractions play the same games.
TEST(GameStepTest, GeneratorDrawMatchesTheFractionDraw) {
    struct FractionsOnly final : RandomSource {
        Xoshiro256PlusPlus generator{77};
        double nextFraction() override { return generator.nextFraction(); }
    };
    FractionsOnly wrapped;
    Xoshiro256PlusPlus direct(77);
    clsKorvale viaFractions(wrapped);
    clsKorvale viaGenerator(direct);
    viaFractions.mlngSettei = viaGenerator.mlngSettei = 4;
    for (int i = 0; i < 300000; ++i) {
        const auto a = play(viaFractions);
        const auto b = play(viaGenerator);
        ASSERT_EQ(a.result, b.result) << i;
        ASSERT_EQ(viaFractions.mlngRet, viaGenerator.mlngRet) << i;
        ASSERT_EQ(viaFractions.mMode, viaGenerator.mMode) << i;
    }
    EXPECT_EQ(viaFractions.mlngBigCnt, viaGenerator.mlngBigCnt);
    EXPECT_GT(viaGenerator.mlngBigCnt, 100);
}

}  // namespace
}  // namespace korvale
