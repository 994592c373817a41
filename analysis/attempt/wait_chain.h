#pragma once

// The capped attempt's chain carried forward a game at a time (wait_model.h): the states before
// the first BIG (the mode and the REG end's wait where it can outlast the BIG end; no end is
// possible yet, and the ceiling counter is the start's), and after it the young and the old
// states by mode and wait up to the REG end + 1, with what reaches the ceiling moved from the one
// to the other (ceiling_transfers.h), and the waits above (high_waits.h). A game costs the waits
// of the states held, not the games since the last BIG as well.

#include <cstdint>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/ceiling_transfers.h"
#include "analysis/attempt/high_waits.h"
#include "analysis/attempt/wait_model.h"

namespace korvale {

class WaitChain {
  public:
    WaitChain(const MachineModel& model, WholeGames games, const AttemptStart& start,
              std::int32_t maxGames);

    // Plays game `game` (1, 2, ... in turn) from every state: adds what it counts, returns the
    // chance that the attempt ends at it.
    double play(std::int32_t game);
    // The chance that the attempt is still going.
    double alive() const;

    double games = 0.0;
    double bigs = 0.0;
    double regs = 0.0;

  private:
    double advance(const WaitRows& from, const ModeVector& big, WaitRows& to);
    void advanceFirst();
    double land(std::int32_t game);
    std::int32_t keptFirst(std::int32_t q) const;

    WaitModel model_;
    std::size_t firstWidth_;
    std::vector<double> first_;  // by mode and REG wait, before the first BIG
    std::vector<double> firstNext_;
    std::int32_t firstAge_;  // the ceiling counter before the first BIG
    WaitRows young_;
    WaitRows youngNext_;
    WaitRows old_;
    WaitRows oldNext_;
    // This game's BIGs: by mode those that land at the BIG end, by mode and wait the others
    // (from a REG wait that outlasts the BIG end).
    ModeVector bigAtEnd_{};
    WaitRows bigOut_;
    WaitRows landing_;
    ModeVector oldBig_{};
    HighWaits high_;
    CeilingTransfers transfers_;
};

}  // namespace korvale
