#pragma once

// The machine's coin accounting, one rule for clsKorvale::get差枚 (32-bit counters) and for the
// 64-bit totals of the batch program: 3 coins in per game, 388 out per BIG, 127 per REG, and a
// cost of c × games, the product formed in double precision (c is a float, widened) and taken to
// the nearest integer, halves to even.
//
// The product is exact while m × games stays below 2^53, where c = m / 2^23; past that (from
// about 670 million games) it is the double nearest to c × games, which now and then rounds to
// another coin than the exact product would. The machine has always counted that way, so the
// totals do too.

#include <algorithm>
#include <cstdint>

#include "common/checked_arithmetic.h"
#include "machine/korvale_tables.h"

namespace korvale {

struct CoinTotals {
    std::int64_t net = 0;       // coins paid out less coins put in (差枚)
    std::int64_t obtained = 0;  // coins paid out in all (獲得)
};

// c × games in double precision, to the nearest integer, halves to even: the cost rule itself,
// for any count (get差枚 takes it for whatever its counter holds).
inline double roundedCost(std::int32_t setting, double games) {
    return roundHalfEven(static_cast<double>(costCoefficient(setting)) * games);
}

// The cost of `games` games. Overflow for a negative count or a cost beyond the 64-bit range.
inline std::int64_t costOfGames(std::int32_t setting, std::int64_t games) {
    if (games < 0) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    const double cost = roundedCost(setting, static_cast<double>(games));
    if (!(cost < 0x1.0p63)) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    return static_cast<std::int64_t>(cost);
}

// The last game count up to which get差枚 cannot fail on a machine with these bonus counts: all
// its steps fit 32 bits for every count from 1 to the one returned (0 when some step fails at
// any count). A bound, not the exact limit: past it get差枚 itself decides.
inline std::int32_t coinFiguresSafeThrough(std::int32_t bigs, std::int32_t regs) {
    constexpr std::int64_t largest = 2147483647;
    if (bigs < 0 || regs < 0 || bigs > largest / coinsPerBig || regs > largest / coinsPerReg) {
        return 0;
    }
    const std::int64_t bonusCoins =
        std::int64_t{bigs} * coinsPerBig + std::int64_t{regs} * coinsPerReg;
    if (bonusCoins > largest) {
        return 0;
    }
    // 3 × games must fit; the cost (below 1.61 × games) and the net coins then fit too. The
    // coins obtained, 3 × games + bonus coins - cost, grow by less than 1.4375 a game, as c is
    // above 1.5625 (with the cost's rounding, by at most one coin more in all).
    const std::int64_t byCoinsIn = largest / coinsInPerGame;
    const auto byObtained =
        static_cast<std::int64_t>(static_cast<double>(largest - 1 - bonusCoins) / 1.4375);
    return static_cast<std::int32_t>(std::min(byCoinsIn, byObtained));
}

// Net coins and coins paid out after `games` games with `bigs` BIGs and `regs` REGs.
inline CoinTotals coinTotals(std::int32_t setting, std::int64_t games, std::int64_t bigs,
                             std::int64_t regs) {
    std::int64_t bigCoins = 0;
    std::int64_t regCoins = 0;
    std::int64_t bonusCoins = 0;
    std::int64_t coinsIn = 0;
    CoinTotals totals;
    if (__builtin_mul_overflow(bigs, std::int64_t{coinsPerBig}, &bigCoins) ||
        __builtin_mul_overflow(regs, std::int64_t{coinsPerReg}, &regCoins) ||
        __builtin_add_overflow(bigCoins, regCoins, &bonusCoins) ||
        __builtin_sub_overflow(bonusCoins, costOfGames(setting, games), &totals.net) ||
        __builtin_mul_overflow(games, std::int64_t{coinsInPerGame}, &coinsIn) ||
        __builtin_add_overflow(coinsIn, totals.net, &totals.obtained)) [[unlikely]] {
        throwError(StatusReason::Overflow);
    }
    return totals;
}

// The payout rate in percent: coins paid out × 100 / coins put in. Needs at least one game (0
// games is InvalidOperation, as for get差枚).
inline double payoutRate(std::int64_t obtained, std::int64_t games) {
    return checkedQuotient(static_cast<double>(obtained) * 100.0,
                           static_cast<double>(games) * coinsInPerGame);
}

}  // namespace korvale
