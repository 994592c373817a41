#include "batch/commands/hall_rate_report.h"

#include <fmt/format.h>

#include <utility>

#include "common/random_source.h"

#include "batch/commands/exact_setup.h"
#include "batch/run/batch_run.h"
#include "common/work_control.h"
#include "report/groups/yen_figures.h"

namespace korvale {

std::optional<CashSimulation> cashSimulation(const BatchOptions& options,
                                             std::int64_t defaultAttempts) {
    if (options.rates.pay != CoinSource::Cash) {
        return std::nullopt;
    }
    return CashSimulation{.attempts = options.attempts.value_or(defaultAttempts),
                          .seed = options.seed ? *options.seed : seedFromClock()};
}

std::vector<Fact> hallRateFacts(const HallRates& rates, const std::optional<CashSimulation>& cash) {
    const bool fromCash = rates.pay == CoinSource::Cash;
    std::vector<Fact> facts = {
        {"lend", "貸出枚数/千円", std::to_string(rates.lend)},
        {"exchange", "交換枚数/百円", fmt::format("{}", rates.exchange)},
        {.key = "pay",
         .label = "元手",
         .value = fromCash ? "cash" : "coins",
         .shown = fromCash ? "現金" : "貯メダル",
         .isNumber = false},
        {"games_per_hour", "プレイ数/時", fmt::format("{}", rates.gamesPerHour)},
    };
    if (cash) {
        facts.push_back(
            {"cash_attempts", "投資を実測した挑戦回数", std::to_string(cash->attempts)});
        facts.push_back({"seed", "シード", std::to_string(cash->seed)});
    }
    return facts;
}

CashTotals simulateCash(std::int32_t setting, const EndConditions& end, const BatchOptions& options,
                        const CashSimulation& simulation) {
    const RunPlan plan{.run = RunKind::Special,
                       .setting = setting,
                       .amount = simulation.attempts,
                       .seconds = std::nullopt,
                       .end = end,
                       .maxGames = options.maxGames,
                       .rates = options.rates,
                       .start = {.sinceBig = options.sinceBig},
                       .threads = static_cast<int>(threadCount(options)),
                       .seed = simulation.seed};
    BatchResult result = runBatch(plan, nullptr, nullptr);
    if (result.interrupted) {
        throw WorkCancelled();
    }
    return std::move(result.attempt.cash);
}

void addYenGroups(std::vector<FigureGroup>& groups, FigureGroup exactGroup,
                  const AttemptFigures& figures, const BatchOptions& options,
                  const std::optional<CashSimulation>& cash) {
    addExactYen(exactGroup, figures, options.rates);
    groups.push_back(std::move(exactGroup));
    if (cash) {
        groups.push_back(
            cashGroup(figures, simulateCash(figures.setting, figures.end, options, *cash)));
    }
}

}  // namespace korvale
