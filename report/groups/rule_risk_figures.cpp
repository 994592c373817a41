#include "report/groups/rule_risk_figures.h"

#include <optional>

#include "report/model/figure_catalogue.h"

namespace korvale {

void addRuleRisk(FigureGroup& group, const RuleRisk& risk) {
    const auto known = [&](double value) {
        return risk.known ? std::optional<double>(value) : std::nullopt;
    };
    group.figures.push_back(makeFigure(figureKey::pAhead, known(risk.pAhead)));
    group.figures.push_back(
        makeFigure(figureKey::netCoinsP50, known(static_cast<double>(risk.netP50))));
    group.figures.push_back(
        makeFigure(figureKey::netCoinsP10, known(static_cast<double>(risk.netP10))));
    // The law's bound is the one `exact --laws` gives: the same key, so that the two join.
    // A rule whose bound is too wide for figures still says how wide.
    group.details.push_back(
        makeFigure(figureKey::outcomeLawErrorBound, risk.known || risk.errorBound > 0.0
                                                        ? std::optional<double>(risk.errorBound)
                                                        : std::nullopt));
    group.details.push_back(
        makeFigure(figureKey::netCoinsP50ErrorBound, known(static_cast<double>(risk.netP50Bound))));
    group.details.push_back(
        makeFigure(figureKey::netCoinsP10ErrorBound, known(static_cast<double>(risk.netP10Bound))));
}

}  // namespace korvale
