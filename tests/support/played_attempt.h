#pragma once

// One attempt played by the play library on a machine handed over, and what it came to by the
// machine's own coin rule (get差枚). The machine's game, BIG and REG counters must start at 0, so
// that they count the attempt alone. With maxGames above 0 the attempt also stops after that
// many games.

#include <cstdint>
#include <optional>
#include <string>

#include "common/work_control.h"
#include "machine/attempt_end.h"
#include "machine/cls_korvale.h"
#include "play/attempt_run.h"

namespace korvale {

struct AttemptSample {
    double games = 0;
    double bigs = 0;
    double regs = 0;
    double net = 0;
    double coinsOut = 0;
    bool stoppedAtLimit = false;  // the game limit ended it, not the end conditions
};

inline AttemptSample playAttemptOn(clsKorvale& machine, EndConditions end,
                                   std::int32_t maxGames = 0) {
    const AttemptEnd ended = playOneAttempt(machine, end, WorkControl{}, nullptr,
                                            maxGames > 0 ? std::optional(maxGames) : std::nullopt);
    std::string rate;
    std::int32_t obtained = 0;
    AttemptSample sample;
    sample.net = machine.get差枚(rate, obtained);
    sample.coinsOut = obtained;
    sample.games = machine.mlngPlayCnt;
    sample.bigs = machine.mlngBigCnt;
    sample.regs = machine.mlngRegCnt;
    sample.stoppedAtLimit = ended == AttemptEnd::Capped;
    return sample;
}

}  // namespace korvale
