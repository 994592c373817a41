// The real window on Qt's offscreen platform: each run kind pressed Start, left running for a
// second, stopped, and its games read from Text1; against the bare machine's loop and the
// write-through path. Also the results grid's memory per logged row.
//
//   build/release/bench/window_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
//       --benchmark_filter='BM_BareMachine|BM_WindowRun/attempts:0/write_through:0'

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "machine/cls_korvale.h"
#include "ui/analysis_window/drought_panel.h"
#include "ui/analysis_window/frm_analysis.h"
#include "ui/analysis_window/run_feed.h"
#include "ui/analysis_window/slump_panel.h"
#include "ui/controls/results_grid.h"
#include "ui/main_window/frm_main.h"

namespace {

using korvale::clsKorvale;
using korvale::frmMain;
using korvale::Xoshiro256PlusPlus;

// How long each run goes on: a second, or KORVALE_BENCH_RUN_MS milliseconds (under valgrind a
// second of the clock is only a few thousand games).
const int runMilliseconds = qEnvironmentVariableIsSet("KORVALE_BENCH_RUN_MS")
                                ? qEnvironmentVariableIntValue("KORVALE_BENCH_RUN_MS")
                                : 1000;

// Heap in use, large blocks that malloc maps separately included.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// CPU time of the calling thread: the run and its yields all take place on it.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The machine's own loop, as the machine benchmark plays it. Argument: setting index (設定６
// draws the most bonuses and lotteries).
void BM_BareMachine(benchmark::State& state) {
    Xoshiro256PlusPlus generator(12345);
    clsKorvale machine(generator);
    const auto setting = static_cast<std::int32_t>(state.range(0));
    machine.mlngSettei = setting;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    for (auto _ : state) {
        if (machine.mlngPlayCnt == 2147483647) [[unlikely]] {
            machine = clsKorvale(generator);
            machine.mlngSettei = setting;
        }
        benchmark::DoNotOptimize(machine.Play(num, mode, simauta));
    }
    state.counters["games_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
// Games per CPU second: 1 / the CPU time per iteration.
BENCHMARK(BM_BareMachine)->ArgName("setting")->Arg(0)->Arg(5);

// Arguments: run kind (0 per-mode, 1 attempts), write-through (1) or fast path (0), setting
// index (0 for 設定１ .. 5 for 設定６; 設定６ logs the most bonuses), and the analysis window:
// closed (-1) or open on the tab of that index (0 figures, 1 slump graph, 2 ハマり, 3 設定判別).
// One second of a run on the real window, the analysis window open on tab `analysisTab` (none
// for -1).
struct WindowRunResult {
    double games = 0;
    double seconds = 0;
    double cpuSeconds = 0;  // of the window's thread, where the run and its yields take place
    int gridRows = 0;
    double realYieldsPerSecond = 0;
    double longestYieldGapMs = 0;
    double stopToReturnMs = 0;
    double analysisRedrawsPerSecond = 0;

    double gamesPerCpuSecond() const { return games / cpuSeconds; }
};

WindowRunResult playWindowRun(bool attempts, bool writeThrough, int setting, int analysisTab) {
    Xoshiro256PlusPlus generator(987654321);
    frmMain window;
    window.setMachineFactory([&generator] { return std::make_unique<clsKorvale>(generator); });
    window.runDisplays().setWriteThrough(writeThrough);
    window.show();
    window.findChild<QComboBox*>("cmbSettei")->setCurrentIndex(setting);
    if (attempts) {
        window.findChild<QAbstractButton*>("opt(1)")->click();
    }
    std::unique_ptr<korvale::frmAnalysis> analysis;
    if (analysisTab >= 0) {
        // The exact figures and the law of an attempt are worked out once per setup and kept:
        // worked out here, before the run, the run measures the window's lasting cost, not the
        // one-off work of its first opening.
        const korvale::ExactSetup setup = korvale::exactSetupOf(korvale::RunSetup{
            true, attempts, setting, window.findChild<QLineEdit*>("txtBEnd")->text().toStdString(),
            window.findChild<QLineEdit*>("txtREnd")->text().toStdString()});
        korvale::solveExactFigures(setup);
        if (attempts) {
            korvale::solveExactLaw(setup);
        }
        analysis = std::make_unique<korvale::frmAnalysis>(window);
        analysis->tabs().setCurrentIndex(analysisTab);
        analysis->show();
    }
    // The windows painted once before Start, as the user sees them before pressing it: the run
    // is measured without the first painting of every control (fonts loaded, texts laid out).
    QApplication::processEvents();
    // Every real yield (events handled, displays repainted) is timed: the longest gap between
    // two is how long a click or a key press can wait.
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> realYields;
    realYields.reserve(4096);
    window.runDisplays().setYieldHook(
        [&realYields](korvale::YieldPoint) { realYields.push_back(Clock::now()); });
    auto* stop = window.findChild<QAbstractButton*>("cmdStop");
    Clock::time_point stopClicked;
    QTimer::singleShot(runMilliseconds, stop, [stop, &stopClicked] {
        stopClicked = Clock::now();
        stop->click();
    });
    const auto start = Clock::now();
    const double cpuStart = threadCpuSeconds();
    window.findChild<QAbstractButton*>("cmdStart")->click();
    WindowRunResult result;
    result.cpuSeconds = threadCpuSeconds() - cpuStart;
    const auto end = Clock::now();
    result.seconds = std::chrono::duration<double>(end - start).count();
    result.games = window.findChild<QLineEdit*>("Text1")->text().toDouble();
    result.gridRows = window.findChild<korvale::ResultsGrid*>("flex1")->rows() - 1;
    for (std::size_t i = 1; i < realYields.size(); ++i) {
        result.longestYieldGapMs = std::max(
            result.longestYieldGapMs,
            std::chrono::duration<double, std::milli>(realYields[i] - realYields[i - 1]).count());
    }
    result.realYieldsPerSecond = static_cast<double>(realYields.size()) / result.seconds;
    result.stopToReturnMs = std::chrono::duration<double, std::milli>(end - stopClicked).count();
    if (analysis) {
        result.analysisRedrawsPerSecond = static_cast<double>(analysis->redraws()) / result.seconds;
    }
    return result;
}

void BM_WindowRun(benchmark::State& state) {
    const bool attempts = state.range(0) == 1;
    const bool writeThrough = state.range(1) == 1;
    const int setting = static_cast<int>(state.range(2));
    const int analysisTab = static_cast<int>(state.range(3));
    for (auto _ : state) {
        const WindowRunResult run = playWindowRun(attempts, writeThrough, setting, analysisTab);
        state.SetIterationTime(run.seconds);
        state.counters["games_per_s"] = run.games / run.seconds;
        // On a shared machine the wall clock counts other programs' time too.
        state.counters["games_per_cpu_s"] = run.gamesPerCpuSecond();
        state.counters["grid_rows"] = run.gridRows;
        state.counters["real_yields_per_s"] = run.realYieldsPerSecond;
        state.counters["longest_yield_gap_ms"] = run.longestYieldGapMs;
        state.counters["stop_to_return_ms"] = run.stopToReturnMs;
        if (analysisTab >= 0) {
            state.counters["analysis_redraws_per_s"] = run.analysisRedrawsPerSecond;
        }
    }
}
BENCHMARK(BM_WindowRun)
    ->ArgNames({"attempts", "write_through", "setting", "analysis_tab"})
    ->Args({0, 0, 0, -1})
    ->Args({0, 0, 5, -1})
    ->Args({1, 0, 0, -1})
    ->Args({1, 0, 5, -1})
    ->Args({0, 1, 0, -1})
    ->Args({1, 1, 0, -1})
    ->Args({0, 0, 0, 0})
    ->Args({0, 0, 0, 1})
    ->Args({0, 0, 0, 2})
    ->Args({0, 0, 0, 3})
    ->Args({1, 0, 0, 0})
    ->Args({1, 0, 0, 1})
    ->Args({1, 0, 0, 2})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The analysis window's cost to a run: a run with the window closed and one with it open on
// tab `analysis_tab`, back to back (in turn which comes first), and the ratio of their games
// per CPU second. On a shared machine a run's speed drifts by tens of percent from one second
// to the next; the runs of a pair share the drift, so the median of the ratios over many
// pairs measures the window alone:
//
//   build/release/bench/window_bench --benchmark_filter=WindowOverhead
//       --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
void BM_WindowOverhead(benchmark::State& state) {
    const bool attempts = state.range(0) == 1;
    const int analysisTab = static_cast<int>(state.range(1));
    static int pairs = 0;
    for (auto _ : state) {
        const bool openFirst = pairs++ % 2 == 1;
        WindowRunResult open;
        WindowRunResult closed;
        if (openFirst) {
            open = playWindowRun(attempts, false, 0, analysisTab);
            closed = playWindowRun(attempts, false, 0, -1);
        } else {
            closed = playWindowRun(attempts, false, 0, -1);
            open = playWindowRun(attempts, false, 0, analysisTab);
        }
        state.SetIterationTime(open.seconds + closed.seconds);
        state.counters["open_to_closed"] = open.gamesPerCpuSecond() / closed.gamesPerCpuSecond();
        state.counters["closed_games_per_cpu_s"] = closed.gamesPerCpuSecond();
        state.counters["open_games_per_cpu_s"] = open.gamesPerCpuSecond();
    }
}
BENCHMARK(BM_WindowOverhead)
    ->ArgNames({"attempts", "analysis_tab"})
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A run left to itself until its counters reach their 32-bit limits: the time it takes, the
// games it played and the error it ended with. Argument: run kind (0 per-mode, 1 attempts).
// Run it alone: it takes half a minute.
void BM_RunToLimit(benchmark::State& state) {
    for (auto _ : state) {
        Xoshiro256PlusPlus generator(42);
        frmMain window;
        window.setMachineFactory([&generator] { return std::make_unique<clsKorvale>(generator); });
        QString message;
        window.setErrorReporter([&message](const QString& text) { message = text; });
        window.show();
        if (state.range(0) == 1) {
            window.findChild<QAbstractButton*>("opt(1)")->click();
        }
        QApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        window.findChild<QAbstractButton*>("cmdStart")->click();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        state.counters["games"] = window.findChild<QLineEdit*>("Text1")->text().toDouble();
        state.counters["grid_rows"] = window.findChild<korvale::ResultsGrid*>("flex1")->rows() - 1;
        state.SetLabel(message.toStdString());
    }
}
BENCHMARK(BM_RunToLimit)
    ->ArgName("attempts")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Heap bytes per logged row, model and view together: rows appended in batches to a grid on
// show, as a run's real yields hand them over, with events handled between batches.
void BM_GridMemoryPerRow(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    constexpr int batch = 2000;
    for (auto _ : state) {
        auto* grid = new korvale::ResultsGrid;
        grid->resize(209, 537);
        grid->setCols(3);
        grid->show();
        QApplication::processEvents();
        const std::size_t before = heapInUse();
        std::vector<std::string> cells;
        for (int done = 0; done < rows; done += batch) {
            cells.clear();
            for (int row = done; row < done + batch; ++row) {
                cells.push_back(row % 3 == 0 ? "REG" : "BIG");
                cells.push_back(std::to_string(1 + row % 1500));
                cells.push_back(std::to_string(row % 6));
            }
            grid->appendRows(batch, cells);
            grid->setTopRow(grid->rows() - 1);
            QApplication::processEvents();
        }
        cells = {};
        const std::size_t after = heapInUse();
        state.counters["bytes_per_row"] =
            static_cast<double>(after - before) / static_cast<double>(rows);
        state.counters["model_bytes_per_row"] =
            static_cast<double>(grid->gridModel().memoryBytes()) / static_cast<double>(rows);
        delete grid;
    }
}
BENCHMARK(BM_GridMemoryPerRow)
    ->Arg(1000000)
    ->Arg(4000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The analysis window's panels redrawn over a run at its 32-bit limit: 3.5 million logged
// bonuses (drawn from the machine's odds, not played), fed once, then each panel redrawn and
// painted. Also the bytes the graphs hold: tallies, envelopes, histograms and drawn points.
void BM_AnalysisRedraw(benchmark::State& state) {
    constexpr int rows = 3'500'000;
    Xoshiro256PlusPlus generator(7);
    korvale::RunRecord record;
    record.start(korvale::RunSetup{true, false, 0, "300", "100"});
    for (int row = 0; row < rows; ++row) {
        const double u = generator.nextFraction();
        const auto games =
            1 + static_cast<std::int32_t>(-204.0 * std::log(1.0 - generator.nextFraction()));
        const auto mode = static_cast<std::int8_t>(generator.nextFraction() * 6);
        record.add(korvale::BonusLogged{.games = games, .mode = mode, .big = u < 0.69});
    }
    korvale::RunFeed feed;
    feed.restart(record.setup());
    const auto fed = std::chrono::steady_clock::now();
    while (feed.catchUp(record)) {
    }
    const double feedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - fed).count();
    // The setting filter takes the rows only when its tab is first shown.
    const auto filtered = std::chrono::steady_clock::now();
    feed.catchUpFilter(record);
    const double filterSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - filtered).count();
    const auto gaps = std::make_shared<const korvale::LongRunGaps>(korvale::solveLongRunGaps(0));
    korvale::SlumpPanel slump;
    korvale::DroughtPanel drought;
    slump.resize(620, 540);
    drought.resize(620, 540);
    slump.show();
    drought.show();
    QApplication::processEvents();
    for (auto _ : state) {
        slump.redraw(feed, -0.1);
        drought.redraw(feed, gaps);
        benchmark::DoNotOptimize(slump.grab());
        benchmark::DoNotOptimize(drought.grab());
    }
    const korvale::ModeRunTally& tally = feed.modeTally();
    const auto histogramBytes = [](const korvale::CountHistogram& histogram) {
        return histogram.counts().capacity() * sizeof(std::int64_t);
    };
    const std::size_t drawnPoints = static_cast<std::size_t>(
        slump.netLine().count() + drought.bigGapLine().count() + drought.bonusGapLine().count() +
        drought.exactBigGapLine().count() + drought.exactBonusGapLine().count());
    state.counters["graph_bytes"] =
        static_cast<double>(sizeof tally + tally.slump().memoryBytes() +
                            histogramBytes(tally.bigGaps()) + histogramBytes(tally.bonusGaps()) +
                            korvale::ModeRunTally::maxBatches * sizeof(korvale::NormalTotals) +
                            drawnPoints * sizeof(QPointF));
    state.counters["drawn_points"] = static_cast<double>(drawnPoints);
    state.counters["feed_3.5M_rows_s"] = feedSeconds;
    state.counters["filter_3.5M_rows_s"] = filterSeconds;
}
BENCHMARK(BM_AnalysisRedraw)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
