#pragma once

// The end of an attempt: a new machine is played until, after a game, it has drawn at least one
// BIG, at least bigEnd games have followed its last BIG, and either no REG has fallen or at
// least regEnd games have followed its last REG. The window's attempt run, the batch program
// and the exact analysis all end attempts by this rule.

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

}  // namespace korvale
