// One cost rule for the machine's get差枚 and the 64-bit totals (costOfGames), checked against
// an independent model in integers: with c = m / 2^23, the double product c × P is m × P
// rounded to 53 significant bits (halves to even), and the cost is that taken to the nearest
// whole coin (halves to even). The counts where the 53-bit rounding moves the cost off the
// exact product's are searched for over the whole 32-bit range.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/status.h"
#include "machine/cls_korvale.h"
#include "machine/coin_totals.h"

namespace korvale {
namespace {

// c × 2^23 of the two coefficients, worked out by hand from the floats nearest 1.604 and 1.563.
constexpr std::uint64_t m1 = 13455327;  // settings 1 to 5
constexpr std::uint64_t m6 = 13111394;  // 設定６

// x to the nearest multiple of 2^shift, halves to the even multiple.
std::uint64_t roundToMultiple(std::uint64_t x, int shift) {
    if (shift <= 0) {
        return x;
    }
    const std::uint64_t unit = std::uint64_t{1} << shift;
    const std::uint64_t rest = x & (unit - 1);
    std::uint64_t base = x - rest;
    if (rest > unit / 2 || (rest == unit / 2 && ((base >> shift) & 1) != 0)) {
        base += unit;
    }
    return base;
}

int bitLength(std::uint64_t x) {
    return x == 0 ? 0 : 64 - __builtin_clzll(x);
}

// The cost from the exact product, and from the product held in a double.
std::uint64_t exactCost(std::uint64_t m, std::uint64_t games) {
    return roundToMultiple(m * games, 23) >> 23;
}
std::uint64_t doubleCost(std::uint64_t m, std::uint64_t games) {
    const std::uint64_t product = m * games;
    return roundToMultiple(roundToMultiple(product, bitLength(product) - 53), 23) >> 23;
}

std::int32_t machineNet(std::int32_t setting, std::int32_t games) {
    clsKorvale machine;
    machine.mlngSettei = setting;
    machine.mlngPlayCnt = games;
    std::string rate;
    std::int32_t obtained = 0;
    return machine.get差枚(rate, obtained);
}

// Every count below 2^31 whose costs differ. They differ only where m × P lies within two units
// of a half coin (2^22 out of 2^23) and only once the product needs more than 53 bits, so the
// search solves m × P ≡ r (mod 2^23) for r within two of 2^22: with m = 2^k × odd, P ≡
// (r / 2^k) × odd^-1 (mod 2^(23 - k)), a class every 2^(23 - k) counts.
std::set<std::uint64_t> countsWhereDoubleRoundingBites(std::uint64_t m) {
    int k = 0;
    while (((m >> k) & 1) == 0) {
        ++k;
    }
    const std::uint64_t odd = m >> k;
    const std::uint64_t modulus = std::uint64_t{1} << (23 - k);
    std::uint64_t inverse = 1;  // Newton's iteration for the inverse of an odd number mod 2^64
    for (int i = 0; i < 6; ++i) {
        inverse *= 2 - odd * inverse;
    }
    std::set<std::uint64_t> counts;
    for (std::uint64_t r = (1u << 22) - 2; r <= (1u << 22) + 2; ++r) {
        if (r % (std::uint64_t{1} << k) != 0) {
            continue;
        }
        const std::uint64_t first = ((r >> k) * inverse) & (modulus - 1);
        for (std::uint64_t games = first; games < (std::uint64_t{1} << 31); games += modulus) {
            if (doubleCost(m, games) != exactCost(m, games)) {
                counts.insert(games);
            }
        }
    }
    return counts;
}

TEST(CostRuleTest, TheSearchFindsEveryCountInABruteForceStretch) {
    // Around the count the review met (setting index 0, 678,898,719 games).
    std::set<std::uint64_t> bruteForce;
    for (std::uint64_t games = 670'000'000; games < 690'000'000; ++games) {
        if (doubleCost(m1, games) != exactCost(m1, games)) {
            bruteForce.insert(games);
        }
    }
    const std::set<std::uint64_t> found = countsWhereDoubleRoundingBites(m1);
    std::set<std::uint64_t> foundInStretch(found.lower_bound(670'000'000),
                                           found.lower_bound(690'000'000));
    EXPECT_EQ(foundInStretch, bruteForce);
    EXPECT_TRUE(bruteForce.count(678'898'719));
}

TEST(CostRuleTest, MachineAndTotalsAgreeWhereDoubleRoundingBites) {
    constexpr std::int64_t machineLimit = 715'827'882;  // 3 × P fits 32 bits up to here
    // The review found six such counts for settings 1 to 5 within the machine's range; for 設定６
    // the product needs 53 bits only past it.
    for (const auto& [setting, m, expectedInRange] :
         {std::tuple<std::int32_t, std::uint64_t, int>{0, m1, 6}, {5, m6, 0}}) {
        const std::set<std::uint64_t> counts = countsWhereDoubleRoundingBites(m);
        EXPECT_GT(counts.size(), 10u) << setting;
        int belowMachineLimit = 0;
        for (const std::uint64_t games : counts) {
            const auto cost = static_cast<std::int64_t>(doubleCost(m, games));
            ASSERT_EQ(costOfGames(setting, static_cast<std::int64_t>(games)), cost) << games;
            if (static_cast<std::int64_t>(games) <= machineLimit) {
                ++belowMachineLimit;
                EXPECT_EQ(machineNet(setting, static_cast<std::int32_t>(games)), -cost) << games;
            }
        }
        EXPECT_EQ(belowMachineLimit, expectedInRange) << setting;
    }
    // The review's example: 2,000,000 BIGs pay 776,000,000 coins; the double product
    // 1,088,953,526.4999... is 1,088,953,526.5 exactly, a half that goes to the even coin.
    EXPECT_EQ(coinTotals(0, 678'898'719, 2'000'000, 0).net, -312'953'526);
}

TEST(CostRuleTest, MachineAndTotalsAgreeAcrossTheWholeRange) {
    for (const auto& [setting, m] : {std::pair<std::int32_t, std::uint64_t>{2, m1}, {5, m6}}) {
        // A stride that is prime to 2^23 visits every residue class of the fraction.
        for (std::uint64_t games = 0; games < (std::uint64_t{1} << 31); games += 104'729) {
            const auto cost = static_cast<std::int64_t>(doubleCost(m, games));
            ASSERT_EQ(costOfGames(setting, static_cast<std::int64_t>(games)), cost) << games;
            if (games >= 1 && games <= 715'827'882) {
                ASSERT_EQ(machineNet(setting, static_cast<std::int32_t>(games)), -cost) << games;
            }
        }
    }
}

// Whether get差枚 works on these counters.
bool coinFiguresWork(std::int32_t setting, std::int32_t games, std::int32_t bigs,
                     std::int32_t regs) {
    clsKorvale machine;
    machine.mlngSettei = setting;
    machine.mlngPlayCnt = games;
    machine.mlngBigCnt = bigs;
    machine.mlngRegCnt = regs;
    std::string rate;
    std::int32_t obtained = 0;
    try {
        machine.get差枚(rate, obtained);
        return true;
    } catch (const StatusError&) {
        return false;
    }
}

// The bound up to which the window may leave get差枚 for later: get差枚 works at every count up to
// it (it can only fail past a count once it fails there) and the bound gives away little.
TEST(CostRuleTest, CoinFiguresAreSafeThroughTheBound) {
    struct Case {
        std::int32_t bigs;
        std::int32_t regs;
        std::int32_t bound;  // 0: fails at any count; -1: worked out below
    };
    for (const Case& c : {Case{0, 0, 715'827'882}, Case{5'534'752, 0, 0}, Case{0, 16'909'321, 0},
                          Case{5'534'751, 16'909'320, 0}, Case{-1, 0, 0}, Case{5'534'751, 0, -1},
                          Case{2'000'000, 3'000'000, -1}, Case{100'000, 40'000, -1}}) {
        const std::int32_t bound = coinFiguresSafeThrough(c.bigs, c.regs);
        if (c.bound >= 0) {
            EXPECT_EQ(bound, c.bound) << c.bigs << " " << c.regs;
            continue;
        }
        for (const std::int32_t setting : {0, 5}) {
            EXPECT_TRUE(coinFiguresWork(setting, 1, c.bigs, c.regs));
            EXPECT_TRUE(coinFiguresWork(setting, bound, c.bigs, c.regs)) << c.bigs;
            // The first count that fails, by bisection.
            std::int32_t works = bound;
            std::int32_t fails = 715'827'883;
            while (fails - works > 1) {
                const std::int32_t middle = works + (fails - works) / 2;
                (coinFiguresWork(setting, middle, c.bigs, c.regs) ? works : fails) = middle;
            }
            EXPECT_GE(bound, works - works / 20 - 2) << c.bigs << " " << setting;
        }
    }
}

}  // namespace
}  // namespace korvale
