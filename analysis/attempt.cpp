#include "analysis/attempt.h"

#include <cmath>
#include <stdexcept>

#include "analysis/attempt_chain.h"

namespace korvale {
namespace {

struct WholeGames {
    std::int32_t big;
    std::int32_t reg;
};

// The end test compares whole games with the BIG end as a number, so it needs ceil(bigEnd)
// games; anything at or below 0 holds at once.
WholeGames wholeGames(EndConditions end) {
    if (!std::isfinite(end.bigEnd) || end.bigEnd > largestBigEnd) {
        throw std::invalid_argument("BIG end must be a number up to 20000");
    }
    if (end.regEnd > largestRegEnd) {
        throw std::invalid_argument("REG end must be at most 20000");
    }
    return {end.bigEnd <= 0.0 ? 0 : static_cast<std::int32_t>(std::ceil(end.bigEnd)),
            end.regEnd <= 0 ? 0 : end.regEnd};
}

}  // namespace

AttemptFigures solveAttempt(std::int32_t setting, EndConditions end) {
    AttemptFigures figures = solveAttempt(machineModel(setting), end);
    figures.setting = setting;
    return figures;
}

AttemptFigures solveAttempt(const MachineModel& model, EndConditions end) {
    const WholeGames games = wholeGames(end);
    AttemptChain<double> chain(model, games.big, games.reg, 1.0, 0.0, true);
    const std::array<double, 2> expected = chain.solve();

    AttemptFigures figures;
    figures.end = end;
    figures.expectedGames = expected[0];
    figures.expectedBigs = expected[1];
    // A REG falls with the same chance in every game whatever came before, and whether the
    // attempt goes on to a game is settled before it, so E[REGs] = r E[games] (Wald).
    figures.expectedRegs = model.regProbability * expected[0];
    figures.expectedCost = model.costCoefficient * figures.expectedGames;
    figures.expectedNet = model.coinsPerBig * figures.expectedBigs +
                          model.coinsPerReg * figures.expectedRegs - figures.expectedCost;
    figures.netPer1000Games = 1000.0 * figures.expectedNet / figures.expectedGames;
    const double coinsIn = model.coinsInPerGame * figures.expectedGames;
    figures.payoutPercent = 100.0 * (coinsIn + figures.expectedNet) / coinsIn;
    return figures;
}

double attemptGeneratingFunction(const MachineModel& model, EndConditions end, double z) {
    const WholeGames games = wholeGames(end);
    AttemptChain<double> chain(model, games.big, games.reg, z, 1.0, false);
    return chain.solve()[0];
}

}  // namespace korvale
