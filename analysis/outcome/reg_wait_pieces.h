#pragma once

// What the law for a REG end that outlasts the BIG end (reg_wait_law.h) tabulates before its
// transform: the states after the first BIG, and the machine played game by game up to that
// BIG. The rest of the attempt comes in closed form or from short windows worked out at each
// transform point (reg_wait_transform.h).

#include <cstdint>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "common/work_control.h"

namespace korvale {

// Lanes of the game-by-game part, by where an event leads.
//   [0, d)        a clean first BIG (no REG wait outlasts its X games), leading to B(modes[i])
//   [d, d + 6)    a REG before the first BIG, at most ceilingGame - 2 games in, mode m after it
//   [d + 6, d + 12) the same from ceilingGame - 1 games in: its window plays at the ceiling
// (ceilingGame as the attempt counts its games: RegWaitPieces::ceilingGame)
struct RegWaitEvent {
    std::int32_t games = 0;  // the event's game, counted from the start
    std::int32_t regs = 0;   // REGs so far, the event's own included
    std::int32_t lane = 0;
    double mass = 0.0;
};

struct RegWaitPieces {
    std::int32_t bigEnd = 0;  // X
    std::int32_t regEnd = 0;  // Y
    std::int32_t window = 0;  // L = Y - X: the games after a REG during which a BIG is unclean
    // The attempt's first game at the ceiling's BIG chance, counted from its start (the
    // model's ceilingGame for a new machine, earlier for a found one: first_piece_start.h).
    std::int32_t ceilingGame = 0;
    // The modes the attempt can be in after its first BIG, in mode order (d of them).
    std::vector<int> modes;
    std::vector<RegWaitEvent> events;  // by game
    // The chance the table lost: still before the first BIG at its end, or in entries too small.
    double lostMass = 0.0;
    std::int32_t longestGames = 0;
    std::int32_t mostRegs = 0;

    std::size_t d() const { return modes.size(); }
    std::size_t regLane(int mode, bool ceiling) const {
        return d() + (ceiling ? modeCount : 0) + static_cast<std::size_t>(mode);
    }
};

// Needs 0 <= bigEndGames < regEndGames (std::invalid_argument otherwise). The table ends once
// less than `tail` is still before the first BIG, and drops entries below `smallest`; it
// begins at `start`. One thread; throws WorkCancelled once `*control.cancel` is set.
RegWaitPieces regWaitPieces(const MachineModel& model, std::int32_t bigEndGames,
                            std::int32_t regEndGames, double tail, double smallest,
                            const AttemptStart& start = {}, const WorkControl& control = {});

}  // namespace korvale
