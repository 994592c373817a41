#include "analysis/attempt/attempt_outlook.h"

#include <cmath>
#include <limits>

#include "analysis/attempt/attempt.h"
#include "analysis/model/machine_model.h"

namespace korvale {

std::optional<ExpectedAttemptGames> expectedAttemptGames(std::int32_t setting,
                                                         const EndConditions& end) {
    if (end.regEnd > largestRegEnd) {
        return std::nullopt;
    }
    const double bigGames = end.bigEnd <= 0.0 ? 0.0 : std::ceil(end.bigEnd);
    if (bigGames <= largestBigEnd) {
        ExpectedAttemptGames exact;
        exact.games = solveAttempt(setting, end).expectedGames;
        return exact;
    }
    const EndConditions atLargest{largestBigEnd, end.regEnd};
    const double there = solveAttempt(setting, atLargest).expectedGames;
    const double p = machineModel(setting).ceilingBigProbability;
    const double games = there * std::exp(-(bigGames - largestBigEnd) * std::log1p(-p));
    return ExpectedAttemptGames{games, there, p};
}

double chanceOfOverrun(double games) {
    return std::exp(-static_cast<double>(std::numeric_limits<std::int32_t>::max()) / games);
}

}  // namespace korvale
