#pragma once

// What the analysis window shows of a run, gathered from the rows the run logs, one row at a
// time, in memory that does not grow with the run (bar the histograms' few hundred bins).
//
// Per-mode run, one row per bonus: the mode only changes after a bonus, so all the games
// counted in a row (those since the previous bonus, the bonus game included) began in the
// row's mode; the rows therefore also give the games played in each mode.

#include <array>
#include <cstdint>

#include "analysis/count_histogram.h"
#include "analysis/min_max_envelope.h"
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
    std::int64_t rows() const { return bigs_ + regs_; }
    std::int64_t games() const { return games_; }  // up to the latest bonus
    std::int64_t bigs() const { return bigs_; }
    std::int64_t regs() const { return regs_; }
    // Net coins after the latest bonus, as the machine works them out.
    std::int64_t net() const { return net_; }
    std::int64_t modeGames(int mode) const { return modeGames_[static_cast<std::size_t>(mode)]; }
    std::int64_t modeBigs(int mode) const { return modeBigs_[static_cast<std::size_t>(mode)]; }

    // Net coins at every bonus over the games played.
    const MinMaxEnvelope& slump() const { return slump_; }
    // Games from one BIG to the next (the first from the start), and from any bonus to the next.
    const CountHistogram& bigGaps() const { return bigGaps_; }
    const CountHistogram& bonusGaps() const { return bonusGaps_; }
    // BIG gaps of at least each of droughtMarks games.
    std::int64_t bigGapsAtLeast(std::size_t mark) const { return longBigGaps_[mark]; }

  private:
    std::int32_t setting_;
    std::int64_t games_ = 0;
    std::int64_t bigs_ = 0;
    std::int64_t regs_ = 0;
    std::int64_t net_ = 0;
    std::int64_t sinceBig_ = 0;
    std::array<std::int64_t, modeCount> modeGames_{};
    std::array<std::int64_t, modeCount> modeBigs_{};
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
    std::int64_t attempts() const { return attempts_; }
    std::int64_t games() const { return games_; }
    std::int64_t bigs() const { return bigs_; }
    std::int64_t regs() const { return regs_; }
    std::int64_t net() const { return net_; }
    std::int64_t attemptsAhead() const { return ahead_; }
    // Sums of squares per attempt, for the spread of the means.
    double gamesSquares() const { return gamesSquares_; }
    double bigsSquares() const { return bigsSquares_; }
    double regsSquares() const { return regsSquares_; }
    double netSquares() const { return netSquares_; }

    // Total net coins over the attempts, and the net coins of one attempt.
    const MinMaxEnvelope& slump() const { return slump_; }
    const CountHistogram& netPerAttempt() const { return netHistogram_; }

  private:
    std::int32_t setting_;
    std::int64_t attempts_ = 0;
    std::int64_t games_ = 0;
    std::int64_t bigs_ = 0;
    std::int64_t regs_ = 0;
    std::int64_t net_ = 0;
    std::int64_t ahead_ = 0;
    double gamesSquares_ = 0;
    double bigsSquares_ = 0;
    double regsSquares_ = 0;
    double netSquares_ = 0;
    MinMaxEnvelope slump_;
    CountHistogram netHistogram_{100};
};

// The games an attempt took, from the coins: net = 388 BIGs + 127 REGs - round(c games), and
// round(c games) grows with every game (c > 1), so the cost names the games. -1 when no count
// of games gives that cost.
std::int64_t gamesForCost(std::int32_t setting, std::int64_t cost);

}  // namespace korvale
