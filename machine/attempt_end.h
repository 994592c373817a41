#pragma once

// The end of an attempt: a new machine is played until, after a game, it has drawn at least one
// BIG, at least bigEnd games have followed its last BIG, and either no REG has fallen or at
// least regEnd games have followed its last REG. The window's attempt run, the batch program
// and the exact analysis all end attempts by this rule.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace korvale {

struct EndConditions {
    double bigEnd = 300.0;      // games after the last BIG, compared as a number (300.5 needs 301)
    std::int32_t regEnd = 100;  // games after the last REG (the window rounds halves to even)
};

inline bool attemptIsOver(const EndConditions& end, std::int64_t bigs, std::int64_t gamesSinceBig,
                          std::int64_t regs, std::int64_t gamesSinceReg) {
    return bigs > 0 && static_cast<double>(gamesSinceBig) >= end.bigEnd &&
           (regs == 0 || gamesSinceReg >= end.regEnd);
}

// How many more games that draw no bonus the attempt lasts: the smallest k >= 1 for which
// attemptIsOver(end, bigs, gamesSinceBig + k, regs, gamesSinceReg + k) holds, or `never` when
// none up to `never` does (no BIG yet, a BIG end beyond reach). The counts are below 2^52, where
// they convert to double exactly. A loop that plays games without a bonus can then leave the end
// test out until that game.
inline std::int64_t gamesUntilOver(const EndConditions& end, std::int64_t bigs,
                                   std::int64_t gamesSinceBig, std::int64_t regs,
                                   std::int64_t gamesSinceReg, std::int64_t never) {
    if (bigs <= 0) {
        return never;
    }
    std::int64_t games = 1;
    if (!(static_cast<double>(gamesSinceBig + 1) >= end.bigEnd)) {
        // The count of games since the BIG must reach the least whole number at or above the
        // threshold (NaN and infinity reach none).
        const double needed = std::ceil(end.bigEnd) - static_cast<double>(gamesSinceBig);
        if (!(needed <= static_cast<double>(never))) {
            return never;
        }
        games = static_cast<std::int64_t>(needed);
    }
    if (regs != 0) {
        games = std::max(games, end.regEnd - gamesSinceReg);
    }
    return std::min(games, never);
}

}  // namespace korvale
