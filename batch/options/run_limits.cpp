#include "batch/options/run_limits.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdint>
#include <optional>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_outlook.h"
#include "analysis/long_run/long_run.h"
#include "analysis/model/machine_model.h"
#include "analysis/outcome/cash_lots.h"
#include "batch/options/option_error.h"
#include "common/number_text.h"
#include "machine/found_machine.h"

namespace korvale {
namespace {

constexpr double gamesPerSecondPerThread = 1e8;

// How the expected games of one attempt were found, for the message that names them.
std::string basisOf(const ExpectedAttemptGames& expected) {
    if (!expected.gamesAtLargestBigEnd) {
        return "worked out exactly from the machine's tables";
    }
    return fmt::format(
        "{:.0f} games at BIG end {:.0f} worked out exactly, times 1/(1 - {:.6g}) for each "
        "further game",
        *expected.gamesAtLargestBigEnd, largestBigEnd, expected.ceilingBigChance);
}

// Refuses end conditions that no attempt can be expected to meet within the machine's 32-bit
// game counter, and runs of so many attempts that some would outlast it; keeps the expected
// games of one attempt for the warning of a long run.
void checkAttemptsCanEnd(BatchOptions& o) {
    const AttemptReach reach = attemptReach(o.setting, o.end);
    if (!reach.canEnd) {
        const char* blamed = reach.regEndBlamed ? "--reg-end" : "--big-end";
        if (!reach.expected) {
            optionError(blamed,
                        "no attempt can meet these end conditions within the machine's 32-bit game "
                        "counter: on average an attempt would last more than 2147483647 games");
        }
        optionError(
            blamed,
            fmt::format("no attempt can meet these end conditions within the machine's 32-bit "
                        "game counter: one attempt is expected to last {:.4g} games ({}), more "
                        "than 2147483647",
                        reach.expected->games, basisOf(*reach.expected)));
    }
    const std::optional<ExpectedAttemptGames>& expected = reach.expected;
    if (!expected) {
        return;
    }
    if (!o.seconds) {
        const std::int64_t attempts = o.attempts.value_or(defaultAttempts);
        const double overruns = static_cast<double>(attempts) * chanceOfOverrun(expected->games);
        if (overruns >= 0.5) {
            optionError(
                "--attempts",
                fmt::format("{} attempts do not fit the machine's 32-bit game counter: one "
                            "attempt is expected to last {:.4g} games, so about {:.3g} of them "
                            "would outlast 2147483647 games and stop the run",
                            attempts, expected->games, overruns));
        }
    }
    o.expectedAttemptGames = expected->games;
}

// The games a machine found sinceBig games after its last BIG is expected to take to find: the
// warm-up's BIGs at the long run's BIG rate, then the moments passed at the long run's rate of
// games begun at that count. Refuses a count the long run reaches so seldom that finding one
// machine would take more than 2147483647 games; adds the rest to the attempt's expected games.
void checkMachinesCanBeFound(BatchOptions& o) {
    const std::int32_t g = *o.sinceBig;
    const std::int32_t taken = foundMomentTaken(g);
    const auto refuse = [&](const std::string& expected) {
        optionError("--since-big",
                    fmt::format("a machine {} games after its last BIG is too rare to look for: "
                                "finding one is expected to take {} games of play, and the "
                                "simulation looks only where it expects at most 2147483647",
                                g, expected));
    };
    // Under the ceiling every game ends the wait with at least its BIG chance, so each game past
    // it divides the moments' rate at least by 1 - that chance: a bound worked out at once.
    const double perCeilingGame = -std::log1p(-ceilingBigThreshold / double{drawRange});
    if (static_cast<double>(g - (bigCeilingGames - 1)) * perCeilingGame >
        std::log(double{INT32_MAX})) {
        refuse("over 2147483647");
    }
    const MachineModel model = machineModel(o.setting);
    const double gamesPerMoment = std::exp(-foundMachineState(model, g).logChance);
    const double expected =
        static_cast<double>(foundWarmUpBigs) / solveLongRun(model).bigProbability +
        taken * gamesPerMoment;
    if (!(expected <= double{INT32_MAX})) {
        refuse(fmt::format("{:.3g}", expected));
    }
    o.expectedAttemptGames = o.expectedAttemptGames.value_or(0.0) + expected;
}

// exact --pay cash measures the cash put in by playing attempts of each setting unless its
// lots are worked out (a rule that ends at the first BIG, no game limit) and no simulation is
// asked for: keeps the games those attempts are expected to take, all settings together (from
// the morning; a found machine's are taken where it is found), for the warning of a long run.
void keepCashSimulationGames(BatchOptions& o) {
    const bool lotsExact = !o.maxGames && endsAtFirstBig(o.end);
    if (o.rates.pay != CoinSource::Cash || !o.endGiven || (lotsExact && !o.attempts && !o.seed)) {
        return;
    }
    double games = 0.0;
    for (std::int32_t s = 0; s < settingCount; ++s) {
        if (o.settingGiven && s != o.setting) {
            continue;
        }
        const AttemptReach reach = attemptReach(s, o.end);
        if (!reach.expected) {
            return;
        }
        games += reach.expected->games;
    }
    o.expectedAttemptGames = games;
}

}  // namespace

void checkRunLimits(BatchOptions& o) {
    if (o.command == Command::Exact && o.end.bigEnd <= largestBigEnd &&
        o.end.regEnd <= largestRegEnd) {
        keepCashSimulationGames(o);
    }
    if (o.command == Command::SimulateSpecial) {
        // A game limit ends every attempt within it, far inside the 32-bit counters.
        if (!o.maxGames) {
            checkAttemptsCanEnd(o);
        }
        if (o.sinceBig) {
            checkMachinesCanBeFound(o);
        }
    }
    if ((o.command == Command::Exact || o.command == Command::Hunt ||
         o.command == Command::Infer) &&
        o.endGiven) {
        // As typed: "2000.0000000000000000001" is beyond 2000, though it reads as 2000.
        if (o.end.bigEnd > largestBigEnd ||
            (!o.bigEndTyped.empty() &&
             compareDecimals(o.bigEndTyped, numberText(largestBigEnd)) > 0)) {
            optionError("--big-end", fmt::format("the exact figures take a BIG end of at most {}",
                                                 largestBigEnd));
        }
        if (o.end.regEnd > largestRegEnd) {
            optionError("--reg-end", fmt::format("the exact figures take a REG end of at most {}",
                                                 largestRegEnd));
        }
    }
}

std::string lengthWarning(double games, int threads, const std::string& what) {
    const double hours = games / (gamesPerSecondPerThread * threads) / 3600.0;
    if (!(hours > 1.0)) {
        return {};
    }
    return fmt::format(
        "korvale-batch: warning: {} {:.3g} games, some {:.3g} hours on {} thread{} at {:.3g} "
        "games a second each (Ctrl-C stops it with what was played)",
        what, games, hours, threads, threads == 1 ? "" : "s", gamesPerSecondPerThread);
}

}  // namespace korvale
