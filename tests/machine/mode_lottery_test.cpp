#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "machine/cls_korvale.h"
#include "machine/korvale_tables.h"
#include "machine_test_support.h"

namespace korvale {
namespace {

using testing::play;
using testing::pushGameDraw;

// Plays one bonus game from `mode` with the lottery draw `lotteryDraw` out of `total`, and
// returns the machine afterwards.
clsKorvale bonusWithLottery(ScriptedRandomSource& source, bool big, std::int32_t setting,
                            std::int32_t mode, std::int32_t lotteryDraw, std::int32_t total) {
    pushGameDraw(source, big ? regThreshold(setting) + 1 : 1);
    source.pushDraw(lotteryDraw, total);
    clsKorvale machine(source);
    machine.mlngSettei = setting;
    machine.mMode = mode;
    EXPECT_EQ(play(machine).result, big ? "BIG" : "REG");
    return machine;
}

struct LotteryCase {
    std::int32_t draw;
    std::int32_t mode;
    std::int32_t remainder;  // mlngRet after the lottery
};

TEST(ModeLotteryTest, RegRowOfMode2) {
    for (const LotteryCase c : {LotteryCase{1, 1, 1},
                                {25000, 1, 25000},
                                {25001, 2, 1},
                                {74997, 2, 49997},
                                {74998, 3, 1},
                                {99997, 3, 25000},
                                {99998, 4, 1},
                                {99999, 4, 2},
                                {100000, 5, 1},
                                {100001, 5, 2}}) {
        ScriptedRandomSource source;
        const clsKorvale machine = bonusWithLottery(source, false, 0, 2, c.draw, 100001);
        EXPECT_EQ(machine.mMode, c.mode) << c.draw;
        EXPECT_EQ(machine.mlngRet, c.remainder) << c.draw;
    }
}

TEST(ModeLotteryTest, RegRowOfMode0ForAnEvenSetting) {
    for (const LotteryCase c : {LotteryCase{1, 0, 1},
                                {79994, 0, 79994},
                                {79995, 1, 1},
                                {79996, 1, 2},
                                {79997, 2, 1},
                                {84996, 2, 5000},
                                {84997, 3, 1},
                                {85006, 3, 10},
                                {85007, 4, 1},
                                {100007, 4, 15001},
                                {100008, 5, 1},
                                {100009, 5, 2}}) {
        for (const std::int32_t setting : {0, 2, 4}) {
            ScriptedRandomSource source;
            const clsKorvale machine = bonusWithLottery(source, false, setting, 0, c.draw, 100009);
            EXPECT_EQ(machine.mMode, c.mode) << c.draw;
            EXPECT_EQ(machine.mlngRet, c.remainder) << c.draw;
        }
    }
}

TEST(ModeLotteryTest, RegRowOfMode0ForAnOddSetting) {
    // 79993 stays in mode 0; mode 3 has 2 (not 10) and mode 4 has 15002.
    for (const LotteryCase c : {LotteryCase{79993, 0, 79993},
                                {79994, 1, 1},
                                {84996, 3, 1},
                                {84997, 3, 2},
                                {84998, 4, 1},
                                {99999, 4, 15002},
                                {100000, 5, 1}}) {
        for (const std::int32_t setting : {1, 3, 5}) {
            ScriptedRandomSource source;
            const clsKorvale machine = bonusWithLottery(source, false, setting, 0, c.draw, 100001);
            EXPECT_EQ(machine.mMode, c.mode) << c.draw;
            EXPECT_EQ(machine.mlngRet, c.remainder) << c.draw;
        }
    }
}

TEST(ModeLotteryTest, BigRowOfSetting5Mode5) {
    for (const LotteryCase c : {LotteryCase{1, 1, 1},
                                {5, 1, 5},
                                {6, 2, 1},
                                {15006, 2, 15001},
                                {15007, 3, 1},
                                {25007, 3, 10001},
                                {25008, 4, 1},
                                {40008, 4, 15001},
                                {40009, 5, 1},
                                {95005, 5, 54997}}) {
        ScriptedRandomSource source;
        const clsKorvale machine = bonusWithLottery(source, true, 4, 5, c.draw, 95005);
        EXPECT_EQ(machine.mMode, c.mode) << c.draw;
        EXPECT_EQ(machine.mlngRet, c.remainder) << c.draw;
    }
}

// The sums as the machine's documentation prints them, typed in separately from the rows, so
// a transcription error in a row shows up as a wrong sum.
TEST(WeightTableTest, EveryRowAddsUpToItsPrintedSum) {
    auto sum = [](const WeightRow& row) { return std::accumulate(row.begin(), row.end(), 0); };
    EXPECT_EQ(sum(regWeightsMode0EvenSetting), 100009);
    EXPECT_EQ(sum(regWeightsMode0OddSetting), 100001);
    const std::int32_t regSums[] = {0, 100002, 100001, 100002, 100001, 100000};
    for (int mode = 1; mode < 6; ++mode) {
        EXPECT_EQ(sum(regWeightsByMode[mode]), regSums[mode]) << mode;
    }
    const std::int32_t bigSums[6][6] = {
        {100001, 100001, 100000, 100000, 100000, 100001},
        {100001, 100001, 100000, 100000, 100000, 100001},
        {100001, 100001, 100000, 100001, 100000, 100001},
        {100000, 100001, 100000, 100001, 100000, 100000},
        {100000, 100001, 100000, 100001, 100000, 95005},
        {100001, 125000, 100001, 100000, 100000, 100000},
    };
    for (int setting = 0; setting < 6; ++setting) {
        for (int mode = 0; mode < 6; ++mode) {
            EXPECT_EQ(sum(bigWeights[setting][mode]), bigSums[setting][mode])
                << "setting " << setting << " mode " << mode;
            EXPECT_EQ(bigWeights[setting][mode][0], 0) << "a BIG never leads to mode 0";
        }
    }
}

TEST(WeightTableTest, RowsThatLookAlikeDifferWhereTheyShould) {
    for (int setting = 0; setting < 4; ++setting) {
        EXPECT_EQ(bigWeights[setting][0], bigWeights[setting][5]) << setting;
    }
    EXPECT_EQ(bigWeights[4][5][1], 5);
    EXPECT_EQ(bigWeights[4][5][4], 15001);
    EXPECT_EQ(bigWeights[5][0][4], 50001);
    EXPECT_EQ(bigWeights[5][5][4], 50000);
    for (int setting = 1; setting < 5; ++setting) {
        EXPECT_EQ(bigWeights[setting][1], bigWeights[0][1]) << setting;
    }
    EXPECT_NE(bigWeights[5][1], bigWeights[0][1]);
}

TEST(ModeLotteryTest, OutOfRangeSettingHoldsNoBigLottery) {
    for (const std::int32_t mode : {0, 4}) {
        ScriptedRandomSource source;
        pushGameDraw(source, 1);  // a BIG: setting 7 has no REG threshold
        clsKorvale machine(source);
        machine.mlngSettei = 6;
        machine.mMode = mode;
        EXPECT_EQ(play(machine).result, "BIG");
        EXPECT_EQ(machine.mMode, mode);
        EXPECT_EQ(source.remaining(), 0u);
    }
}

TEST(ModeLotteryTest, OutOfRangeModeHoldsNoRegLottery) {
    ScriptedRandomSource source;
    pushGameDraw(source, 1);
    clsKorvale machine(source);
    machine.mMode = 9;
    EXPECT_EQ(play(machine).result, "REG");
    EXPECT_EQ(machine.mMode, 9);
    EXPECT_EQ(machine.mlngRegCnt, 1);
    EXPECT_EQ(source.remaining(), 0u);
}

TEST(ModeLotteryTest, SimautaIsHandedOverAtABigInMode0) {
    ScriptedRandomSource source;
    pushGameDraw(source, 101);   // BIG in mode 0
    source.pushDraw(1, 100001);  // to mode 1
    pushGameDraw(source, 101);   // BIG in mode 1
    source.pushDraw(1, 100001);  // stays in mode 1
    clsKorvale machine(source);
    const auto first = play(machine);
    EXPECT_EQ(first.simauta, 0);
    EXPECT_EQ(machine.mlngReturn, 1);
    play(machine);
    EXPECT_EQ(machine.mlngReturn, 0);
    EXPECT_EQ(machine.mlngSimauta, 0);
}

// A chi-square test of the lottery against one row's weights: every game is forced to a BIG in
// mode 1 of setting 6 (row 0, 25000, 25000, 2, 50000, 24998; sum 125000), and the lottery draws
// from a seeded generator.
TEST(ModeLotteryTest, LotteryFollowsTheRowWeights) {
    struct ForcedBigSource final : RandomSource {
        Xoshiro256PlusPlus generator{2026};
        bool gameDraw = true;
        double nextFraction() override {
            const bool forGame = gameDraw;
            gameDraw = !gameDraw;
            return forGame ? ScriptedRandomSource::fractionFor(138, drawRange)
                           : generator.nextFraction();
        }
    };
    ForcedBigSource source;
    clsKorvale machine(source);
    machine.mlngSettei = 5;
    constexpr int kLotteries = 250000;
    std::array<int, 6> counts{};
    for (int i = 0; i < kLotteries; ++i) {
        machine.mMode = 1;
        ASSERT_EQ(play(machine).result, "BIG");
        ++counts[static_cast<std::size_t>(machine.mMode)];
    }
    const WeightRow& row = bigWeights[5][1];
    EXPECT_EQ(counts[0], 0);
    double chiSquare = 0.0;
    for (std::size_t mode = 1; mode < 6; ++mode) {
        const double expected = kLotteries * static_cast<double>(row[mode]) / 125000.0;
        chiSquare += (counts[mode] - expected) * (counts[mode] - expected) / expected;
    }
    // 4 degrees of freedom: the 0.1% critical value is 18.47.
    EXPECT_LT(chiSquare, 18.47);
    EXPECT_GT(counts[3], 0);  // weight 2 out of 125000: about 4 draws
}

}  // namespace
}  // namespace korvale
