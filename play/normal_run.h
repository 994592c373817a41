#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/measured/simulated_totals.h"
#include "analysis/measured/value_tally.h"
#include "common/random_source.h"
#include "common/work_control.h"
#include "machine/korvale_tables.h"
#include "play/worker_counts.h"

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

    // A BIG's wait, and a bonus's, counted in the batch being filled.
    void addBigGap(std::int64_t games) { fillingBigGaps_.add(games); }
    void addBonusGap(std::int64_t games) { fillingBonusGaps_.add(games); }
    // Called with the machine's running totals after each stretch of games.
    void record(const NormalTotals& running);
    // Closes the last, partial batch. Returns every batch in order.
    std::vector<NormalTotals> finish(const NormalTotals& running);
    // The BIG waits and the bonus waits of each batch, in the same order (after finish).
    std::vector<Tally> takeBigGapBatches() { return std::move(bigGapBatches_); }
    std::vector<Tally> takeBonusGapBatches() { return std::move(bonusGapBatches_); }

  private:
    void close(const NormalTotals& batch);

    std::int64_t batchGames_ = firstBatchGames;
    NormalTotals boundary_;
    std::vector<NormalTotals> batches_;
    Tally fillingBigGaps_;
    Tally fillingBonusGaps_;
    std::vector<Tally> bigGapBatches_;
    std::vector<Tally> bonusGapBatches_;
};

// What one thread of a normal run hands back.
struct NormalShare {
    NormalTotals totals;
    std::vector<NormalTotals> batches;
    // Games from each BIG to the next and from each bonus to the next, counted from the
    // machine's first BIG (its first wait starts in mode 0, not in the long run's modes).
    Tally bigGaps;
    Tally bonusGaps;
    // The waits batch by batch (as `batches`): consecutive waits are not independent (the
    // mode a BIG leads to lasts), so their intervals come from the batches.
    std::vector<Tally> bigGapBatches;
    std::vector<Tally> bonusGapBatches;
};

// Games are played in blocks of this many between looks at the control, counter room and
// progress.
inline constexpr std::int32_t normalBlockGames = 1 << 12;

// Plays one new machine of the given setting for `games` games (-1: until `control` is called
// off) drawing from `random`, telling `counts` the games block by block. Logs every bonus to
// `log` when it is not null.
NormalShare playNormalShare(std::int32_t setting, std::int64_t games, RandomSource& random,
                            const WorkControl& control, WorkerCounts& counts, GridLog* log);

}  // namespace korvale
