// Times the exact analysis: all six settings' long-run figures and gap laws, one attempt's
// figures (with and without the exact rounding of its cost) and its outcome laws, and the full
// sweep of end conditions (BIG end 0..1000 by 50, REG end 0..300 by 50, six settings), and a
// day's law at its end alone against the same at each twentieth of the day (the window's band),
// and the lots bought from cash in an attempt that ends at its first BIG.

#include <benchmark/benchmark.h>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_start.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/long_run/gap_law.h"
#include "analysis/long_run/long_run.h"
#include "analysis/model/machine_model.h"
#include "analysis/outcome/cash_lots.h"
#include "analysis/outcome/day_law.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"

namespace {

void BM_LongRunAllSettings(benchmark::State& state) {
    for (auto _ : state) {
        for (std::int32_t setting = 0; setting < korvale::settingCount; ++setting) {
            benchmark::DoNotOptimize(korvale::solveLongRun(setting));
        }
    }
}
BENCHMARK(BM_LongRunAllSettings)->Unit(benchmark::kMillisecond);

void BM_LongRunGapsAllSettings(benchmark::State& state) {
    for (auto _ : state) {
        for (std::int32_t setting = 0; setting < korvale::settingCount; ++setting) {
            benchmark::DoNotOptimize(korvale::solveLongRunGaps(setting));
        }
    }
}
BENCHMARK(BM_LongRunGapsAllSettings)->Unit(benchmark::kMillisecond);

// The laws of one attempt's net coins, games and BIGs. Arguments: setting index, BIG end,
// REG end, threads (0: as many as the machine has; timed by the wall clock).
void BM_OutcomeLaw(benchmark::State& state) {
    const auto setting = static_cast<std::int32_t>(state.range(0));
    const korvale::EndConditions end{static_cast<double>(state.range(1)),
                                     static_cast<std::int32_t>(state.range(2))};
    const auto threads = static_cast<unsigned>(state.range(3));
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveOutcomeLaw(setting, end, {}, {.threads = threads}));
    }
}
BENCHMARK(BM_OutcomeLaw)
    ->ArgNames({"setting", "big_end", "reg_end", "threads"})
    ->Args({0, 0, 0, 1})
    ->Args({0, 10, 0, 1})
    ->Args({5, 10, 5, 1})
    ->Args({0, 300, 100, 1})
    ->Args({0, 300, 100, 0})
    ->Args({5, 300, 100, 0})
    ->Args({0, 1000, 300, 0})
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// One rule's risk figures, as the sweep works them out (the head of its net law, one
// thread). Arguments: setting index, BIG end, REG end.
void BM_RuleRisk(benchmark::State& state) {
    const auto setting = static_cast<std::int32_t>(state.range(0));
    const korvale::EndConditions end{static_cast<double>(state.range(1)),
                                     static_cast<std::int32_t>(state.range(2))};
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveRuleRisk(setting, end, {}, {.threads = 1}));
    }
}
BENCHMARK(BM_RuleRisk)
    ->ArgNames({"setting", "big_end", "reg_end"})
    ->Args({0, 0, 0})
    ->Args({0, 300, 100})
    ->Args({0, 1000, 300})
    ->Args({5, 300, 100})
    ->Args({5, 1000, 300})
    // A REG end above the BIG end + 1: the law of its own.
    ->Args({0, 0, 300})
    ->Args({0, 250, 300})
    ->Args({5, 0, 300})
    ->Args({5, 250, 300})
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kSecond);

// Arguments: setting index, BIG end, REG end.
void BM_Attempt(benchmark::State& state) {
    const auto setting = static_cast<std::int32_t>(state.range(0));
    const korvale::EndConditions end{static_cast<double>(state.range(1)),
                                     static_cast<std::int32_t>(state.range(2))};
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveAttempt(setting, end));
    }
}
BENCHMARK(BM_Attempt)
    ->Args({0, 300, 100})
    ->Args({0, 1000, 300})
    ->Args({0, 0, 300})
    ->Unit(benchmark::kMillisecond);

// The same with the cost's per-attempt rounding worked out exactly: one solve per pair of
// conjugate roots of the rounding's period (250 games for setting indexes 0..4, 1000 for index
// 5), a block of roots at a time, or for long attempts the law of their games (index 5 from
// BIG ends of about 500 on).
void BM_AttemptExactRounding(benchmark::State& state) {
    const auto setting = static_cast<std::int32_t>(state.range(0));
    const korvale::EndConditions end{static_cast<double>(state.range(1)),
                                     static_cast<std::int32_t>(state.range(2))};
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveAttempt(setting, end, korvale::CostRounding::Exact));
    }
}
BENCHMARK(BM_AttemptExactRounding)
    ->Args({0, 300, 100})
    ->Args({5, 300, 100})
    ->Args({5, 0, 250})
    ->Args({5, 1000, 300})
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kSecond);

// Argument: threads.
void BM_FullSweep(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::sweepEndConditions(
            {}, {0, 1, 2, 3, 4, 5}, {.threads = static_cast<unsigned>(state.range(0))}));
    }
}
BENCHMARK(BM_FullSweep)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kSecond);

// Arguments: the day's games, and how many counts of it are asked for (1: its end only; 20:
// each twentieth, as the window's band asks). 設定６, the longest BIG count's tail; two threads.
void BM_DayLaw(benchmark::State& state) {
    const auto games = static_cast<std::int32_t>(state.range(0));
    const auto counts = static_cast<std::int32_t>(state.range(1));
    std::vector<std::int32_t> asked;
    for (std::int32_t k = 1; k <= counts; ++k) {
        asked.push_back(games * k / counts);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            korvale::solveDayLaws(korvale::machineModel(5), asked, {.threads = 2}));
    }
}
BENCHMARK(BM_DayLaw)
    ->Args({8000, 1})
    ->Args({8000, 20})
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kSecond);

}  // namespace

// The lots bought from cash on a machine found G games after its BIG, quit at the first BIG:
// six settings, as `exact --since-big G --big-end 0 --reg-end 0 --pay cash` works them out.
void BM_FirstBigCashLots(benchmark::State& state) {
    const auto sinceBig = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        for (std::int32_t setting = 0; setting < korvale::settingCount; ++setting) {
            const korvale::MachineModel model = korvale::machineModel(setting);
            benchmark::DoNotOptimize(
                korvale::solveFirstBigLots(model, korvale::foundStart(model, sinceBig), 50));
        }
    }
}
BENCHMARK(BM_FirstBigCashLots)->Arg(0)->Arg(1200)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
