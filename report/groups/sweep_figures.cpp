#include "report/groups/sweep_figures.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "analysis/quit_rules/efficient_frontier.h"
#include "common/work_control.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/rule_risk_figures.h"
#include "report/groups/run_facts.h"
#include "report/model/fact_catalogue.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// The values a sweep's grid takes along one axis, and the axis as typed (first:last:step).
Fact gridFact(FactName name, std::int32_t first, std::int32_t last, std::int32_t step) {
    Fact grid = makeFact(name, "", fmt::format("{}:{}:{}", first, last, step), false);
    for (std::int32_t value = first; value <= last && step > 0; value += step) {
        grid.numbers.push_back(value);
    }
    return grid;
}

// One rule of a sweep: its means (with a game limit the share it stopped), its risk (withRisk;
// not known with a limit), and whether it is one of its setting's best rules and on its
// frontier.
FigureGroup sweepRuleGroup(const SettingRuleRisks& sweep, std::size_t i, bool withRisk) {
    FigureGroup group = exactAttemptGroup(sweep.figures.points[i]);
    const bool capped = !sweep.figures.limitReached.empty();
    if (capped) {
        group.figures.push_back(makeFigure(figureKey::limitReached, sweep.figures.limitReached[i]));
    }
    if (withRisk) {
        addRuleRisk(group, sweep.risks[i]);  // not known when its risk was not worked out
    }
    const auto mark = [&group](std::string_view key, bool on) {
        group.details.push_back(makeFigure(key, on ? 1.0 : 0.0));
    };
    mark(figureKey::bestPerAttempt, i == sweep.figures.bestPerAttempt);
    mark(figureKey::bestPer1000Games, i == sweep.figures.bestPer1000Games);
    if (withRisk && capped) {
        group.details.push_back(makeFigure(figureKey::onFrontier, std::nullopt));
    } else if (withRisk) {
        mark(figureKey::onFrontier, sweep.onFrontier[i]);
    }
    return group;
}

// The rules of a setting the report holds: every one in grid order, or those on the frontier
// from the highest net per 1000 games down (and so from the lowest chance to end ahead up).
std::vector<std::size_t> reportedRules(const SettingRuleRisks& sweep, bool frontierOnly) {
    if (frontierOnly) {
        std::vector<FrontierCandidate> candidates;
        for (std::size_t i = 0; i < sweep.figures.points.size(); ++i) {
            candidates.push_back({sweep.figures.points[i].netPer1000Games, sweep.risks[i].pAhead,
                                  sweep.risks[i].known});
        }
        return frontierOrder(candidates, sweep.onFrontier);
    }
    std::vector<std::size_t> rules(sweep.figures.points.size());
    std::iota(rules.begin(), rules.end(), std::size_t{0});
    return rules;
}

// The facts of what the sweep was asked.
void addSweepFacts(Report& report, const SweepAsked& asked) {
    addSetting(report, asked.setting);
    const SweepGrid& grid = asked.grid;
    report.facts.push_back(
        gridFact(fact::bigEnds, grid.bigEndFirst, grid.bigEndLast, grid.bigEndStep));
    report.facts.push_back(
        gridFact(fact::regEnds, grid.regEndFirst, grid.regEndLast, grid.regEndStep));
    if (asked.maxGames) {
        addMaxGames(report, *asked.maxGames);
        if (!asked.meansOnly) {
            addLaws(report, LawsWorked::None);
        }
    }
    if (asked.sinceBig) {
        report.facts.push_back(sinceBigFact(*asked.sinceBig));
    }
    if (asked.frontier) {
        addFrontierOnly(report);
    }
    if (asked.meansOnly) {
        report.facts.push_back(makeFact(fact::meansOnly, "1", "はい"));
    }
    addHallRates(report, asked.rates, asked.cash);
}

}  // namespace

Report sweepReport(const SweepAsked& asked, const RuleRiskSweep& sweep,
                   const MeasureCash& measure) {
    Report report{.kind = ReportKind::Sweep};
    addSweepFacts(report, asked);
    report.partial = !sweep.complete;
    try {
        for (const SettingRuleRisks& one : sweep.settings) {
            for (const std::size_t i : reportedRules(one, asked.frontier)) {
                addYenGroups(report.groups, sweepRuleGroup(one, i, !asked.meansOnly),
                             one.figures.points[i], asked.rates, std::nullopt, measure);
            }
        }
    } catch (const WorkCancelled&) {
        // Ctrl-C during the cash's simulation: the rules done so far, marked partial.
        report.partial = true;
    }
    return report;
}

}  // namespace korvale
