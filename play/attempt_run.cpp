#include "play/attempt_run.h"

#include "analysis/measured/day_play.h"
#include "common/status.h"
#include "machine/cls_korvale.h"
#include "machine/coin_totals.h"
#include "machine/found_machine.h"
#include "play/grid_log_file.h"

namespace korvale {

namespace {

// How often a long attempt looks for a stop request.
constexpr std::int32_t stopCheckMask = (1 << 16) - 1;

// The net after the game before a bonus game, the lowest since the bonus before: the bonus
// game's own bonus not yet counted, nor its game.
void seeNetBeforeBonus(const clsKorvale& machine, const std::string& result,
                       DeepestPoint& deepest) {
    const bool big = result == "BIG";
    const bool reg = result == "REG";
    deepest.see(coinTotals(machine.mlngSettei, machine.mlngPlayCnt - 1,
                           machine.mlngBigCnt - (big ? 1 : 0), machine.mlngRegCnt - (reg ? 1 : 0))
                    .net);
}

// A machine found `sinceBig` games after its last BIG, its mode drawn from `modeLaw`.
void placeFoundMachine(clsKorvale& machine, std::int32_t sinceBig,
                       const std::array<double, modeCount>& modeLaw, RandomSource& random) {
    double u = random.nextFraction();
    std::int32_t mode = 0;
    while (mode + 1 < modeCount && u >= modeLaw[static_cast<std::size_t>(mode)]) {
        u -= modeLaw[static_cast<std::size_t>(mode)];
        ++mode;
    }
    machine.mMode = mode;
    machine.mlngBigPlayCnt = sinceBig;
}

}  // namespace

AttemptEnd playOneAttempt(clsKorvale& machine, const EndConditions& end, const WorkControl& control,
                          DeepestPoint* deepest, std::optional<std::int32_t> maxGames) {
    // The attempt's own games: a found machine's counters start at 0 when the player sits down.
    const std::int64_t lastGame = maxGames ? machine.mlngPlayCnt + *maxGames : -1;
    std::int64_t sinceBig = 0;
    std::int64_t sinceReg = 0;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    try {
        for (;;) {
            ++sinceBig;
            ++sinceReg;
            const std::string& result = machine.Play(num, mode, simauta);
            if (!result.empty()) [[unlikely]] {
                if (deepest != nullptr) {
                    seeNetBeforeBonus(machine, result, *deepest);
                }
                if (result == "BIG") {
                    sinceBig = 0;
                } else if (result == "REG") {
                    sinceReg = 0;
                }
            }
            if (attemptIsOver(end, machine.mlngBigCnt, sinceBig, machine.mlngRegCnt, sinceReg)) {
                return AttemptEnd::Finished;
            }
            if (machine.mlngPlayCnt == lastGame) {
                return AttemptEnd::Capped;
            }
            if ((machine.mlngPlayCnt & stopCheckMask) == 0 && control.calledOff()) {
                return AttemptEnd::Stopped;
            }
        }
    } catch (const StatusError& error) {
        // Only a counter at its limit ends an attempt this way; it is named from the machine.
        if (error.reason() != StatusReason::Overflow || !counterAtLimit(machine)) {
            throw;
        }
        return AttemptEnd::AtLimit;
    }
}

AttemptTotals playAttempts(std::int32_t setting, const EndConditions& end,
                           std::optional<std::int32_t> maxGames, const AttemptStartRule& start,
                           const HallRates& rates, std::int64_t attempts, RandomSource& random,
                           const WorkControl& control, WorkerCounts& counts, GridLog* log) {
    AttemptTotals totals;
    totals.cash.rates = rates;
    std::int64_t gamesPlayed = 0;
    const auto stop = [&] {
        counts.report(gamesPlayed, totals.attempts);
        return control.calledOff();
    };
    while ((attempts < 0 || totals.attempts < attempts) && !control.calledOff()) {
        clsKorvale machine(random);
        machine.mlngSettei = setting;
        if (start.sinceBig && start.modeLaw) {
            placeFoundMachine(machine, *start.sinceBig, *start.modeLaw, random);
        } else if (start.sinceBig && playUntilFound(machine, *start.sinceBig, stop, gamesPlayed) ==
                                         FoundEnd::Stopped) {
            break;
        }
        DeepestPoint deepest;
        const AttemptEnd ended = playOneAttempt(machine, end, control, &deepest, maxGames);
        gamesPlayed += machine.mlngPlayCnt;
        if (ended == AttemptEnd::AtLimit) {
            counts.limit = counterAtLimit(machine);
            counts.limit->games = machine.mlngPlayCnt;
            counts.report(gamesPlayed, totals.attempts);
        }
        if (ended != AttemptEnd::Finished && ended != AttemptEnd::Capped) {
            break;
        }
        bookFinishedAttempt(totals, setting, machine, deepest, log);
        counts.report(gamesPlayed, totals.attempts);
    }
    return totals;
}

void bookFinishedAttempt(AttemptTotals& totals, std::int32_t setting, const clsKorvale& machine,
                         DeepestPoint& deepest, GridLog* log) {
    bookPlayed(totals, setting, playedSoFar(machine, deepest));
    if (log != nullptr) {
        log->attemptRow(
            machine.mlngBigCnt, machine.mlngRegCnt,
            coinTotals(setting, machine.mlngPlayCnt, machine.mlngBigCnt, machine.mlngRegCnt).net,
            machine.mlngPlayCnt);
    }
}

}  // namespace korvale
