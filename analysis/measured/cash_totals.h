#pragma once

// What the attempts of a run are worth in yen at the hall's rates, with the sums behind the 95%
// intervals: from stored coins the net exchanged, from cash the lots bought down to each
// attempt's deepest point and the coins left exchanged at its end.

#include <cstdint>

#include "analysis/hall/hall_rates.h"
#include "analysis/measured/ratio_statistics.h"
#include "analysis/measured/value_tally.h"

namespace korvale {

struct CashTotals {
    HallRates rates;
    Tally deepestLaw;            // D, how deep each attempt's net went below 0
    RatioSums yenPerAttempt;     // x = 1, y = the attempt's yen at `rates`
    RatioSums yenPerGame;        // x = games, y = yen
    RatioSums cashInPerAttempt;  // x = 1, y = ¥1000 × lots bought (from cash)
    RatioSums lotsPerAttempt;    // x = 1, y = lots bought

    // Books one finished attempt of `games` games, `net` coins, its net at least -deepest.
    void add(std::int64_t games, std::int64_t net, std::int64_t deepest);
    // Adds the attempts of `other`, booked at the same rates.
    void merge(const CashTotals& other);
};

}  // namespace korvale
