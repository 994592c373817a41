#pragma once

// One attempt as the window plays it, on a machine handed over: counters of games since the
// last BIG and REG, the end test after every game, and the coins from get差枚 at the end. The
// machine's game, BIG and REG counters must start at 0, so that they count the attempt alone.
// With maxGames above 0 the attempt also stops after that many games.

#include <cstdint>
#include <string>

#include "machine/attempt_end.h"
#include "machine/cls_korvale.h"

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
    double sinceBig = 0;
    std::int32_t sinceReg = 0;
    std::int32_t bigs = 0;
    std::int32_t regs = 0;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    bool stopped = false;
    while (true) {
        ++sinceBig;
        ++sinceReg;
        const std::string& result = machine.Play(num, mode, simauta);
        if (result == "BIG") {
            sinceBig = 0;
            ++bigs;
        } else if (result == "REG") {
            sinceReg = 0;
            ++regs;
        }
        if (bigs > 0 && sinceBig >= end.bigEnd && (regs == 0 || sinceReg >= end.regEnd)) {
            break;
        }
        if (maxGames > 0 && machine.mlngPlayCnt == maxGames) {
            stopped = true;
            break;
        }
    }
    std::string rate;
    std::int32_t obtained = 0;
    AttemptSample sample;
    sample.net = machine.get差枚(rate, obtained);
    sample.coinsOut = obtained;
    sample.games = machine.mlngPlayCnt;
    sample.bigs = bigs;
    sample.regs = regs;
    sample.stoppedAtLimit = stopped;
    return sample;
}

}  // namespace korvale
