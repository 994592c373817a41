#include "report/groups/hunt_figures.h"

#include <fmt/format.h>

#include <chrono>

#include "analysis/inference/setting_estimate.h"
#include "report/groups/found_groups.h"
#include "report/groups/run_facts.h"
#include "report/model/fact_catalogue.h"

namespace korvale {

Report huntReport(const HuntAsked& asked, const HuntTable& table, const HuntCash* cash) {
    Report report{.kind = ReportKind::Hunt};
    addSetting(report, asked.setting);
    addEnd(report, asked.end);
    if (asked.maxGames) {
        addMaxGames(report, *asked.maxGames);
    }
    if (asked.meansOnly) {
        addMeansOnly(report);
    }
    const HuntGrid& grid = asked.grid;
    Fact counts = makeFact(fact::huntGrid, "",
                           fmt::format("{}:{}:{}", grid.first, grid.last, grid.step), false);
    for (const std::int32_t g : table.gamesSinceBig) {
        counts.numbers.push_back(g);
    }
    report.facts.push_back(std::move(counts));
    addHallRates(report, asked.rates, std::nullopt);
    if (table.mixture) {
        report.facts.push_back(priorFact(asked.prior));
    }
    report.groups = huntGroups(table, asked.end, asked.rates, cash);
    return report;
}

Report solveHuntReport(const HuntAsked& asked, const WorkControl& control) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = asked.setting
                                                   ? std::vector<std::int32_t>{*asked.setting}
                                                   : std::vector<std::int32_t>{0, 1, 2, 3, 4, 5};
    const HuntTable table =
        solveHuntTable(asked.end, asked.grid, settings, asked.prior.value_or(uniformPrior),
                       CostRounding::Unrounded, asked.maxGames, {}, control,
                       asked.meansOnly ? HuntChances::MeansOnly : HuntChances::WithAhead);
    std::optional<HuntCash> cash;
    if (cashLotsExact(asked.rates, asked.maxGames, asked.end)) {
        cash = solveHuntCash(table, asked.end, asked.rates, control);
    }
    Report report = huntReport(asked, table, cash ? &*cash : nullptr);
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return report;
}

}  // namespace korvale
