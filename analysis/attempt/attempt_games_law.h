#pragma once

// The law of an attempt's length in games, for end conditions with the REG end at most the
// BIG end plus one game. A REG that fell before a BIG can then never outlast the BIG end that
// the BIG starts, so what follows a BIG depends on the mode it leads to alone: cut at its
// BIGs, the attempt is a renewal process over the modes after them. Each piece (from the new
// machine to its first BIG, from a BIG to the next, from the last BIG to the end) is
// tabulated by its games, game by game from the chain; the law follows from the pieces'
// transforms at the table length's roots of unity, one small solve per root, and one inverse
// transform.
//
// The cost's rounding takes it where the rounding's period no longer holds: the machine's
// round(c G) leaves the period's pattern from some tens of thousands of games on, and long
// attempts get there.

#include <atomic>
#include <cstddef>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"

namespace korvale {

struct AttemptGamesLaw {
    // chance[g]: P(G = g) for g below the table's length, with what lies beyond the table
    // folded in (P(G = g + length), P(G = g + 2 length), ...).
    std::vector<double> chance;
    // The chance the pieces lost to their cut tails, all of it missing from the table.
    double lost = 0.0;
    // A measure of the arithmetic's error on the chances: the imaginary parts the inverse
    // transform leaves, which a real law would not have.
    double arithmetic = 0.0;
};

// A piece's table ends once the chance that it is still going on is below this. Past the
// ceiling every game is a BIG with a chance of 1000/65536, so that comes within a few thousand
// games.
inline constexpr double gamesLawPieceTail = 1e-16;

// A table of at least `atLeast` games (longer by what the transforms' lengths need). Needs
// 0 <= reg <= big + 1 (whole games), else std::invalid_argument; `control.threads` share the
// pieces and the transforms out; throws WorkCancelled once `*control.cancel` is set (its
// progress is not told). Only the first piece depends on where the attempt starts.
AttemptGamesLaw attemptGamesLaw(const MachineModel& model, WholeGames games, std::size_t atLeast,
                                const AttemptStart& start = morningStart(),
                                const WorkControl& control = {});

}  // namespace korvale
