#include "report/groups/simulation_figures.h"

#include <fmt/format.h>

#include "report/groups/day_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/law_figures.h"
#include "report/groups/measured_groups.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/fact_catalogue.h"

namespace korvale {
namespace {

void addRunFacts(Report& report, const RunPlan& plan) {
    const bool normal = plan.run == RunKind::Normal;
    const bool day = plan.run == RunKind::Day;
    std::vector<Fact>& facts = report.facts;
    facts = {makeFact(fact::kind,
                      day      ? "day"
                      : normal ? "normal"
                               : "special",
                      day      ? "一日"
                      : normal ? "通常"
                               : "特別",
                      false)};
    addSetting(report, plan.setting);
    facts.push_back(makeFact(fact::seed, std::to_string(plan.seed)));
    facts.push_back(makeFact(fact::threads, std::to_string(plan.threads)));
    if (plan.seconds) {
        facts.push_back(makeFact(fact::secondsRequested, fmt::format("{}", *plan.seconds)));
    } else {
        const std::string amount = std::to_string(plan.amount);
        facts.push_back(makeFact(day      ? fact::daysRequested
                                 : normal ? fact::gamesRequested
                                          : fact::attemptsRequested,
                                 amount));
    }
    if (plan.run == RunKind::Day) {
        facts.push_back(dayGamesFact(plan.dayGames));
    } else if (!normal) {
        addEnd(report, plan.end);
        if (plan.maxGames) {
            addMaxGames(report, *plan.maxGames);
        }
        if (plan.start.sinceBig) {
            facts.push_back(sinceBigFact(*plan.start.sinceBig));
        }
    }
}

}  // namespace

Report simulationReport(const BatchResult& result) {
    const RunPlan& plan = result.plan;
    Report report{.kind = ReportKind::Simulation};
    addRunFacts(report, plan);
    if (plan.run == RunKind::Normal) {
        FigureGroup group = measuredLongRunGroup(plan.setting, result.normal, result.batches);
        addMeasuredGaps(group, result.bigGaps, result.bonusGaps, result.bigGapBatches,
                        result.bonusGapBatches);
        report.groups.push_back(std::move(group));
    } else if (plan.run == RunKind::Day) {
        FigureGroup group = measuredDayGroup(plan.setting, result.attempt);
        addMeasuredOutcomeLaw(group, result.attempt);
        addMeasuredYen(group, result.attempt);
        report.groups.push_back(std::move(group));
        addHallRates(report, plan.rates, std::nullopt);
    } else {
        FigureGroup group = measuredAttemptGroup(plan.setting, plan.end, result.attempt);
        addMeasuredOutcomeLaw(group, result.attempt);
        addMeasuredYen(group, result.attempt);
        report.groups.push_back(std::move(group));
        addHallRates(report, plan.rates, std::nullopt);
    }
    const double speed =
        result.seconds > 0.0 ? static_cast<double>(result.gamesPlayed) / result.seconds : 0.0;
    report.timing = Timing{.seconds = result.seconds, .gamesPerSecond = speed};
    report.partial = result.interrupted || result.limit.has_value();
    if (result.limit) {
        addCounterAtLimit(report, result.limit->key, result.limit->shown, result.limit->thread);
    }
    return report;
}

}  // namespace korvale
