#pragma once

// A day at the hall played game by game: a machine from the morning for a day's games, with
// how deep its net went (for the cash put in) and, when asked, its net after every game (the
// day's スランプ). The batch program's day runs and the window's days both play this way.

#include <cstdint>
#include <functional>
#include <span>

#include "analysis/hall/hall_rates.h"
#include "analysis/measured/simulated_totals.h"
#include "machine/cls_korvale.h"

namespace korvale {

// What a finished attempt or day came to: its counts, and how deep its net went below 0 (the
// last game's net seen too).
struct PlayedAttempt {
    std::int64_t games = 0;
    std::int64_t bigs = 0;
    std::int64_t regs = 0;
    std::int64_t deepest = 0;
};

// What `machine` has played so far, its deepest point seen with the net it stands at.
PlayedAttempt playedSoFar(const clsKorvale& machine, DeepestPoint& deepest);

// Books it at `setting` into `totals`: its counts, its coins by the machine's own coin rule in
// 64 bits (the figures get差枚 gives) and its yen at the totals' rates.
void bookPlayed(AttemptTotals& totals, std::int32_t setting, const PlayedAttempt& played);

// Plays `dayGames` games on `machine`, showing `deepest` the net before every bonus game (the
// net's lowest points but the last game's). When `netAfterGame` is not empty it holds dayGames
// entries and gets the net after each game. `stopped` is asked now and then (every 16384
// games); false when it said stop before the day's end.
bool playDay(clsKorvale& machine, std::int32_t dayGames, DeepestPoint& deepest,
             const std::function<bool()>& stopped, std::span<std::int32_t> netAfterGame = {});

}  // namespace korvale
