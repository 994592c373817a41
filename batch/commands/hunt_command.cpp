#include "batch/commands/hunt_command.h"

#include <chrono>

#include "analysis/found/hunt_cash.h"
#include "analysis/found/hunt_table.h"
#include "analysis/inference/setting_estimate.h"
#include "batch/commands/exact_setup.h"
#include "batch/commands/hall_rate_report.h"
#include "report/groups/hunt_figures.h"

namespace korvale {

Report huntReport(const BatchOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = chosenSettings(options);
    const HuntTable table = solveHuntTable(
        options.end, options.huntGrid, settings, options.prior.value_or(uniformPrior),
        CostRounding::Unrounded, options.maxGames, {}, commandControl(options));
    // From cash the yen are known where the lots are worked out: a rule that ends at the
    // first BIG, with no game limit.
    std::optional<HuntCash> cash;
    if (cashLotsExact(options, options.end)) {
        cash = solveHuntCash(table, options.end, options.rates, commandControl(options));
    }
    Report report = huntReport({.setting = chosenSetting(options),
                                .end = options.end,
                                .maxGames = options.maxGames,
                                .grid = options.huntGrid,
                                .rates = options.rates,
                                .prior = options.prior},
                               table, cash ? &*cash : nullptr);
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return report;
}

}  // namespace korvale
