#pragma once

// The head of the net's law when the REG end outlasts the BIG end (Y >= X + 1 in whole games):
// a REG after the first BIG then holds the attempt for Y games whatever BIGs follow, so the
// attempt renews at its REGs as well as at its clean BIGs, and a handful of states carry it:
//   R(m)  just after a REG, mode m: the next L = Y - X games run free (BIGs only add coins);
//         a REG among them starts a new R, and without one the attempt is in B(mode) after
//         game L;
//   B(m)  the attempt ends X games on unless a bonus comes first: a REG leads to R, a BIG to
//         B again (the mode stays m until the first bonus).
// Before the first BIG the machine is played game by game, with the BIG ceiling counted from
// the start; a first BIG that falls within L - 1 games of a REG leaves that REG's window
// running, and is carried by the window from that REG on (reg_wait_transform.h).
//
// One thing is left out and bounded instead: after a BIG, the BIG ceiling (1500 games
// without a BIG) can only be reached by a chain of REGs that keeps the attempt alive; its
// chance, at most the sum over the modes of the expected number of BIGs that lead there times
// the chance of such a chain after one, is part of errorBound.

#include <array>
#include <atomic>
#include <cstdint>

#include "analysis/model/machine_model.h"
#include "analysis/outcome/outcome_law.h"
#include "machine/attempt_end.h"

namespace korvale {

// Needs the REG end at least the BIG end plus one game (whole games); a shorter one is
// std::invalid_argument. Throws StatusError (EndBeyondTables, AttemptsTooLong) as
// solveNetLawHead does, and WorkCancelled once `*control.cancel` is set; its progress is not
// told. `start` sets what comes before the first BIG (first_piece_start.h).
NetLawHead solveRegWaitNetHead(const MachineModel& model, EndConditions end,
                               const AttemptStart& start = {}, const WorkControl& control = {});

// By the mode a BIG leads to: the chance that the attempt then goes on for `games` games
// without another BIG (kept alive by REGs), from the longest REG wait the BIG can leave.
std::array<double, modeCount> bigFreeChances(const MachineModel& model, std::int32_t bigEndGames,
                                             std::int32_t regEndGames, std::int32_t games);

}  // namespace korvale
