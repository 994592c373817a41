#include "batch/run/batch_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <latch>
#include <memory>

#include "batch/run/grid_log_file.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/parallel_work.h"

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

Xoshiro256PlusPlus streamForThread(std::uint64_t seed, int thread) {
    Xoshiro256PlusPlus stream(seed);
    for (int i = 0; i < thread; ++i) {
        stream.jump();
    }
    return stream;
}

std::int64_t shareOf(std::int64_t amount, int threads, int thread) {
    if (amount < 0) {
        return -1;
    }
    return amount / threads + (thread < amount % threads ? 1 : 0);
}

namespace {

using Clock = std::chrono::steady_clock;

// What one worker hands back.
struct WorkerResult {
    NormalShare normal;
    AttemptTotals attempt;
    int logError = 0;  // writing the worker's part of the log failed, with this reason
};

struct ClosesFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, ClosesFile>;

// The system's reason when a read or a write failed, 0 when the copy is whole.
int copyInto(std::FILE* from, std::FILE* to) {
    std::rewind(from);
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, from)) > 0) {
        if (std::fwrite(buffer, 1, got, to) != got) {
            return errno != 0 ? errno : EIO;
        }
    }
    return std::ferror(from) != 0 ? (errno != 0 ? errno : EIO) : 0;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Redraws the progress bar from the workers' counters.
void showProgress(ProgressBar& bar, const RunPlan& plan, const RunControl& control,
                  double elapsed) {
    const double games = static_cast<double>(control.games());
    const double speed = elapsed > 0.0 ? games / elapsed : 0.0;
    double fraction = 0.0;
    if (plan.seconds) {
        fraction = elapsed / *plan.seconds;
    } else if (plan.amount > 0) {
        const double done =
            static_cast<double>(plan.run == RunKind::Normal ? control.games() : control.attempts());
        fraction = done / static_cast<double>(plan.amount);
    }
    const double left = fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : -1.0;
    bar.show(fraction, speed, left);
}

// A scratch file for each worker's part of the log; none without a log.
std::vector<FileHandle> scratchParts(std::size_t threadCount, bool logged) {
    std::vector<FileHandle> parts(threadCount);
    if (logged) {
        for (auto& part : parts) {
            part.reset(std::tmpfile());
            if (!part) {
                throw StatusError(StatusReason::FileNotWritten,
                                  "cannot create a scratch file for the log");
            }
        }
    }
    return parts;
}

// Worker `i`'s share of the run, its grid rows to `part` when that is not null.
void playShare(const RunPlan& plan, RunControl& control, unsigned i, std::FILE* part,
               WorkerResult& result) {
    const int thread = static_cast<int>(i);
    Xoshiro256PlusPlus stream = streamForThread(plan.seed, thread);
    std::optional<GridLog> gridLog;
    if (part != nullptr) {
        gridLog.emplace(part, thread);
    }
    GridLog* logTo = gridLog ? &*gridLog : nullptr;
    const std::int64_t share = shareOf(plan.amount, plan.threads, thread);
    if (plan.run == RunKind::Normal) {
        result.normal = playNormalShare(plan.setting, share, stream, control, thread, logTo);
    } else if (plan.run == RunKind::Day) {
        result.attempt = playDays(plan.setting, plan.dayGames, plan.rates, share, stream, control,
                                  thread, logTo);
    } else {
        result.attempt = playAttempts(plan.setting, plan.end, plan.maxGames, plan.start, plan.rates,
                                      share, stream, control, thread, logTo);
    }
    if (gridLog) {
        gridLog->flush();
        result.logError = gridLog->failure();
    }
}

// Waits until every worker has returned, stopping them at the end of the time or at Ctrl-C
// and redrawing the bar meanwhile; true when Ctrl-C stopped them.
bool watchWorkers(Workers& workers, const RunPlan& plan, RunControl& control, ProgressBar* bar,
                  Clock::time_point start) {
    bool interrupted = false;
    // Ctrl-C and the end of the time are looked for every 20 ms, the bar redrawn every 200.
    const auto look = std::chrono::milliseconds(20);
    const auto redraw = std::chrono::milliseconds(200);
    Clock::time_point nextDraw = start + redraw;
    for (bool finished = false; !finished;) {
        Clock::time_point wakeUp = Clock::now() + look;
        if (plan.seconds && !control.stopRequested()) {
            const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(*plan.seconds));
            if (Clock::now() >= deadline) {
                control.requestStop();  // the workers end within one block of games
            } else {
                wakeUp = std::min(wakeUp, deadline);
            }
        }
        finished = workers.waitUntil(wakeUp);
        if (interruptRequested() && !control.stopRequested()) {
            control.requestStop();
            interrupted = true;
        }
        if (bar != nullptr && !finished && Clock::now() >= nextDraw) {
            showProgress(*bar, plan, control, secondsSince(start));
            nextDraw = Clock::now() + redraw;
        }
    }
    return interrupted;
}

