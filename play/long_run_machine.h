#pragma once

#include <cstdint>

#include "machine/cls_korvale.h"

namespace korvale {

// One machine played for longer than its 32-bit counters reach. Before a stretch of games
// would take the game, BIG or REG counter past 2,147,483,647, those three counters are added
// into 64-bit totals and set back to 0. Everything else (setting, mode, games since the last
// BIG and since the last bonus) stays as it is, so the next game is played exactly as it would
// have been on a machine without the limit.
class LongRunMachine {
  public:
    LongRunMachine(RandomSource& random, std::int32_t setting) : machine(random) {
        machine.mlngSettei = setting;
    }

    // Makes sure the next `games` games (at most 2,147,483,647) cannot overflow a counter.
    void makeRoomFor(std::int32_t games) {
        const std::int32_t last = INT32_MAX - games;
        if (machine.mlngPlayCnt > last || machine.mlngBigCnt > last || machine.mlngRegCnt > last)
            [[unlikely]] {
            foldCounters();
        }
    }

    // Adds the three counters into the totals and sets them to 0.
    void foldCounters() {
        foldedGames_ += machine.mlngPlayCnt;
        foldedBigs_ += machine.mlngBigCnt;
        foldedRegs_ += machine.mlngRegCnt;
        machine.mlngPlayCnt = 0;
        machine.mlngBigCnt = 0;
        machine.mlngRegCnt = 0;
    }

    std::int64_t games() const { return foldedGames_ + machine.mlngPlayCnt; }
    std::int64_t bigs() const { return foldedBigs_ + machine.mlngBigCnt; }
    std::int64_t regs() const { return foldedRegs_ + machine.mlngRegCnt; }

    // Played directly; call makeRoomFor before each stretch of games.
    clsKorvale machine;

  private:
    std::int64_t foldedGames_ = 0;
    std::int64_t foldedBigs_ = 0;
    std::int64_t foldedRegs_ = 0;
};

}  // namespace korvale
