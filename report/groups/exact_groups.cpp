#include "report/groups/exact_groups.h"

#include <cmath>
#include <string>
#include <string_view>

#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// Games per event; none when the event never happens.
std::optional<double> oneIn(double probability) {
    if (!(probability > 0.0)) {
        return std::nullopt;
    }
    return 1.0 / probability;
}

std::optional<double> defined(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

FigureGroup exactLongRunGroup(const LongRunFigures& f) {
    FigureGroup group{.source = Source::Exact, .setting = f.setting, .scope = Scope::LongRun};
    group.figures = {
        makeFigure(figureKey::bigOdds, oneIn(f.bigProbability)),
        makeFigure(figureKey::regOdds, oneIn(f.regProbability)),
        makeFigure(figureKey::bonusOdds, oneIn(f.bonusProbability)),
        makeFigure(figureKey::payoutPercent, f.payoutPercent),
    };
    for (std::size_t m = 0; m < modeCount; ++m) {
        group.figures.push_back(makeFigure(modeKey(m, figureKey::share), f.modeShare[m]));
        group.figures.push_back(
            makeFigure(modeKey(m, figureKey::rtReleaseRate), defined(f.modeReleaseRate[m])));
    }
    return group;
}

FigureGroup exactAttemptGroup(const AttemptFigures& f) {
    FigureGroup group{
        .source = Source::Exact, .setting = f.setting, .scope = Scope::Attempt, .end = f.end};
    // The figures that hold the cost are the machine's (and a run's) with the cost rounded per
    // attempt; worked out with c × games instead (the sweep, for speed) they differ by a few
    // thousandths of a coin and carry keys of their own, so that no join mixes the two.
    const bool rounded = f.costRounding == CostRounding::Exact;
    const auto withCost = [rounded](std::string_view key, double value) {
        return makeFigure(rounded ? std::string(key) : unroundedCostKey(key), value);
    };
    group.figures = {
        makeFigure(figureKey::gamesPerAttempt, f.expectedGames),
        makeFigure(figureKey::bigPerAttempt, f.expectedBigs),
        makeFigure(figureKey::regPerAttempt, f.expectedRegs),
        withCost(figureKey::costPerAttempt, f.expectedCost),
        withCost(figureKey::netCoinsPerAttempt, f.expectedNet),
        withCost(figureKey::netPer1000Games, f.netPer1000Games),
        withCost(figureKey::payoutPercent, f.payoutPercent),
    };
    group.details = {makeFigure(figureKey::costRoundedPerAttempt, rounded ? 1.0 : 0.0)};
    if (rounded) {
        group.details.push_back(makeFigure(figureKey::costExactBelowGames,
                                           static_cast<double>(f.roundingExactBelowGames)));
        group.details.push_back(makeFigure(figureKey::costErrorBound, f.roundingErrorBound));
    }
    return group;
}

}  // namespace korvale
