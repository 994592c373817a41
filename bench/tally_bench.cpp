// Times what follows play in a run of attempts: the threads' tallies merged into one, then the
// queries the report asks of it (mean, shares, percentiles). The values have the shape of an
// attempt's games and net coins when the longest wait is `wait` games: games spread over
// 0..wait and a tail past it, net coins from about -3 a game up to some thousands.
// Arguments: longest wait, attempts, threads whose tallies are merged.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "analysis/measured/value_tally.h"

namespace {

// A small fixed generator, so that every run times the same values.
class Lcg {
  public:
    std::uint64_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return state_ >> 33;
    }

  private:
    std::uint64_t state_ = 1;
};

std::vector<korvale::Tally> threadTallies(std::int64_t wait, std::int64_t attempts,
                                          std::int64_t threads) {
    Lcg random;
    std::vector<korvale::Tally> tallies(static_cast<std::size_t>(threads));
    for (std::int64_t i = 0; i < attempts; ++i) {
        const auto games = static_cast<std::int64_t>(random.next() % static_cast<std::uint64_t>(
                                                                        wait + wait / 4 + 1));
        const auto bigs = static_cast<std::int64_t>(random.next() % 8);
        korvale::Tally& tally = tallies[static_cast<std::size_t>(i % threads)];
        tally.add(400 * bigs - 3 * games);
    }
    return tallies;
}

void BM_TallyMergeAndQuery(benchmark::State& state) {
    const std::vector<korvale::Tally> tallies =
        threadTallies(state.range(0), state.range(1), state.range(2));
    for (auto _ : state) {
        korvale::Tally all;
        for (const korvale::Tally& one : tallies) {
            all.merge(one);
        }
        benchmark::DoNotOptimize(all.meanInterval());
        benchmark::DoNotOptimize(all.shareAtLeast(0));
        for (const double q : {0.05, 0.25, 0.5, 0.75, 0.95}) {
            benchmark::DoNotOptimize(all.quantileInterval(q));
        }
        state.counters["cells_read"] = static_cast<double>(all.cellsRead());
    }
}
BENCHMARK(BM_TallyMergeAndQuery)
    ->ArgNames({"wait", "attempts", "threads"})
    ->Args({1600, 30, 1})
    ->Args({1600, 30, 2})
    ->Args({1800, 20000, 2})
    ->Args({2000, 1000, 2})
    ->Args({2000, 1000000, 2})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
