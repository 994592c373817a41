// Play in a loop against the floor: a loop that only takes fractions from the same generator,
// through the same interface the machine uses.

#include <benchmark/benchmark.h>

#include "machine/cls_korvale.h"

namespace {

using korvale::clsKorvale;
using korvale::RandomSource;
using korvale::Xoshiro256PlusPlus;

// The floor: fractions taken as the machine takes them, through a RandomSource pointer whose
// target the compiler cannot see, so the generator's state lives in memory as it does for a
// machine.
void BM_FractionFloor(benchmark::State& state) {
    Xoshiro256PlusPlus generator(12345);
    RandomSource* source = &generator;
    benchmark::DoNotOptimize(source);
    for (auto _ : state) {
        benchmark::DoNotOptimize(source->nextFraction());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FractionFloor);

// For reference: the generator inlined with its state in registers, which no machine gets.
void BM_FractionInlined(benchmark::State& state) {
    Xoshiro256PlusPlus generator(12345);
    for (auto _ : state) {
        benchmark::DoNotOptimize(generator.nextFraction());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FractionInlined);

void BM_Play(benchmark::State& state) {
    Xoshiro256PlusPlus generator(12345);
    clsKorvale machine(generator);
    machine.mlngSettei = static_cast<std::int32_t>(state.range(0));
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    // Google Benchmark runs at most 10^9 iterations per run, so the game counter never reaches
    // its 32-bit limit here.
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine.Play(num, mode, simauta));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Play)->Arg(0)->Arg(5);

void BM_Get差枚(benchmark::State& state) {
    Xoshiro256PlusPlus generator(12345);
    clsKorvale machine(generator);
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    for (int i = 0; i < 100000; ++i) {
        machine.Play(num, mode, simauta);
    }
    std::string rate;
    std::int32_t obtained = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine.get差枚(rate, obtained));
    }
}
BENCHMARK(BM_Get差枚);

}  // namespace

BENCHMARK_MAIN();
