// The waits a player sees, one benchmark each, timed by the wall clock on two threads, with
// the CPU time of every thread beside it (on a loaded machine the figure to go by;
// bench/timings-2026-12-10.md's "Waits a player sees" gives the goals and the figures measured):
//   - ヤメ時 for one setting: every rule's means, then every rule's risk, with the moment the
//     last rule of the setting's efficient frontier had its risk (the first useful answer);
//   - 一日の収支: a day of 8000 games of one setting;
//   - the 狙い目 table as `hunt` draws it by default (all six settings and their mixture);
//   - one attempt's laws from a machine found G games after its last BIG, against the same
//     rule's laws from the morning.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/found/hunt_table.h"
#include "analysis/model/machine_model.h"
#include "analysis/outcome/day_law.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Argument: setting index. Counters: means_s, when every rule's means were in; first_answer_s,
// when the last rule on the frontier had its risk (the frontier is then final); the time is the
// whole setting's.
void BM_QuitRulesOfOneSetting(benchmark::State& state) {
    const auto setting = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        // The means alone first, as the sweep begins with them.
        const Clock::time_point meansStart = Clock::now();
        benchmark::DoNotOptimize(korvale::sweepEndConditions({}, {setting}, {.threads = 2}));
        const double meansDone = secondsSince(meansStart);
        const Clock::time_point start = Clock::now();
        std::mutex lock;
        std::vector<double> arrivedAt(korvale::sweepPoints({}).size(), 0.0);
        const korvale::RuleRiskArrived arrived = [&](std::int32_t, std::size_t point,
                                                     const korvale::AttemptFigures&,
                                                     const korvale::RuleRisk&) {
            const std::lock_guard<std::mutex> held(lock);
            arrivedAt[point] = secondsSince(start);
        };
        const korvale::WorkControl control{.threads = 2};
        const korvale::RuleRiskSweep sweep =
            korvale::sweepRuleRisksSoFar({}, {setting}, true, arrived, control);
        state.SetIterationTime(secondsSince(start));
        double firstAnswer = 0.0;
        const korvale::SettingRuleRisks& one = sweep.settings.front();
        for (std::size_t p = 0; p < one.onFrontier.size(); ++p) {
            if (one.onFrontier[p]) {
                firstAnswer = std::max(firstAnswer, arrivedAt[p]);
            }
        }
        state.counters["means_s"] = meansDone;
        state.counters["first_answer_s"] = firstAnswer;
    }
}
BENCHMARK(BM_QuitRulesOfOneSetting)
    ->ArgName("setting")
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(3)
    ->MeasureProcessCPUTime()
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Argument: setting index; a day of 8000 games at its end alone.
void BM_DayOf8000Games(benchmark::State& state) {
    const korvale::MachineModel model =
        korvale::machineModel(static_cast<std::int32_t>(state.range(0)));
    const std::array<std::int32_t, 1> games = {8000};
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveDayLaws(model, games, {.threads = 2}));
    }
}
BENCHMARK(BM_DayOf8000Games)
    ->ArgName("setting")
    ->Arg(1)
    ->Arg(5)
    ->Iterations(1)
    ->Repetitions(3)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// `hunt` with its defaults: the grid 0..1500 by 50, quitting at the first BIG, all six settings
// under an even prior and their mixture. Argument: threads.
void BM_HuntDefaults(benchmark::State& state) {
    const korvale::SettingVector even = {1, 1, 1, 1, 1, 1};
    const auto threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveHuntTable(
            {0.0, 0}, korvale::HuntGrid{}, {0, 1, 2, 3, 4, 5}, even,
            korvale::CostRounding::Unrounded, std::nullopt, {}, {.threads = threads}));
    }
}
BENCHMARK(BM_HuntDefaults)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Repetitions(5)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// `exact --since-big G --laws` for one setting against the same rule from the morning.
// Arguments: setting index, BIG end, REG end, G (-1: the morning's new machine).
void BM_FoundLaws(benchmark::State& state) {
    const auto setting = static_cast<std::int32_t>(state.range(0));
    const korvale::EndConditions end{static_cast<double>(state.range(1)),
                                     static_cast<std::int32_t>(state.range(2))};
    const auto g = static_cast<std::int32_t>(state.range(3));
    const korvale::AttemptStart start =
        g < 0 ? korvale::morningStart() : korvale::foundStart(korvale::machineModel(setting), g);
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvale::solveOutcomeLaw(setting, end, start, {.threads = 2}));
    }
}
BENCHMARK(BM_FoundLaws)
    ->ArgNames({"setting", "big_end", "reg_end", "since_big"})
    ->Args({1, 300, 100, -1})
    ->Args({1, 300, 100, 0})
    ->Args({1, 300, 100, 700})
    ->Args({1, 300, 100, 1400})
    ->Args({1, 300, 100, 1500})
    ->Args({1, 0, 0, -1})
    ->Args({1, 0, 0, 1500})
    ->Iterations(1)
    ->Repetitions(3)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
