#include "batch/run/day_run.h"

#include "analysis/measured/day_play.h"
#include "batch/run/attempt_run.h"
#include "batch/run/grid_log_file.h"

namespace korvale {

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
        const bool finished =
            playDay(machine, dayGames, deepest, [&control] { return control.stopRequested(); });
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
