#include "play/day_run.h"

#include "analysis/measured/day_play.h"
#include "play/attempt_run.h"
#include "play/grid_log_file.h"

namespace korvale {

AttemptTotals playDays(std::int32_t setting, std::int32_t dayGames, const HallRates& rates,
                       std::int64_t days, RandomSource& random, const WorkControl& control,
                       WorkerCounts& counts, GridLog* log) {
    AttemptTotals totals;
    totals.cash.rates = rates;
    std::int64_t gamesPlayed = 0;
    while ((days < 0 || totals.attempts < days) && !control.calledOff()) {
        clsKorvale machine(random);
        machine.mlngSettei = setting;
        DeepestPoint deepest;
        const bool finished =
            playDay(machine, dayGames, deepest, [&control] { return control.calledOff(); });
        gamesPlayed += machine.mlngPlayCnt;
        if (!finished) {
            break;
        }
        bookFinishedAttempt(totals, setting, machine, deepest, log);
        counts.report(gamesPlayed, totals.attempts);
    }
    counts.report(gamesPlayed, totals.attempts);
    return totals;
}

}  // namespace korvale
