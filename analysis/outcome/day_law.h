#pragma once

// A day at the hall: a new machine from the morning played for a day's games. The net of those
// games is fixed by the BIGs and REGs among them, so the day's law is the law of (BIGs, REGs)
// in that many games, worked out by renewal over the BIGs: the law of the games from a BIG to
// the next (its REGs and the mode it leaves counted) from the game-by-game chain with the
// ceiling, the BIGs of the day one after another, and the stretch without a BIG to the day's
// end. The REG count is taken at the roots of unity and the games in a transform of about eight
// days' length, the law tilted so that what would wrap around the period comes back damped below
// 1e-15.

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/model/machine_model.h"
#include "analysis/outcome/outcome_law.h"
#include "common/work_control.h"

namespace korvale {

struct DayLaw {
    std::int32_t setting = -1;  // -1 for a hand-built model
    std::int32_t games = 0;     // the day's games
    IntegerLaw net;             // the day's net coins
    IntegerLaw bigs;            // BIGs in the day
    IntegerLaw regs;            // REGs in the day
    double meanNet = 0;
    double pAhead = 0;   // P(net > 0)
    double pEven = 0;    // P(net = 0)
    double pBehind = 0;  // P(net < 0)
    // A bound on the error of any chance: the chances cut past the last BIG count and REG
    // count worked out (each below 1e-12), and what the chances' sum misses 1 by.
    double errorBound = 0;
};

// The laws after each of `games` games (every count 0 .. largestDayLawGames), all worked out in
// one pass, the REG count's roots shared out among the control's threads; the progress is heard
// on the calling thread, in step with the work (each block of frequencies as it is done).
// std::invalid_argument for a count out of range.
std::vector<DayLaw> solveDayLaws(const MachineModel& model, std::span<const std::int32_t> games,
                                 const WorkControl& control = {});
DayLaw solveDayLaw(std::int32_t setting, std::int32_t games, const WorkControl& control = {});

// The law of a day on a machine whose setting is one of those of `laws` (days of as many games)
// with the chances `weights` (summing to 1): each law's chances, and its means, weighted.
DayLaw mixDayLaws(std::span<const DayLaw> laws, std::span<const double> weights);

inline constexpr std::int32_t largestDayLawGames = 1'000'000;
// The longest day whose law the program offers to work out: its work grows with the square of
// the games, some minutes a setting at this length.
inline constexpr std::int32_t largestExactDayGames = 50'000;

}  // namespace korvale
