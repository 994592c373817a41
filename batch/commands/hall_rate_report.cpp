#include "batch/commands/hall_rate_report.h"

#include <utility>

#include "common/random_source.h"

#include "analysis/attempt/attempt_start.h"
#include "analysis/found/hunt_cash.h"
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

bool cashLotsExact(const BatchOptions& options, EndConditions end) {
    return cashLotsExact(options.rates, options.maxGames, end);
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

MeasureCash cashMeasure(const BatchOptions& options, const std::optional<CashSimulation>& cash,
                        ProgressBar* bar) {
    return [&options, cash, bar](const AttemptFigures& figures) -> std::optional<CashTotals> {
        if (!cash) {
            return std::nullopt;
        }
        return simulateCash(figures.setting, figures.end, options, *cash, bar);
    };
}

}  // namespace korvale
