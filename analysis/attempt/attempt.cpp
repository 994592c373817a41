#include "analysis/attempt/attempt.h"

#include <array>
#include <cmath>

#include "analysis/attempt/attempt_chain.h"
#include "analysis/attempt/rounded_cost.h"
#include "common/status.h"

namespace korvale {

WholeGames wholeGames(EndConditions end) {
    if (!std::isfinite(end.bigEnd) || end.bigEnd > largestBigEnd) {
        throw StatusError(StatusReason::EndBeyondTables, "BIG end must be a number up to 2000");
    }
    if (end.regEnd > largestRegEnd) {
        throw StatusError(StatusReason::EndBeyondTables, "REG end must be at most 1000");
    }
    return {end.bigEnd <= 0.0 ? 0 : static_cast<std::int32_t>(std::ceil(end.bigEnd)),
            end.regEnd <= 0 ? 0 : end.regEnd};
}

AttemptFigures solveAttempt(std::int32_t setting, EndConditions end, CostRounding rounding,
                            const AttemptStart& start, const WorkControl& control) {
    AttemptFigures figures = solveAttempt(machineModel(setting), end, rounding, start, control);
    figures.setting = setting;
    return figures;
}

AttemptFigures solveAttempt(const MachineModel& model, EndConditions end, CostRounding rounding,
                            const AttemptStart& start, const WorkControl& control) {
    return solveAttemptStarts(model, end, std::span<const AttemptStart>(&start, 1), rounding,
                              control)[0];
}

namespace {

// The figures from the expected games and BIGs and the cost as worked out.
AttemptFigures figuresOf(const MachineModel& model, EndConditions end, const AttemptStart& start,
                         const std::array<double, 2>& expected, const RoundedCost* rounded) {
    AttemptFigures figures;
    figures.end = end;
    figures.start = start;
    figures.expectedGames = expected[0];
    figures.expectedBigs = expected[1];
    // A REG falls with the same chance in every game whatever came before, and whether the
    // attempt goes on to a game is settled before it, so E[REGs] = r E[games] (Wald).
    figures.expectedRegs = model.regProbability * expected[0];
    figures.expectedCost = model.costCoefficient * figures.expectedGames;
    if (rounded != nullptr && rounded->worked) {
        figures.expectedCost = rounded->expected;
        figures.costRounding = CostRounding::Exact;
        figures.roundingExactBelowGames = rounded->exactBelowGames;
        figures.roundingErrorBound = rounded->errorBound;
    } else if (rounded != nullptr) {
        figures.roundingBeyondReach = true;
    }
    figures.expectedNet = model.coinsPerBig * figures.expectedBigs +
                          model.coinsPerReg * figures.expectedRegs - figures.expectedCost;
    figures.netPer1000Games = 1000.0 * figures.expectedNet / figures.expectedGames;
    const double coinsIn = model.coinsInPerGame * figures.expectedGames;
    figures.payoutPercent = 100.0 * (coinsIn + figures.expectedNet) / coinsIn;
    return figures;
}

}  // namespace

std::vector<AttemptFigures> solveAttemptStarts(const MachineModel& model, EndConditions end,
                                               std::span<const AttemptStart> starts,
                                               CostRounding rounding, const WorkControl& control) {
    const WholeGames games = wholeGames(end);
    stopIfCalledOff(control.cancel);
    SolveCount count(control,
                     1.0 + (rounding == CostRounding::Exact ? roundedCostSolves(model) : 0.0));
    count.add(0.0);
    AttemptChain<double> chain(model, games.big, games.reg, 1.0, 0.0, true, control.cancel);
    const std::vector<std::array<double, 2>> expected = chain.solve(starts);
    count.add(1.0);
    std::vector<RoundedCost> rounded;
    if (rounding == CostRounding::Exact && !starts.empty()) {
        std::vector<double> expectedGames;
        for (const std::array<double, 2>& one : expected) {
            expectedGames.push_back(one[0]);
        }
        rounded = roundedCosts(model, games, starts, expectedGames, control, count);
    }
    std::vector<AttemptFigures> figures;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        figures.push_back(
            figuresOf(model, end, starts[i], expected[i], rounded.empty() ? nullptr : &rounded[i]));
    }
    count.finish();
    return figures;
}

double attemptGeneratingFunction(const MachineModel& model, EndConditions end, double z,
                                 const AttemptStart& start) {
    const WholeGames games = wholeGames(end);
    AttemptChain<double> chain(model, games.big, games.reg, z, 1.0, false);
    return chain.solve(std::span<const AttemptStart>(&start, 1))[0][0];
}

}  // namespace korvale
