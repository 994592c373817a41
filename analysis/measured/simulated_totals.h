#pragma once

// What a simulated run counted, with the sums behind its 95% intervals. The batch program and
// the window's analysis both fill these; the report model turns them into measured figures.

#include <array>
#include <cstdint>

#include "analysis/measured/cash_totals.h"
#include "analysis/measured/ratio_statistics.h"
#include "analysis/measured/value_tally.h"
#include "machine/korvale_tables.h"

namespace korvale {

// Counts of a stretch of a machine played without end: games, bonuses, and per mode (the mode
// in force when the game began) the games and the BIGs.
struct NormalTotals {
    std::int64_t games = 0;
    std::int64_t bigs = 0;
    std::int64_t regs = 0;
    std::array<std::int64_t, modeCount> modeGames{};
    std::array<std::int64_t, modeCount> modeBigs{};

    NormalTotals& operator+=(const NormalTotals& other);
    NormalTotals& operator-=(const NormalTotals& other);
    bool operator==(const NormalTotals&) const = default;
};

// Totals over finished attempts, with per attempt the sums of each ratio: the payout rate
// (x = 3 × games, y = 100 × coins paid out), the BIG, REG and bonus odds (x = BIGs, REGs or
// both, y = games), net coins per 1000 games (x = games, y = 1000 × net) and the averages per
// attempt (x = 1).
struct AttemptTotals {
    std::int64_t attempts = 0;
    std::int64_t games = 0;
    std::int64_t bigs = 0;
    std::int64_t regs = 0;
    std::int64_t net = 0;
    std::int64_t obtained = 0;
    RatioSums payout;
    RatioSums bigOdds;
    RatioSums regOdds;
    RatioSums bonusOdds;
    RatioSums netPer1000Games;
    RatioSums gamesPerAttempt;
    RatioSums netPerAttempt;
    RatioSums bigsPerAttempt;
    RatioSums regsPerAttempt;
    RatioSums costPerAttempt;
    // How often each net, each game count and each BIG count came up: the measured laws.
    Tally netLaw;
    Tally gamesLaw;
    Tally bigsLaw;
    // The yen at the hall's rates and how deep each attempt went: kept by runs that follow
    // every game (the batch program), not by those that see only the finished attempts.
    CashTotals cash;

    // Books one finished attempt.
    void add(std::int64_t attemptGames, std::int64_t attemptBigs, std::int64_t attemptRegs,
             std::int64_t attemptNet, std::int64_t attemptObtained);
    void merge(const AttemptTotals& other);
};

}  // namespace korvale
