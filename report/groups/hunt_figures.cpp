#include "report/groups/hunt_figures.h"

#include <fmt/format.h>

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

}  // namespace korvale
