#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/random_source.h"
#include "common/work_control.h"
#include "play/attempt_run.h"
#include "play/counter_limit.h"
#include "play/day_run.h"
#include "play/normal_run.h"

namespace korvale {

// The window's "通常" and "特別", and days at the hall (new machines from the morning played
// for a day's games each).
enum class RunKind { Normal, Special, Day };

// A run with every default settled: what runBatch needs. The command line makes one from its
// options (makePlan).
struct RunPlan {
    RunKind run = RunKind::Normal;
    std::int32_t setting = 0;
    std::int64_t amount = 0;        // games (normal), attempts (special), days; -1 with seconds
    std::int32_t dayGames = 0;      // day: the games of each day
    std::optional<double> seconds;  // play until this much time has passed
    EndConditions end;
    std::optional<std::int32_t> maxGames;  // special: each attempt ends at this game at the latest
    HallRates rates;                       // what the attempts are worth in yen
    AttemptStartRule start;                // special: the morning, or machines found mid-day
    int threads = 1;
    std::uint64_t seed = 0;
};

// The random stream of worker `thread`: xoshiro256++ seeded with `seed`, advanced by `thread`
// jumps of 2^128 draws, so that the streams never overlap.
Xoshiro256PlusPlus streamForThread(std::uint64_t seed, int thread);

// The part of `amount` that worker `thread` of `threads` plays: an equal share, the first
// amount % threads workers one more.
std::int64_t shareOf(std::int64_t amount, int threads, int thread);

struct BatchResult {
    RunPlan plan;
    NormalTotals normal;                 // normal run: all machines together
    std::vector<NormalTotals> batches;   // normal run: every machine's batches, thread by thread
    AttemptTotals attempt;               // attempt run: all finished attempts; day run: days
    Tally bigGaps;                       // normal run: games from BIG to BIG, all machines
    std::vector<Tally> bigGapBatches;    // the same, batch by batch as `batches`
    Tally bonusGaps;                     // normal run: games from bonus to bonus
    std::vector<Tally> bonusGapBatches;  // the same, batch by batch
    double seconds = 0.0;                // wall time of the play
    std::int64_t gamesPlayed = 0;        // every game played, unfinished attempts included
    bool interrupted = false;            // the control's cancel stopped the run before its end
    std::optional<CounterLimit> limit;   // an attempt's machine reached it, which ended the run
    int logError = 0;                    // the system's reason when writing the log failed
};

// What one worker of a run plays: its share's figures, its games, the counter limit that ended
// its play (its thread set) and, when it logged, the system's reason its log failed.
struct RunShare {
    NormalShare normal;     // normal run
    AttemptTotals attempt;  // attempt run: its finished attempts; day run: its days
    std::int64_t games = 0;
    std::optional<CounterLimit> limit;
    int logError = 0;
};

// Worker `thread`'s share of `plan` (shareOf), drawn from streamForThread(plan.seed, thread),
// telling `counts` as it goes and stopping once `control` is called off; its grid rows to `log`
// (as worker `thread`) when that is not null. Whatever thread plays it, the same share.
RunShare playRunShare(const RunPlan& plan, int thread, const WorkControl& control,
                      WorkerCounts& counts, std::FILE* log);

// The run's result from its workers' shares, merged in thread order (their batches moved, not
// copied: with many threads they are most of the run's memory); the limit that of the first
// thread that reached one. Its time and whether it was interrupted are the caller's to set.
BatchResult mergeRunShares(const RunPlan& plan, std::vector<RunShare>& shares);

// Plays the run on plan.threads threads and merges their figures in thread order, so the same
// plan gives the same result. `control`'s cancel (the command line's Ctrl-C) stops the workers
// as the end of the time does; its progress and its played hear the run every 200 ms while it
// goes on (its threads are the plan's). Writes the grid's rows to `log` (CSV with a header) when
// it is not null (a failed write is in logError). A StatusError in any worker stops the others
// and is thrown here.
BatchResult runBatch(const RunPlan& plan, std::FILE* log, const WorkControl& control);

}  // namespace korvale
