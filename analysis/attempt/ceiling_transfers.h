#pragma once

// The capped pass's move of chances from its young states to its old ones: each BIG's landing,
// ceilingAge games after it, as far as it has played on without another BIG. When every landing
// is at the BIG end (a REG end of at most the BIG end + 1) what a landing leaves is worked out
// once per mode and scaled; otherwise each landing is followed on its own (CeilingCohort, a few
// at a time), as soon as its landing is known, and kept until it is due.

#include <cstdint>
#include <vector>

#include "analysis/attempt/ceiling_cohort.h"
#include "analysis/attempt/wait_model.h"

namespace korvale {

class CeilingTransfers {
  public:
    // Landings after the game maxGames - ceilingAge reach the ceiling beyond the limit.
    CeilingTransfers(const WaitModel& model, std::int32_t maxGames);

    // The landing after game `game`, for its move later.
    void land(std::int32_t game, const WaitRows& landing);
    // After game `game`: moves what the landing of game - ceilingAge has left from young to old.
    void moveDue(std::int32_t game, WaitRows& young, WaitRows& old);

  private:
    std::size_t slot(std::int32_t game) const;
    void runPending();
    const WaitRows& scaledRemainder(const ModeVector& byMode);

    const WaitModel& model_;
    std::int32_t lastLanding_;  // the last game whose landing is moved within the limit
    bool byMode_;               // every landing at the BIG end
    CeilingCohort cohort_;
    std::vector<WaitRows> perMode_;         // byMode_: what a landing in each mode leaves
    std::vector<ModeVector> modeLandings_;  // byMode_: landings by mode, one slot a game
    std::vector<WaitRows> remainders_;      // otherwise: what each landing leaves, one slot a game
    std::vector<WaitRows> pending_;         // landings not yet followed
    std::int32_t pendingFirst_ = 0;         // the game of pending_[0]
    std::size_t pendingCount_ = 0;
    WaitRows due_;
};

}  // namespace korvale
