#include "analysis/attempt/attempt_outlook.h"

#include <cmath>
#include <limits>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_reach.h"
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

AttemptReach attemptReach(std::int32_t setting, const EndConditions& end) {
    // The REG end is to blame when the BIG end alone could be met.
    const auto regEndBlamed = [&](bool bigEndAloneTooLong) {
        return end.regEnd > 0 && end.bigEnd > 0.0 && !bigEndAloneTooLong;
    };
    AttemptReach reach;
    if (endConditionsOutOfReach(setting, end)) {
        reach.canEnd = false;
        reach.regEndBlamed = regEndBlamed(endConditionsOutOfReach(setting, {end.bigEnd, 0}));
        return reach;
    }
    reach.expected = expectedAttemptGames(setting, end);
    const double limit = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (reach.expected && reach.expected->games > limit) {
        reach.canEnd = false;
        const auto bigAlone = expectedAttemptGames(setting, {end.bigEnd, 0});
        reach.regEndBlamed = regEndBlamed(bigAlone && bigAlone->games > limit);
    }
    return reach;
}

double chanceOfOverrun(double games) {
    return std::exp(-static_cast<double>(std::numeric_limits<std::int32_t>::max()) / games);
}

}  // namespace korvale
