#include "report/groups/hunt_figures.h"

#include <fmt/format.h>

#include "report/groups/found_groups.h"
#include "report/groups/run_facts.h"

namespace korvale {

Report huntReport(const HuntAsked& asked, const HuntTable& table, const HuntCash* cash) {
    Report report{.kind = ReportKind::Hunt};
    addSetting(report, asked.setting);
    report.facts.push_back({"big_end", "BIG後", fmt::format("{}", asked.end.bigEnd)});
    report.facts.push_back({"reg_end", "REG後", std::to_string(asked.end.regEnd)});
    if (asked.maxGames) {
        addMaxGames(report, *asked.maxGames);
    }
    const HuntGrid& grid = asked.grid;
    Fact counts{.key = "games_since_big",
                .label = "最後のBIGからのゲーム数の格子",
                .shown = fmt::format("{}:{}:{}", grid.first, grid.last, grid.step),
                .isNumber = false};
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
