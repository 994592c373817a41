#include "analysis/attempt/capped_attempt.h"

#include <algorithm>
#include <cmath>

#include "analysis/attempt/wait_chain.h"
#include "common/status.h"

namespace korvale {

double cappedAttemptSeconds(EndConditions end, std::int32_t maxGames) {
    const WholeGames whole = wholeGames(end);
    const double games = maxGames;
    // The games after which landings reach the ceiling.
    const double late = std::max(maxGames - (bigCeilingGames - 1), 0);
    const double lowWaits = std::min(whole.reg + 1, std::max({whole.big, whole.reg, 1}));
    const bool byMode = whole.reg <= whole.big + 1;
    return 1e-3 + games * (6.1e-7 + 1.9e-9 * lowWaits) +
           late * (byMode ? 1.1e-8 * lowWaits : 4.3e-5);
}

CappedAttemptFigures solveCappedAttempt(std::int32_t setting, EndConditions end,
                                        std::int32_t maxGames, const AttemptStart& start,
                                        const WorkControl& control) {
    CappedAttemptFigures capped =
        solveCappedAttempt(machineModel(setting), end, maxGames, start, control);
    capped.figures.setting = setting;
    return capped;
}

CappedAttemptFigures solveCappedAttempt(const MachineModel& model, EndConditions end,
                                        std::int32_t maxGames, const AttemptStart& start,
                                        const WorkControl& control) {
    const WholeGames whole = wholeGames(end);
    if (maxGames < 1 || maxGames > largestMaxGames) {
        throw StatusError(StatusReason::EndBeyondTables, "the game limit must be 1 to 100000");
    }
    WaitChain chain(model, whole, start, maxGames);
    double cost = 0.0;
    for (std::int32_t game = 1; game <= maxGames; ++game) {
        if (game % 64 == 0) {
            stopIfCalledOff(control.cancel);
            if (control.progress) {
                control.progress(static_cast<double>(game) / maxGames);
            }
        }
        cost += chain.play(game) * std::nearbyint(model.costCoefficient * game);
    }
    CappedAttemptFigures capped;
    capped.maxGames = maxGames;
    capped.limitReachedChance = chain.alive();
    cost += capped.limitReachedChance * std::nearbyint(model.costCoefficient * maxGames);
    AttemptFigures& figures = capped.figures;
    figures.end = end;
    figures.start = start;
    figures.expectedGames = chain.games;
    figures.expectedBigs = chain.bigs;
    figures.expectedRegs = chain.regs;
    figures.expectedCost = cost;
    figures.costRounding = CostRounding::Exact;
    figures.roundingExactBelowGames = std::int64_t{maxGames} + 1;
    figures.expectedNet = model.coinsPerBig * figures.expectedBigs +
                          model.coinsPerReg * figures.expectedRegs - figures.expectedCost;
    figures.netPer1000Games = 1000.0 * figures.expectedNet / figures.expectedGames;
    const double coinsIn = model.coinsInPerGame * figures.expectedGames;
    figures.payoutPercent = 100.0 * (coinsIn + figures.expectedNet) / coinsIn;
    if (control.progress) {
        control.progress(1.0);
    }
    return capped;
}

}  // namespace korvale