// The workers' figures merged in thread order. Their batches are moved, not copied: with
// many threads they are most of the run's memory.
void mergeResults(std::vector<WorkerResult>& results, BatchResult& result) {
    const auto moveAll = [](auto& into, auto& from) {
        into.insert(into.end(), std::make_move_iterator(from.begin()),
                    std::make_move_iterator(from.end()));
        from.clear();
    };
    result.attempt.cash.rates = result.plan.rates;
    for (WorkerResult& worker : results) {
        result.normal += worker.normal.totals;
        moveAll(result.batches, worker.normal.batches);
        result.attempt.merge(worker.attempt);
        result.bigGaps.merge(worker.normal.bigGaps);
        moveAll(result.bigGapBatches, worker.normal.bigGapBatches);
        result.bonusGaps.merge(worker.normal.bonusGaps);
        moveAll(result.bonusGapBatches, worker.normal.bonusGapBatches);
    }
}

// Writes the header, then the workers' parts in thread order; the system's reason when a write
// (or a worker's own) failed, 0 otherwise.
int writeLog(std::FILE* log, RunKind run, const std::vector<FileHandle>& parts,
             const std::vector<WorkerResult>& results) {
    int logError = 0;
    errno = 0;
    const std::string header =
        run == RunKind::Normal ? GridLog::bonusHeader() : GridLog::attemptHeader();
    if (std::fputs(header.c_str(), log) < 0) {
        logError = errno != 0 ? errno : EIO;
    }
    for (std::size_t i = 0; i < parts.size() && logError == 0; ++i) {
        logError = results[i].logError != 0 ? results[i].logError : copyInto(parts[i].get(), log);
    }
    if (logError == 0 && std::fflush(log) != 0) {
        logError = errno != 0 ? errno : EIO;
    }
    return logError;
}

}  // namespace

BatchResult runBatch(const RunPlan& plan, std::FILE* log, ProgressBar* bar) {
    const auto threadCount = static_cast<std::size_t>(plan.threads);
    RunControl control(plan.threads);
    std::vector<WorkerResult> results(threadCount);
    // Every worker logs to a scratch file of its own; they are joined in thread order at the
    // end, so the log is the same whatever the timing.
    const std::vector<FileHandle> parts = scratchParts(threadCount, log != nullptr);

    // The workers wait at the gate until every one has been started: a thread that played at
    // once would take the cores from the one starting the others, and with many threads the
    // start alone would outlast --seconds and leave Ctrl-C unseen.
    std::latch gate(1);
    // A worker that fails stops the others within one block of games.
    Workers workers(
        [&](unsigned i) {
            gate.wait();
            playShare(plan, control, i, parts[i].get(), results[i]);
        },
        [&control] { control.requestStop(); });
    try {
        for (std::size_t i = 0; i < threadCount; ++i) {
            workers.start(static_cast<unsigned>(i));
        }
    } catch (...) {
        control.requestStop();
        gate.count_down();
        throw;
    }
    const Clock::time_point start = Clock::now();
    gate.count_down();
    const bool interrupted = watchWorkers(workers, plan, control, bar, start);
    try {
        workers.join();
    } catch (...) {
        if (bar != nullptr) {
            bar->clear();
        }
        throw;
    }
    BatchResult result;
    result.plan = plan;
    result.seconds = secondsSince(start);
    result.gamesPlayed = control.games();
    result.interrupted = interrupted;
    result.limit = control.limit();
    if (bar != nullptr) {
        bar->clear();
    }
    mergeResults(results, result);
    if (log != nullptr) {
        result.logError = writeLog(log, plan.run, parts, results);
    }
    return result;
}

}  // namespace korvale
