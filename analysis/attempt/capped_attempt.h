#pragma once

// An attempt that also ends at a game limit (closing time): it stops after its maxGames-th game
// if its end conditions have not ended it before. Worked out exactly by carrying the chance of
// every state of the machine and the end test forward, game by game, for maxGames games
// (wait_chain.h: the states lumped by the games the end still waits for): the chance to be still
// playing before each game gives the expected games, BIGs and REGs, and the chance of ending at
// each game the expected rounded cost, as the machine rounds it.

#include <cstdint>

#include "analysis/attempt/attempt.h"
#include "common/work_control.h"

namespace korvale {

// The largest limit taken: a day at the hall is some 8000 games, a week of them well within.
inline constexpr std::int32_t largestMaxGames = 100000;

struct CappedAttemptFigures {
    AttemptFigures figures;  // the cost rounded as the machine rounds it, for every game count
    std::int32_t maxGames = 0;
    // The chance that the attempt is still going after its maxGames-th game: stopped by the
    // limit, not by its end conditions.
    double limitReachedChance = 0.0;
};

// About how long solveCappedAttempt takes, in seconds of one thread's CPU time (fitted to the
// default sweep grid at 2000, 4000 and 8000 games, most rules within a factor of 2): for the
// order and the share of a sweep's work.
double cappedAttemptSeconds(EndConditions end, std::int32_t maxGames);

// Throws StatusError (EndBeyondTables) as solveAttempt does, and for a maxGames outside
// 1 .. largestMaxGames. `control` as for solveAttempt.
CappedAttemptFigures solveCappedAttempt(const MachineModel& model, EndConditions end,
                                        std::int32_t maxGames,
                                        const AttemptStart& start = morningStart(),
                                        const WorkControl& control = {});
CappedAttemptFigures solveCappedAttempt(std::int32_t setting, EndConditions end,
                                        std::int32_t maxGames,
                                        const AttemptStart& start = morningStart(),
                                        const WorkControl& control = {});

}  // namespace korvale
