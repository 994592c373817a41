#pragma once

// Before an attempt run: how long one attempt is expected to last, so that end conditions no
// attempt can meet within the machine's 32-bit game counter are refused before play, and a run
// that would take hours is said to.

#include <cstdint>
#include <optional>
#include <string>

#include "machine/attempt_end.h"

namespace korvale {

struct ExpectedAttemptGames {
    double games = 0;
    std::string basis;  // how the figure was found, for the message that names it
};

// The expected games of one attempt at setting index 0..5, from the machine's chain: exact for
// the end conditions the attempt solver takes; past its largest BIG end, the figure there grown
// by 1 / (1 - p) for every further game (p the BIG chance at the ceiling, the same in every
// mode, and every further game is such a game). Empty for a REG end beyond the solver's.
std::optional<ExpectedAttemptGames> expectedAttemptGames(std::int32_t setting,
                                                         const EndConditions& end);

// The chance that one attempt outlasts the 32-bit game counter, for an attempt expected to
// last `games`: its length is nearly exponential when it takes many runs to the BIG end.
double chanceOfOverrun(double games);

// A warning, one line, when `games` in all would take more than an hour on `threads` threads;
// empty otherwise. The speed taken is on the fast side of what was measured (about 45 to 90
// million games a second a thread), so that the time said is if anything short.
std::string lengthWarning(double games, int threads, const std::string& what);

}  // namespace korvale
