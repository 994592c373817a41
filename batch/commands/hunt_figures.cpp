#include "batch/commands/hunt_figures.h"

#include <fmt/format.h>

#include <chrono>

#include "analysis/found/hunt_cash.h"
#include "analysis/found/hunt_table.h"
#include "analysis/inference/setting_estimate.h"
#include "batch/commands/exact_setup.h"
#include "batch/commands/hall_rate_report.h"
#include "report/groups/found_groups.h"

namespace korvale {

Report huntReport(const BatchOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = chosenSettings(options);
    const HuntTable table = solveHuntTable(
        options.end, options.huntGrid, settings, options.prior.value_or(uniformPrior),
        CostRounding::Unrounded, options.maxGames, {}, commandControl(options));
    Report report{.command = "hunt", .facts = settingFacts(options)};
    report.facts.push_back({"big_end", "BIG後", fmt::format("{}", options.end.bigEnd)});
    report.facts.push_back({"reg_end", "REG後", std::to_string(options.end.regEnd)});
    if (options.maxGames) {
        report.facts.push_back(maxGamesFact(*options.maxGames));
    }
    const HuntGrid& grid = options.huntGrid;
    Fact counts{.key = "games_since_big",
                .label = "最後のBIGからのゲーム数の格子",
                .shown = fmt::format("{}:{}:{}", grid.first, grid.last, grid.step),
                .isNumber = false};
    for (const std::int32_t g : table.gamesSinceBig) {
        counts.numbers.push_back(g);
    }
    report.facts.push_back(std::move(counts));
    for (Fact& fact : hallRateFacts(options.rates, std::nullopt)) {
        report.facts.push_back(std::move(fact));
    }
    if (table.mixture) {
        report.facts.push_back(priorFact(options.prior));
    }
    // From cash the yen are known where the lots are worked out: a rule that ends at the
    // first BIG, with no game limit.
    std::optional<HuntCash> cash;
    if (cashLotsExact(options, options.end)) {
        cash = solveHuntCash(table, options.end, options.rates, commandControl(options));
    }
    report.groups = huntGroups(table, options.end, options.rates, cash ? &*cash : nullptr);
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return report;
}

}  // namespace korvale
