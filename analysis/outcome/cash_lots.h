#pragma once

// The ¥1000 lots a player from cash buys in an attempt that ends at its first BIG (a BIG end
// of 0 and a REG end of at most 1: the 天井狙い that quits at the first BIG), worked out
// exactly. The coins in hand fall by the game's cost (round(c g) - round(c (g - 1)), the
// machine's rounding of the attempt's own games) and rise by each REG's coins; when they would
// go below 0 a lot of `lend` coins is bought. A forward pass over the games whose state is the
// mode and the coins in hand gives the law of the lots, and so E[lots] = E[⌈deepest / lend⌉].

#include <atomic>
#include <cstdint>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "machine/attempt_end.h"

namespace korvale {

struct CashLots {
    double expected = 0.0;    // E[lots]
    double errorBound = 0.0;  // lots: what the pass's cut tail could add to `expected`
    std::int32_t games = 0;   // games the pass went through
};

// Whether every attempt of the rule ends at the game of its first BIG.
bool endsAtFirstBig(EndConditions end);

// The pass stops once less than this chance is still playing.
inline constexpr double cashLotsTail = 1e-16;

// E[lots] of an attempt from `start` that ends at its first BIG. Throws std::invalid_argument
// for a lend below 1 or a start that is none (first_piece_start.h), StatusError
// (AttemptsTooLong) for a model whose attempts go on past a million games, and WorkCancelled
// once `*cancel` is set.
CashLots solveFirstBigLots(const MachineModel& model, const AttemptStart& start, std::int32_t lend,
                           const std::atomic<bool>* cancel = nullptr);

}  // namespace korvale
