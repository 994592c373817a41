#pragma once

// The machine's coin accounting for 64-bit totals: the same rule as clsKorvale::get差枚 (3
// coins in per game, 388 out per BIG, 127 per REG, a cost of c × games taken to the nearest
// integer, halves to even), for game and bonus counts beyond the machine's 32-bit counters.
//
// The cost is worked out exactly: c is a float in [1, 2), so c = m / 2^23 with a whole m, and
// c × games is split into a whole part and a remainder out of 2^23. get差枚 forms the same
// product in double precision, which is exact as long as m × games stays below 2^53 (about
// 670 million games), so both agree wherever get差枚 itself is exact.

#include <cstdint>

#include "common/checked_arithmetic.h"
#include "machine/korvale_tables.h"

namespace korvale {

struct CoinTotals {
    std::int64_t net = 0;       // coins paid out less coins put in (差枚)
    std::int64_t obtained = 0;  // coins paid out in all (獲得)
};

// The coefficient c of a setting as the whole number m = c × 2^23.
inline std::int64_t costCoefficientScaled(std::int32_t setting) {
    return static_cast<std::int64_t>(static_cast<double>(costCoefficient(setting)) * 0x1.0p23);
}

// c × games to the nearest integer, halves to even. Overflow for a negative count or one so
// large that the cost leaves the 64-bit range.
inline std::int64_t costOfGames(std::int32_t setting, std::int64_t games) {
    if (games < 0) [[unlikely]] {
        throwError(ErrorKind::Overflow);
    }
    constexpr std::int64_t fractionBits = 23;
    constexpr std::int64_t fractionMask = (std::int64_t{1} << fractionBits) - 1;
    constexpr std::int64_t half = std::int64_t{1} << (fractionBits - 1);
    const std::int64_t m = costCoefficientScaled(setting);
    // games = high × 2^23 + low, so c × games = m × high + m × low / 2^23.
    const std::int64_t high = games >> fractionBits;
    const std::int64_t low = games & fractionMask;
    std::int64_t whole = 0;
    if (__builtin_mul_overflow(m, high, &whole)) [[unlikely]] {
        throwError(ErrorKind::Overflow);
    }
    const std::int64_t lowProduct = m * low;  // below 2^24 × 2^23
    whole += lowProduct >> fractionBits;
    const std::int64_t remainder = lowProduct & fractionMask;
    if (remainder > half || (remainder == half && whole % 2 != 0)) {
        ++whole;
    }
    return whole;
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
        throwError(ErrorKind::Overflow);
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
