#include "batch/options/run_limits.h"

#include <fmt/format.h>

#include <cstdint>
#include <optional>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_outlook.h"
#include "batch/options/option_error.h"

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

}  // namespace

void checkRunLimits(BatchOptions& o) {
    if (o.command == Command::SimulateSpecial) {
        checkAttemptsCanEnd(o);
    }
    if ((o.command == Command::Exact || o.command == Command::Hunt) && o.endGiven) {
        if (o.end.bigEnd > largestBigEnd) {
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
