#include "machine/coin_totals.h"
#include "tests/support/expect_runtime_error.h"

#include <gtest/gtest.h>

#include <random>

#include "common/number_text.h"
#include "machine/cls_korvale.h"

namespace korvale {
namespace {

// The machine's own figures for a set of counters.
struct MachineFigures {
    std::int32_t net;
    std::int32_t obtained;
    std::string rate;
};

MachineFigures machineFigures(std::int32_t setting, std::int32_t games, std::int32_t bigs,
                              std::int32_t regs) {
    clsKorvale machine;
    machine.mlngSettei = setting;
    machine.mlngPlayCnt = games;
    machine.mlngBigCnt = bigs;
    machine.mlngRegCnt = regs;
    MachineFigures figures{};
    figures.net = machine.get差枚(figures.rate, figures.obtained);
    return figures;
}

TEST(CoinTotalsTest, WorkedExamplesOfTheMachine) {
    const CoinTotals first = coinTotals(0, 1000, 3, 1);
    EXPECT_EQ(first.net, -313);
    EXPECT_EQ(first.obtained, 2687);
    EXPECT_EQ(formatHashDot00(payoutRate(first.obtained, 1000)), "89.57");
    const CoinTotals sixth = coinTotals(5, 1000, 3, 1);
    EXPECT_EQ(sixth.net, -272);
    EXPECT_EQ(sixth.obtained, 2728);
    EXPECT_EQ(coinTotals(3, 5000, 20, 8).net, 756);
    EXPECT_EQ(coinTotals(0, 1, 0, 0).net, -2);
}

// The float coefficient, not the decimal: 375 games of setting 1 cost 601, 500 of setting 6
// cost 781; the exact halves go to the even integer.
TEST(CoinTotalsTest, CostFollowsTheFloatCoefficientAndHalvesToEven) {
    EXPECT_EQ(costOfGames(0, 375), 601);
    EXPECT_EQ(costOfGames(5, 500), 781);
    EXPECT_EQ(costOfGames(0, 12582912), 20182990);
    EXPECT_EQ(costOfGames(5, 2097152), 3277848);
    EXPECT_EQ(costOfGames(-1, 375), 601);  // any index but 5 uses the 1.604 coefficient
    EXPECT_EQ(costOfGames(0, 0), 0);
}

TEST(CoinTotalsTest, AgreesWithGet差枚OverTheMachinesRange) {
    std::mt19937_64 random(99);
    for (int i = 0; i < 20000; ++i) {
        const auto setting = static_cast<std::int32_t>(random() % 6);
        // Game counts where get差枚 is exact and fits, with bonuses at up to about twice
        // their usual rates.
        const auto games = static_cast<std::int32_t>(1 + random() % 600'000'000);
        const auto bigs = static_cast<std::int32_t>(random() % (games / 250 + 1));
        const auto regs = static_cast<std::int32_t>(random() % (games / 400 + 1));
        const MachineFigures expected = machineFigures(setting, games, bigs, regs);
        const CoinTotals totals = coinTotals(setting, games, bigs, regs);
        ASSERT_EQ(totals.net, expected.net) << setting << " " << games;
        ASSERT_EQ(totals.obtained, expected.obtained);
        ASSERT_EQ(formatHashDot00(payoutRate(totals.obtained, games)), expected.rate);
    }
}

// Past 2^32 games: whole multiples of 2^23 games cost exactly m per 2^23, where c = m / 2^23,
// and the halfway case stays halfway, going to the even integer.
TEST(CoinTotalsTest, CostStaysExactPastThirtyTwoBits) {
    const std::int64_t m1 = 13455327;  // 1.604f × 2^23 (odd)
    const std::int64_t m6 = 13111394;  // 1.563f × 2^23 (even)
    const std::int64_t block = std::int64_t{1} << 23;
    EXPECT_EQ(costOfGames(0, block * 5000), m1 * 5000);
    EXPECT_EQ(costOfGames(5, block * 5000), m6 * 5000);
    // m1 × 1000 + 20182990.5: the whole part is even, so it stays.
    EXPECT_EQ(costOfGames(0, block * 1000 + 12582912), m1 * 1000 + 20182990);
    // m1 × 1001 + 20182990.5: the whole part is odd, so it goes up.
    EXPECT_EQ(costOfGames(0, block * 1001 + 12582912), m1 * 1001 + 20182991);
    EXPECT_EQ(costOfGames(5, block * 1001 + 2097152), m6 * 1001 + 3277848);

    const std::int64_t games = 10'000'000'000;
    const CoinTotals totals = coinTotals(0, games, 34'000'000, 15'000'000);
    EXPECT_EQ(totals.net, 34'000'000LL * 388 + 15'000'000LL * 127 - costOfGames(0, games));
    EXPECT_EQ(totals.obtained, 3 * games + totals.net);
}

TEST(CoinTotalsTest, OutOfRangeIsAnOverflowAndNoGamesHaveNoRate) {
    const auto expectError = [](auto call, StatusReason kind) {
        testing::expectRuntimeError(kind, call);
    };
    expectError([] { costOfGames(0, -1); }, StatusReason::Overflow);
    expectError([] { costOfGames(0, INT64_MAX); }, StatusReason::Overflow);
    expectError([] { coinTotals(0, 10, INT64_MAX / 100, 0); }, StatusReason::Overflow);
    expectError([] { payoutRate(0, 0); }, StatusReason::InvalidOperation);
}

}  // namespace
}  // namespace korvale
