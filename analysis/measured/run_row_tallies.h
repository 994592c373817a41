#pragma once

// What the analysis window shows of a run, gathered from the rows the run logs, one row at a
// time, in memory that does not grow with the run (bar the histograms' few hundred bins).
//
// Per-mode run, one row per bonus: the mode only changes after a bonus, so all the games
// counted in a row (those since the previous bonus, the bonus game included) began in the
// row's mode; the rows therefore also give the games played in each mode.

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/measured/count_histogram.h"
#include "analysis/measured/min_max_envelope.h"
#include "analysis/measured/simulated_totals.h"
#include "machine/korvale_tables.h"

namespace korvale {

// The long-gap marks of the ハマり table.
inline constexpr std::array<std::int64_t, 3> droughtMarks = {500, 1000, 1500};

class ModeRunTally {
  public:
    explicit ModeRunTally(std::int32_t setting = 0) : setting_(setting) {}

    // One logged bonus: BIG or REG, the games since the previous bonus, the mode it began in.
    void addBonus(bool big, std::int32_t games, std::int32_t mode);

    std::int32_t setting() const { return setting_; }
    // The counts up to the latest bonus.
    const NormalTotals& totals() const { return totals_; }
    std::int64_t rows() const { return totals_.bigs + totals_.regs; }
    std::int64_t games() const { return totals_.games; }
    std::int64_t bigs() const { return totals_.bigs; }
    std::int64_t regs() const { return totals_.regs; }
    // Net coins after the latest bonus, as the machine works them out.
    std::int64_t net() const { return net_; }
    // Consecutive stretches of equal numbers of bonuses (the last one still filling) that add
    // up to totals(): the batches of the intervals, 16 bonuses or more each; between
    // maxBatches / 2 and maxBatches of them once there are 16 maxBatches / 2 bonuses.
    static constexpr std::size_t maxBatches = 256;
    std::vector<NormalTotals> batches() const;

    // Net coins at every bonus over the games played.
    const MinMaxEnvelope& slump() const { return slump_; }
    // Games from one BIG to the next (the first from the start), and from any bonus to the next.
    const CountHistogram& bigGaps() const { return bigGaps_; }
    const CountHistogram& bonusGaps() const { return bonusGaps_; }
    // BIG gaps of at least each of droughtMarks games.
    std::int64_t bigGapsAtLeast(std::size_t mark) const { return longBigGaps_[mark]; }

  private:
    std::int32_t setting_;
    NormalTotals totals_;
    std::int64_t net_ = 0;
    std::int64_t sinceBig_ = 0;
    std::vector<NormalTotals> batches_;
    NormalTotals filling_;
    std::int64_t fillingBonuses_ = 0;
    std::int64_t batchBonuses_ = 16;
    std::array<std::int64_t, droughtMarks.size()> longBigGaps_{};
    MinMaxEnvelope slump_;
    CountHistogram bigGaps_{20};
    CountHistogram bonusGaps_{20};
};

// Attempt run, one row per finished attempt: its BIGs, REGs and net coins.
class AttemptRunTally {
  public:
    explicit AttemptRunTally(std::int32_t setting = 0) : setting_(setting) {}

    void addAttempt(std::int64_t bigs, std::int64_t regs, std::int64_t net);

    std::int32_t setting() const { return setting_; }
    const AttemptTotals& totals() const { return totals_; }
    std::int64_t attempts() const { return totals_.attempts; }
    std::int64_t games() const { return totals_.games; }
    std::int64_t net() const { return totals_.net; }
    // Attempts that ended with more coins than they started with, as a share with its sums.
    std::int64_t attemptsAhead() const { return static_cast<std::int64_t>(ahead_.y); }
    const RatioSums& aheadShare() const { return ahead_; }

    // Total net coins over the attempts, and the net coins of one attempt.
    const MinMaxEnvelope& slump() const { return slump_; }
    const CountHistogram& netPerAttempt() const { return netHistogram_; }

  private:
    std::int32_t setting_;
    AttemptTotals totals_;
    RatioSums ahead_;
    MinMaxEnvelope slump_;
    CountHistogram netHistogram_{100};
};

// The games an attempt took, from the coins: net = 388 BIGs + 127 REGs - round(c games), and
// round(c games) grows with every game (c > 1), so the cost names the games. -1 when no count
// of games gives that cost.
std::int64_t gamesForCost(std::int32_t setting, std::int64_t cost);

}  // namespace korvale
