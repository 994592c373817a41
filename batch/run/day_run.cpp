#include "batch/run/day_run.h"

#include <algorithm>

#include "batch/run/attempt_run.h"
#include "batch/run/grid_log_file.h"
#include "machine/cls_korvale.h"
#include "machine/coin_totals.h"

namespace korvale {

namespace {

// Games played between looks for a stop request.
constexpr std::int32_t dayBlockGames = 1 << 14;

// Plays the day's games on `machine`, showing `deepest` the net before every bonus game (the
// net's lowest points but the last game's). False when a stop was requested first.
bool playDay(clsKorvale& machine, std::int32_t dayGames, const RunControl& control,
             DeepestPoint& deepest) {
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    for (std::int32_t left = dayGames; left > 0;) {
        if (control.stopRequested()) {
            return false;
        }
        const std::int32_t block = std::min(left, dayBlockGames);
        for (std::int32_t i = 0; i < block; ++i) {
            const std::string& result = machine.Play(num, mode, simauta);
            if (!result.empty()) [[unlikely]] {
                const bool big = result == "BIG";
                deepest.see(coinTotals(machine.mlngSettei, machine.mlngPlayCnt - 1,
                                       machine.mlngBigCnt - (big ? 1 : 0),
                                       machine.mlngRegCnt - (big ? 0 : 1))
                                .net);
            }
        }
        left -= block;
    }
    return true;
}

}  // namespace

AttemptTotals playDays(std::int32_t setting, std::int32_t dayGames, const HallRates& rates,
                       std::int64_t days, RandomSource& random, RunControl& control, int thread,
                       GridLog* log) {
    AttemptTotals totals;
    totals.cash.rates = rates;
    std::int64_t gamesPlayed = 0;
    while ((days < 0 || totals.attempts < days) && !control.stopRequested()) {
        clsKorvale machine(random);
        machine.mlngSettei = setting;
        DeepestPoint deepest;
        const bool finished = playDay(machine, dayGames, control, deepest);
        gamesPlayed += machine.mlngPlayCnt;
        if (!finished) {
            break;
        }
        bookFinishedAttempt(totals, setting, machine, deepest, log);
        control.report(thread, gamesPlayed, totals.attempts);
    }
    control.report(thread, gamesPlayed, totals.attempts);
    return totals;
}

}  // namespace korvale
