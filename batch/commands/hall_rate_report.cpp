#include "batch/commands/hall_rate_report.h"

#include <fmt/format.h>

#include <utility>

#include "common/random_source.h"

#include "analysis/attempt/attempt_start.h"
#include "analysis/outcome/cash_lots.h"
#include "batch/run/interrupt.h"

#include "batch/commands/exact_setup.h"
#include "batch/run/command_line_run.h"
#include "common/work_control.h"
#include "report/groups/yen_figures.h"

namespace korvale {

std::optional<CashSimulation> cashSimulation(const BatchOptions& options,
                                             std::int64_t defaultAttempts, bool exactLots) {
    if (options.rates.pay != CoinSource::Cash ||
        (exactLots && !options.attempts && !options.seed)) {
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

bool cashLotsExact(const BatchOptions& options, EndConditions end) {
    return options.rates.pay == CoinSource::Cash && !options.maxGames && endsAtFirstBig(end);
}

std::optional<CashLots> exactCashLots(std::int32_t setting, EndConditions end,
                                      const AttemptStart& start, const BatchOptions& options) {
    if (!cashLotsExact(options, end)) {
        return std::nullopt;
    }
    return solveFirstBigLots(machineModel(setting), start, options.rates.lend, interruptFlag());
}

CashTotals simulateCash(std::int32_t setting, const EndConditions& end, const BatchOptions& options,
                        const CashSimulation& simulation, ProgressBar* bar) {
    AttemptStartRule start{.sinceBig = options.sinceBig};
    if (options.sinceBig) {
        start.modeLaw = foundStart(machineModel(setting), *options.sinceBig).modeLaw;
    }
    const RunPlan plan{.run = RunKind::Special,
                       .setting = setting,
                       .amount = simulation.attempts,
                       .seconds = std::nullopt,
                       .end = end,
                       .maxGames = options.maxGames,
                       .rates = options.rates,
                       .start = start,
                       .threads = static_cast<int>(threadCount(options)),
                       .seed = simulation.seed};
    BatchResult result = runFromCommandLine(plan, nullptr, bar);
    if (result.interrupted) {
        throw WorkCancelled();
    }
    return std::move(result.attempt.cash);
}

std::optional<CashTotals> addYenGroups(std::vector<FigureGroup>& groups, FigureGroup exactGroup,
                                       const AttemptFigures& figures, const BatchOptions& options,
                                       const std::optional<CashSimulation>& cash,
                                       const std::optional<CashLots>& lots, ProgressBar* bar) {
    addExactYen(exactGroup, figures, options.rates, lots);
    groups.push_back(std::move(exactGroup));
    if (!cash) {
        return std::nullopt;
    }
    CashTotals measured = simulateCash(figures.setting, figures.end, options, *cash, bar);
    groups.push_back(cashGroup(figures, measured));
    return measured;
}

}  // namespace korvale
