#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/run_totals.h"
#include "batch/run_control.h"
#include "common/random_source.h"
#include "machine/korvale_tables.h"

namespace korvale {

class GridLog;

// Cuts one machine's run into batches of consecutive games for the batch-means intervals. The
// run length is not known in advance (--seconds), so batches start small and, whenever
// maxBatches are full, neighbours are joined in pairs and the batch length doubles: the list
// stays short and the batches grow with the run, as batch means need.
class BatchSeries {
  public:
    static constexpr std::int64_t firstBatchGames = 1 << 15;
    static constexpr std::size_t maxBatches = 64;

    // Called with the machine's running totals after each stretch of games.
    void record(const NormalTotals& running);
    // Closes the last, partial batch. Returns every batch in order.
    std::vector<NormalTotals> finish(const NormalTotals& running);

  private:
    std::int64_t batchGames_ = firstBatchGames;
    NormalTotals boundary_;
    std::vector<NormalTotals> batches_;
};

// What one thread of a normal run hands back.
struct NormalShare {
    NormalTotals totals;
    std::vector<NormalTotals> batches;
};

// Games are played in blocks of this many between checks for a stop request, counter room
// and progress.
inline constexpr std::int32_t normalBlockGames = 1 << 12;

// Plays one new machine of the given setting for `games` games (-1: until a stop is requested)
// drawing from `random`. Logs every bonus to `log` when it is not null.
NormalShare playNormalShare(std::int32_t setting, std::int64_t games, RandomSource& random,
                            RunControl& control, int thread, GridLog* log);

}  // namespace korvale
