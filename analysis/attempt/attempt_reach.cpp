#include "analysis/attempt/attempt_reach.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvale {

double logLeastExpectedGames(const MachineModel& model, const EndConditions& end) {
    double logBound = 0.0;  // at least one game
    if (end.bigEnd > 0.0) {
        // Games since the BIG 1 .. ceil(X); from the ceiling game on, the ceiling's chance.
        const double wholeGames = std::ceil(end.bigEnd);
        const double leastBig =
            *std::min_element(model.bigProbability.begin(), model.bigProbability.end());
        const double beforeCeiling = std::min(wholeGames, double(model.ceilingGame - 1));
        const double atCeiling = wholeGames - beforeCeiling;
        const double logRun = beforeCeiling * std::log1p(-leastBig) +
                              atCeiling * std::log1p(-model.ceilingBigProbability);
        logBound = std::max(logBound, -logRun);
    }
    if (end.regEnd > 0) {
        // A REG in the first game (chance r), then on average (1 - p^Y) / (r p^Y) games until
        // Y games in a row without one, p = 1 - r.
        const double logRun = double(end.regEnd) * std::log1p(-model.regProbability);
        logBound = std::max(logBound, std::log1p(-std::exp(logRun)) - logRun);
    }
    return logBound;
}

bool endConditionsOutOfReach(std::int32_t setting, const EndConditions& end) {
    const double logLimit = std::log(double(std::numeric_limits<std::int32_t>::max()));
    return logLeastExpectedGames(machineModel(setting), end) >= logLimit;
}

}  // namespace korvale
