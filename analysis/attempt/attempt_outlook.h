#pragma once

// Before an attempt run: how long one attempt is expected to last, so that end conditions no
// attempt can meet within the machine's 32-bit game counter are refused before play, and a run
// that would take hours is said to.

#include <cstdint>
#include <optional>

#include "machine/attempt_end.h"

namespace korvale {

struct ExpectedAttemptGames {
    double games = 0;
    // Past the attempt solver's largest BIG end: the expected games at that end, worked out
    // exactly, which `games` grows by 1 / (1 - ceilingBigChance) for every further game. Empty
    // when `games` is itself worked out exactly.
    std::optional<double> gamesAtLargestBigEnd;
    double ceilingBigChance = 0;
};

// The expected games of one attempt at setting index 0..5, from the machine's chain: exact for
// the end conditions the attempt solver takes; past its largest BIG end, the figure there grown
// by 1 / (1 - p) for every further game (p the BIG chance at the ceiling, the same in every
// mode, and every further game is such a game). Empty for a REG end beyond the solver's.
std::optional<ExpectedAttemptGames> expectedAttemptGames(std::int32_t setting,
                                                         const EndConditions& end);

// Whether an attempt at setting index 0..5 can be expected to end within the 32-bit game
// counter (2147483647 games): first by a bound on its expected games (attempt_reach.h), then
// by the expected games worked out.
struct AttemptReach {
    bool canEnd = true;
    // When it cannot: the REG end makes the attempts too long, the BIG end alone could be met.
    bool regEndBlamed = false;
    // The expected games of one attempt once worked out: not when the bound settled it, nor for
    // a REG end beyond the solver's.
    std::optional<ExpectedAttemptGames> expected;
};
AttemptReach attemptReach(std::int32_t setting, const EndConditions& end);

// The chance that one attempt outlasts the 32-bit game counter, for an attempt expected to
// last `games`: its length is nearly exponential when it takes many runs to the BIG end.
double chanceOfOverrun(double games);

}  // namespace korvale
