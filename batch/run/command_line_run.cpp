#include "batch/run/command_line_run.h"

#include <chrono>

#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"

namespace korvale {

RunPlan makePlan(const BatchOptions& options) {
    RunPlan plan;
    plan.run = options.command == Command::SimulateNormal ? RunKind::Normal : RunKind::Special;
    if (plan.run == RunKind::Normal && options.dayGames) {
        plan.run = RunKind::Day;
        plan.dayGames = *options.dayGames;
    }
    plan.setting = options.setting;
    plan.amount = requestedAmount(options);
    plan.seconds = options.seconds;
    plan.end = options.end;
    plan.maxGames = options.maxGames;
    plan.rates = options.rates;
    plan.start.sinceBig = options.sinceBig;
    plan.threads = static_cast<int>(threadCount(options));
    plan.seed = options.seed ? *options.seed : seedFromClock();
    return plan;
}

namespace {

using Clock = std::chrono::steady_clock;

// Clears the bar however the run ends, so that nothing of it is left.
struct ClearsBar {
    explicit ClearsBar(ProgressBar* shown) : bar(shown) {}
    ~ClearsBar() {
        if (bar != nullptr) {
            bar->clear();
        }
    }
    ClearsBar(const ClearsBar&) = delete;
    ClearsBar& operator=(const ClearsBar&) = delete;

    ProgressBar* bar;
};

}  // namespace

BatchResult runFromCommandLine(const RunPlan& plan, std::FILE* log, ProgressBar* bar) {
    WorkControl control{.cancel = interruptFlag()};
    if (bar != nullptr) {
        control.played = [bar, start = Clock::now()](double share, std::int64_t games) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const double speed = elapsed > 0.0 ? static_cast<double>(games) / elapsed : 0.0;
            const double left = share > 0.0 ? elapsed * (1.0 - share) / share : -1.0;
            bar->show(share, speed, left);
        };
    }
    const ClearsBar clears(bar);
    return runBatch(plan, log, control);
}

}  // namespace korvale
