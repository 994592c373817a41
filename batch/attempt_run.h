#pragma once

#include <cstdint>

#include "batch/ratio_statistics.h"
#include "batch/run_control.h"
#include "common/random_source.h"
#include "machine/attempt_end.h"

namespace korvale {

class GridLog;

// When an attempt ends: after at least one BIG, at least bigEnd games after the last BIG and,
// once a REG has fallen, at least regEnd games after the last REG.

// Totals over finished attempts, with the sums behind the intervals: per attempt the payout
// rate's coins (x = 3 × games, y = 100 × coins paid out), the BIG and REG odds (x = BIGs or REGs,
// y = games) and the three averages (x = 1, y = games, net coins or BIGs).
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
    RatioSums gamesPerAttempt;
    RatioSums netPerAttempt;
    RatioSums bigsPerAttempt;

    // Books one finished attempt.
    void add(std::int64_t attemptGames, std::int64_t attemptBigs, std::int64_t attemptRegs,
             std::int64_t attemptNet, std::int64_t attemptObtained);
    void merge(const AttemptTotals& other);
};

// Makes `attempts` attempts (-1: until a stop is requested), each on a new machine of the given
// setting drawing from `random`, as the window's attempt run does. An attempt still going when
// a stop is requested is dropped. Logs every attempt to `log` when it is not null.
AttemptTotals playAttempts(std::int32_t setting, const EndConditions& end, std::int64_t attempts,
                           RandomSource& random, RunControl& control, int thread, GridLog* log);

}  // namespace korvale
