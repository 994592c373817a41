#include "play/parallel_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <latch>
#include <memory>

#include "common/parallel_work.h"
#include "play/grid_log_file.h"

namespace korvale {

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

// What the workers of one run share with the thread that watches them: the flag they all stop
// at, each one's counts, and the worker whose counter limit came first.
struct SharedRun {
    explicit SharedRun(std::size_t threads)
        : threads(threads), counts(std::make_unique<WorkerCounts[]>(threads)) {}

    void requestStop() { stop.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return stop.load(std::memory_order_relaxed); }
    std::int64_t sum(std::atomic<std::int64_t> WorkerCounts::*member) const {
        std::int64_t total = 0;
        for (std::size_t i = 0; i < threads; ++i) {
            total += (counts[i].*member).load(std::memory_order_relaxed);
        }
        return total;
    }

    std::size_t threads;
    std::unique_ptr<WorkerCounts[]> counts;
    std::atomic<bool> stop{false};
    std::atomic<int> firstLimit{-1};
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

// Tells the control the share done and the games played, from the workers' counts.
void tellProgress(const WorkControl& control, const RunPlan& plan, const SharedRun& shared,
                  double elapsed) {
    const std::int64_t games = shared.sum(&WorkerCounts::games);
    double fraction = 0.0;
    if (plan.seconds) {
        fraction = elapsed / *plan.seconds;
    } else if (plan.amount > 0) {
        const std::int64_t done =
            plan.run == RunKind::Normal ? games : shared.sum(&WorkerCounts::attempts);
        fraction = static_cast<double>(done) / static_cast<double>(plan.amount);
    }
    if (control.played) {
        control.played(fraction, games);
    }
    if (control.progress) {
        control.progress(std::min(fraction, 1.0));
    }
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

// Waits until every worker has returned, stopping them at the end of the time or when `control`
// is called off and telling it the progress meanwhile; true when it was called off.
bool watchWorkers(Workers& workers, const RunPlan& plan, SharedRun& shared,
                  const WorkControl& control, Clock::time_point start) {
    bool interrupted = false;
    // The call-off and the end of the time are looked for every 20 ms, the progress told every
    // 200.
    const auto look = std::chrono::milliseconds(20);
    const auto redraw = std::chrono::milliseconds(200);
    Clock::time_point nextDraw = start + redraw;
    for (bool finished = false; !finished;) {
        Clock::time_point wakeUp = Clock::now() + look;
        if (plan.seconds && !shared.stopRequested()) {
            const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(*plan.seconds));
            if (Clock::now() >= deadline) {
                shared.requestStop();  // the workers end within one block of games
            } else {
                wakeUp = std::min(wakeUp, deadline);
            }
        }
        finished = workers.waitUntil(wakeUp);
        if (control.calledOff() && !shared.stopRequested()) {
            shared.requestStop();
            interrupted = true;
        }
        if ((control.played || control.progress) && !finished && Clock::now() >= nextDraw) {
            tellProgress(control, plan, shared, secondsSince(start));
            nextDraw = Clock::now() + redraw;
        }
    }
    return interrupted;
}

// Writes the header, then the workers' parts in thread order; the system's reason when a write
// (or a worker's own) failed, 0 otherwise.
int writeLog(std::FILE* log, RunKind run, const std::vector<FileHandle>& parts,
             const std::vector<RunShare>& results) {
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

RunShare playRunShare(const RunPlan& plan, int thread, const WorkControl& control,
                      WorkerCounts& counts, std::FILE* log) {
    RunShare result;
    Xoshiro256PlusPlus stream = streamForThread(plan.seed, thread);
    std::optional<GridLog> gridLog;
    if (log != nullptr) {
        gridLog.emplace(log, thread);
    }
    GridLog* logTo = gridLog ? &*gridLog : nullptr;
    const std::int64_t share = shareOf(plan.amount, plan.threads, thread);
    if (plan.run == RunKind::Normal) {
        result.normal = playNormalShare(plan.setting, share, stream, control, counts, logTo);
    } else if (plan.run == RunKind::Day) {
        result.attempt = playDays(plan.setting, plan.dayGames, plan.rates, share, stream, control,
                                  counts, logTo);
    } else {
        result.attempt = playAttempts(plan.setting, plan.end, plan.maxGames, plan.start, plan.rates,
                                      share, stream, control, counts, logTo);
    }
    result.games = counts.games.load(std::memory_order_relaxed);
    if (counts.limit) {
        counts.limit->thread = thread;
        result.limit = counts.limit;
    }
    if (gridLog) {
        gridLog->flush();
        result.logError = gridLog->failure();
    }
    return result;
}

BatchResult mergeRunShares(const RunPlan& plan, std::vector<RunShare>& shares) {
    const auto moveAll = [](auto& into, auto& from) {
        into.insert(into.end(), std::make_move_iterator(from.begin()),
                    std::make_move_iterator(from.end()));
        from.clear();
    };
    BatchResult result;
    result.plan = plan;
    result.attempt.cash.rates = plan.rates;
    for (RunShare& share : shares) {
        result.gamesPlayed += share.games;
        if (share.limit && !result.limit) {
            result.limit = share.limit;
        }
        result.normal += share.normal.totals;
        moveAll(result.batches, share.normal.batches);
        result.attempt.merge(share.attempt);
        result.bigGaps.merge(share.normal.bigGaps);
        moveAll(result.bigGapBatches, share.normal.bigGapBatches);
        result.bonusGaps.merge(share.normal.bonusGaps);
        moveAll(result.bonusGapBatches, share.normal.bonusGapBatches);
    }
    return result;
}

BatchResult runBatch(const RunPlan& plan, std::FILE* log, const WorkControl& control) {
    const auto threadCount = static_cast<std::size_t>(plan.threads);
    SharedRun shared(threadCount);
    std::vector<RunShare> results(threadCount);
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
            const WorkControl worker{.cancel = &shared.stop};
            results[i] =
                playRunShare(plan, static_cast<int>(i), worker, shared.counts[i], parts[i].get());
            if (results[i].limit) {
                // The first limit reached is the run's; it ends the run as the end of the
                // time does.
                int none = -1;
                shared.firstLimit.compare_exchange_strong(none, static_cast<int>(i));
                shared.requestStop();
            }
        },
        [&shared] { shared.requestStop(); });
    try {
        for (std::size_t i = 0; i < threadCount; ++i) {
            workers.start(static_cast<unsigned>(i));
        }
    } catch (...) {
        shared.requestStop();
        gate.count_down();
        throw;
    }
    const Clock::time_point start = Clock::now();
    gate.count_down();
    const bool interrupted = watchWorkers(workers, plan, shared, control, start);
    workers.join();
    if (control.progress) {
        control.progress(1.0);
    }
    const double seconds = secondsSince(start);
    BatchResult result = mergeRunShares(plan, results);
    result.seconds = seconds;
    result.interrupted = interrupted;
    if (const int first = shared.firstLimit.load(); first >= 0) {
        result.limit = results[static_cast<std::size_t>(first)].limit;
    }
    if (log != nullptr) {
        result.logError = writeLog(log, plan.run, parts, results);
    }
    return result;
}

}  // namespace korvale
