#include <gtest/gtest.h>

#include "machine/cls_korvale.h"
#include "machine_test_support.h"

namespace korvale {
namespace {

using testing::expectRuntimeError;

struct Counters {
    std::int32_t setting;
    std::int32_t games;
    std::int32_t bigs;
    std::int32_t regs;
};

struct CoinFigures {
    std::int32_t net;
    std::int32_t obtained;
    std::string rate;
};

CoinFigures coinsOf(const Counters& counters) {
    ScriptedRandomSource source;
    clsKorvale machine(source);
    machine.mlngSettei = counters.setting;
    machine.mlngPlayCnt = counters.games;
    machine.mlngBigCnt = counters.bigs;
    machine.mlngRegCnt = counters.regs;
    CoinFigures figures;
    figures.net = machine.get差枚(figures.rate, figures.obtained);
    return figures;
}

TEST(CoinAccountingTest, WorkedExamples) {
    struct Case {
        Counters counters;
        std::int32_t net;
        std::int32_t obtained;
        const char* rate;
    };
    for (const Case& c : {
             Case{{0, 1000, 3, 1}, -313, 2687, "89.57"},
             Case{{5, 1000, 3, 1}, -272, 2728, "90.93"},
             Case{{0, 1, 0, 0}, -2, 1, "33.33"},
             Case{{5, 1, 0, 0}, -2, 1, "33.33"},
             Case{{0, 2, 0, 0}, -3, 3, "50.00"},
             Case{{0, 300, 1, 0}, -93, 807, "89.67"},
             Case{{3, 5000, 20, 8}, 756, 15756, "105.04"},
         }) {
        const CoinFigures figures = coinsOf(c.counters);
        EXPECT_EQ(figures.net, c.net) << c.counters.setting << "/" << c.counters.games;
        EXPECT_EQ(figures.obtained, c.obtained) << c.counters.games;
        EXPECT_EQ(figures.rate, c.rate) << c.counters.games;
    }
}

TEST(CoinAccountingTest, HalfwayCostsGoToTheEvenCoin) {
    EXPECT_EQ(coinsOf({0, 12582912, 0, 0}).net, -20182990);
    EXPECT_EQ(coinsOf({5, 2097152, 0, 0}).net, -3277848);
}

// The coefficient is the single-precision value; exact decimals would round the other way.
TEST(CoinAccountingTest, SinglePrecisionCoefficientDecidesNearHalves) {
    EXPECT_EQ(coinsOf({0, 375, 0, 0}).net, -601);
    EXPECT_EQ(coinsOf({5, 500, 0, 0}).net, -781);
}

TEST(CoinAccountingTest, EverySettingButTheSixthCostsTheSame) {
    for (const std::int32_t setting : {-1, 0, 1, 2, 3, 4, 6, 100}) {
        EXPECT_EQ(coinsOf({setting, 375, 0, 0}).net, -601) << setting;
    }
    EXPECT_EQ(coinsOf({5, 375, 0, 0}).net, -586);  // 586.12...
}

TEST(CoinAccountingTest, ChangesNoMember) {
    ScriptedRandomSource source;
    clsKorvale machine(source);
    machine.mlngPlayCnt = 1000;
    machine.mlngBigCnt = 3;
    machine.mlngRet = 5;
    std::string rate;
    std::int32_t obtained = 0;
    machine.get差枚(rate, obtained);
    EXPECT_EQ(machine.mlngPlayCnt, 1000);
    EXPECT_EQ(machine.mlngBigCnt, 3);
    EXPECT_EQ(machine.mlngRet, 5);
}

TEST(CoinAccountingOverflowTest, EachProductOverflowsAtItsLimit) {
    // The last counts that fit, then one more. 715827882 games cost 1148187903 coins
    // (1.60399997234... x 715827882 = 1148187902.99...).
    EXPECT_EQ(coinsOf({0, 715827882, 0, 0}).obtained, 2147483646 - 1148187903);
    EXPECT_EQ(coinsOf({0, 1, 5534751, 0}).net, 2147483388 - 2);
    EXPECT_EQ(coinsOf({0, 1, 0, 16909320}).net, 2147483640 - 2);
    expectRuntimeError(StatusReason::Overflow, [] { coinsOf({0, 715827883, 0, 0}); });
    expectRuntimeError(StatusReason::Overflow, [] { coinsOf({0, 1, 5534752, 0}); });
    expectRuntimeError(StatusReason::Overflow, [] { coinsOf({0, 1, 0, 16909321}); });
    expectRuntimeError(StatusReason::Overflow, [] { coinsOf({0, 1, 5534751, 16909320}); });
    // Coins obtained, 3 x games + net, can overflow on its own.
    expectRuntimeError(StatusReason::Overflow, [] { coinsOf({0, 10, 0, 16909320}); });
}

TEST(CoinAccountingOverflowTest, FailureLeavesRateTextAndMayLeaveBonusCoins) {
    ScriptedRandomSource source;
    clsKorvale machine(source);
    machine.mlngPlayCnt = 715827883;
    machine.mlngBigCnt = 2;
    std::string rate = "unchanged";
    std::int32_t obtained = 0;
    expectRuntimeError(StatusReason::Overflow, [&] { machine.get差枚(rate, obtained); });
    EXPECT_EQ(rate, "unchanged");
    EXPECT_EQ(obtained, 776);
}

TEST(CoinAccountingOverflowTest, NoGamesIsAnArithmeticError) {
    expectRuntimeError(StatusReason::InvalidOperation, [] { coinsOf({0, 0, 0, 0}); });
    expectRuntimeError(StatusReason::DivisionByZero, [] { coinsOf({0, 0, 1, 0}); });
}

}  // namespace
}  // namespace korvale
