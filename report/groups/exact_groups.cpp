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
        makeFigure("big_odds", oneIn(f.bigProbability)),
        makeFigure("reg_odds", oneIn(f.regProbability)),
        makeFigure("bonus_odds", oneIn(f.bonusProbability)),
        makeFigure("payout_percent", f.payoutPercent),
    };
    for (std::size_t m = 0; m < modeCount; ++m) {
        group.figures.push_back(makeFigure(modeKey(m, "share"), f.modeShare[m]));
        group.figures.push_back(
            makeFigure(modeKey(m, "rt_release_rate"), defined(f.modeReleaseRate[m])));
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
        return makeFigure(rounded ? std::string(key) : std::string(key) + "_unrounded_cost", value);
    };
    group.figures = {
        makeFigure("games_per_attempt", f.expectedGames),
        makeFigure("big_per_attempt", f.expectedBigs),
        makeFigure("reg_per_attempt", f.expectedRegs),
        withCost("cost_per_attempt", f.expectedCost),
        withCost("net_coins_per_attempt", f.expectedNet),
        withCost("net_per_1000_games", f.netPer1000Games),
        withCost("payout_percent", f.payoutPercent),
    };
    group.details = {makeFigure("cost_rounded_per_attempt", rounded ? 1.0 : 0.0)};
    if (rounded) {
        group.details.push_back(
            makeFigure("cost_exact_below_games", static_cast<double>(f.roundingExactBelowGames)));
        group.details.push_back(makeFigure("cost_error_bound", f.roundingErrorBound));
    }
    return group;
}

}  // namespace korvale
