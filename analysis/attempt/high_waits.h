#pragma once

// The capped pass's waits above lowTop (a BIG end longer than the REG end + 1), which only a
// landing at the BIG end reaches: there a REG changes the mode and nothing else, so the wait
// w holds exactly the landing of bigEnd - w games ago, moved on by the same chances since. Kept
// as sums by mode, one for the young landings and one for the old, with the landings of the
// last games: each game the sums move on, the newest landing joins, and the landing that leaves
// (for lowTop, or from young to old at the ceiling) is worked out from its own landing and taken
// away, instead of moving every wait. What rounding leaves of a landing taken away would stay
// in the sums for good (nothing there ends, and it has no landing to leave with), so every
// `levels` games the sums are summed anew from the landings.

#include <cstdint>
#include <vector>

#include "analysis/attempt/wait_model.h"

namespace korvale {

class HighWaits {
  public:
    explicit HighWaits(const WaitModel& model);

    bool any() const { return levels_ > 0; }
    // Plays one game: its BIGs by mode (all land at the BIG end) into bigAtEnd, what it counts
    // into the sums, and what reaches lowTop into young or old there.
    void play(std::int32_t game, ModeVector& bigAtEnd, double& games, double& bigs, double& regs,
              WaitRows& young, WaitRows& old);
    // The landing at the BIG end after game `game`, by mode.
    void land(std::int32_t game, const ModeVector& landing);
    double alive() const;

  private:
    // The sums are long doubles: what leaves them each game is worked out anew and taken away,
    // and in doubles the rounding of those differences would build up in the sums to some 1e-13
    // of the chances, where the rest of the pass keeps to a few 1e-15.
    using Wide = long double;
    using WideVector = std::array<Wide, waitModes>;
    using Matrix = std::array<WideVector, waitModes>;  // [from][to]
    WideVector leaving(std::int32_t game, const Matrix& moved) const;
    void sumAnew(std::int32_t game);

    const WaitModel& model_;
    std::int32_t levels_;        // the waits above lowTop: bigEnd - lowTop
    std::int32_t youngTo_;       // a landing leaves the young sum after this many games
    Matrix young_{};             // one game's move, before the ceiling
    Matrix old_{};               // and under it
    std::vector<Matrix> moved_;  // a landing's move over 0 .. levels_ games
    WideVector youngSum_{};
    WideVector oldSum_{};
    std::vector<ModeVector> landings_;  // by game, one slot a game
};

}  // namespace korvale
