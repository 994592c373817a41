// Times the setting filter: bonuses taken per second, all six settings together on one core,
// over a long history of the machine's own bonuses; the setting estimate's one-off work (the
// outlook's backward pass) and one estimate.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "analysis/inference/setting_estimate.h"
#include "common/random_source.h"
#include "machine/cls_korvale.h"

namespace {

using namespace korvale;

// The bonuses of a machine of `setting` played from the morning.
std::vector<ObservedBonus> machineBonuses(std::int32_t setting, std::size_t count) {
    Xoshiro256PlusPlus random(7);
    clsKorvale machine(random);
    machine.mlngSettei = setting;
    std::vector<ObservedBonus> bonuses;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    while (bonuses.size() < count) {
        const std::string& result = machine.Play(num, mode, simauta);
        if (!result.empty()) {
            bonuses.push_back({result == "BIG" ? BonusKind::Big : BonusKind::Reg, num});
        }
    }
    return bonuses;
}

// Argument: the setting index the history was played on.
void BM_FilterBonuses(benchmark::State& state) {
    const std::vector<ObservedBonus> bonuses =
        machineBonuses(static_cast<std::int32_t>(state.range(0)), 1 << 17);
    const SettingFilter morning(HistoryStart::Morning);
    for (auto _ : state) {
        SettingFilter filter = morning;
        for (const ObservedBonus& bonus : bonuses) {
            filter.addBonus(bonus);
        }
        benchmark::DoNotOptimize(filter.state(0).logLikelihood);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(bonuses.size()));
}
BENCHMARK(BM_FilterBonuses)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_EstimatorTables(benchmark::State& state) {
    const SettingModels models = machineModels();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SettingEstimator(models, 1000));
    }
}
BENCHMARK(BM_EstimatorTables)->Unit(benchmark::kMillisecond);

// Argument: 0 from the morning, 1 joined before the first BIG (the joint law over the games
// since the last BIG).
void BM_Estimate(benchmark::State& state) {
    const SettingEstimator estimator(machineModels(), 1000);
    const bool joined = state.range(0) == 1;
    SettingFilter filter(joined ? HistoryStart::Joined : HistoryStart::Morning);
    filter.addBonus(BonusKind::Reg, 300);
    if (!joined) {
        filter.addBonus(BonusKind::Big, 200);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(estimator.estimate(filter, 100).value());
    }
}
BENCHMARK(BM_Estimate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
