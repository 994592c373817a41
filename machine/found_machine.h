#pragma once

// A machine as a player finds one mid-day: a machine of the hall played from the morning until
// its wait since the last BIG reaches a given count. The attempt run takes it over from there
// with counters of its own; the mode and the games since the last BIG (the ceiling's count) are
// the machine's, as its play left them, never drawn from a computed law.
//
// Which moment is taken matters. Among all the moments of a machine's long run at which its
// wait reaches G games, the mode has one law (the analysis works it out exactly); the first
// such moment after a fixed point of the day does not follow it: a wait that reaches G right
// after the point is more often one of a run of short-BIG modes than a typical one (at G = 100
// on 設定１ the modes' law is 4.6% off in total variation). Each further moment passed brings
// the law closer by a factor that depends on G, so a machine is taken over at the k-th moment
// after a warm-up of BIGs, k by G as below. Worked out exactly for G = 0 to 10 and twenty counts
// from 12 to 2000 at every setting, the mode's law at takeover then differs from the long run's
// by less than 1e-5 in total variation: a bias below a hundredth of a coin per attempt, under
// the interval of any run.

#include <cstdint>

#include "machine/cls_korvale.h"

namespace korvale {

// BIGs played from the morning before waits count: the morning's mode 0 then no longer shows
// (the law of the mode after the 100th BIG is within 1e-6 of the long run's at every setting;
// 設定１ forgets slowest, its sticky mode 1 losing about 11% of its excess per BIG).
inline constexpr std::int64_t foundWarmUpBigs = 100;

// The moment taken over: the k-th, counted from the warm-up's last BIG, at which the wait
// reaches gamesSinceBig. A wait of 1 or 2 games follows the short-BIG modes closely, so
// those counts need many moments; from 1000 on, two.
std::int32_t foundMomentTaken(std::int32_t gamesSinceBig);

enum class FoundEnd {
    Found,    // the machine shows gamesSinceBig games since its last BIG
    Stopped,  // stop() said so first
};

// Plays `machine`, a new machine of its setting, until it is found. Its game, BIG and REG
// counters are then set to 0, so that they count the attempt's own games and bonuses; while it
// is looked for they are set back to 0 before they could overflow. Adds every game played to
// `games`. Calls stop() every 65536 games.
template <typename Stop>
FoundEnd playUntilFound(clsKorvale& machine, std::int32_t gamesSinceBig, Stop&& stop,
                        std::int64_t& games);

// ---------------------------------------------------------------------------------------------

template <typename Stop>
FoundEnd playUntilFound(clsKorvale& machine, std::int32_t gamesSinceBig, Stop&& stop,
                        std::int64_t& games) {
    constexpr std::int32_t block = 1 << 16;
    const std::int32_t taken = foundMomentTaken(gamesSinceBig);
    std::int64_t bigs = 0;
    std::int32_t moments = 0;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    for (;;) {
        if (machine.mlngPlayCnt > INT32_MAX - block || machine.mlngBigCnt > INT32_MAX - block ||
            machine.mlngRegCnt > INT32_MAX - block) [[unlikely]] {
            machine.mlngPlayCnt = 0;
            machine.mlngBigCnt = 0;
            machine.mlngRegCnt = 0;
        }
        for (std::int32_t i = 0; i < block; ++i) {
            const std::string& result = machine.Play(num, mode, simauta);
            if (!result.empty() && result == "BIG") [[unlikely]] {
                ++bigs;
            }
            // A BIG sets the count to 0, so only the wait's G-th game (or, for 0, a BIG) meets it.
            if (machine.mlngBigPlayCnt == gamesSinceBig && bigs >= foundWarmUpBigs) [[unlikely]] {
                if (++moments == taken) {
                    games += i + 1;
                    machine.mlngPlayCnt = 0;
                    machine.mlngBigCnt = 0;
                    machine.mlngRegCnt = 0;
                    return FoundEnd::Found;
                }
            }
        }
        games += block;
        if (stop()) {
            return FoundEnd::Stopped;
        }
    }
}

}  // namespace korvale
