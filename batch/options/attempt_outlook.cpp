#include "batch/options/attempt_outlook.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "analysis/attempt/attempt.h"
#include "analysis/model/machine_model.h"

namespace korvale {
namespace {

constexpr double gamesPerSecondPerThread = 1e8;

}  // namespace

std::optional<ExpectedAttemptGames> expectedAttemptGames(std::int32_t setting,
                                                         const EndConditions& end) {
    if (end.regEnd > largestRegEnd) {
        return std::nullopt;
    }
    const double bigGames = end.bigEnd <= 0.0 ? 0.0 : std::ceil(end.bigEnd);
    if (bigGames <= largestBigEnd) {
        return ExpectedAttemptGames{solveAttempt(setting, end).expectedGames,
                                    "worked out exactly from the machine's tables"};
    }
    const EndConditions atLargest{largestBigEnd, end.regEnd};
    const double there = solveAttempt(setting, atLargest).expectedGames;
    const double p = machineModel(setting).ceilingBigProbability;
    const double games = there * std::exp(-(bigGames - largestBigEnd) * std::log1p(-p));
    return ExpectedAttemptGames{
        games, fmt::format("{:.0f} games at BIG end {:.0f} worked out exactly, times "
                           "1/(1 - {:.6g}) for each further game",
                           there, largestBigEnd, p)};
}

double chanceOfOverrun(double games) {
    return std::exp(-static_cast<double>(std::numeric_limits<std::int32_t>::max()) / games);
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
