#include "play/counter_limit.h"

#include <array>
#include <limits>

namespace korvale {

std::optional<CounterLimit> counterAtLimit(const clsKorvale& machine) {
    struct Counter {
        std::int32_t value;
        const char* key;
        const char* words;
        const char* shown;
    };
    const std::array counters = {
        Counter{machine.mlngPlayCnt, "games", "the machine's game counter", "機械のプレイ数"},
        Counter{machine.mlngBigPlayCnt, "games_since_big", "the count of games since the last BIG",
                "前回のBIGからのゲーム数"},
        Counter{machine.mlngBonusPlayCnt, "games_since_bonus",
                "the count of games since the last bonus", "前回のボーナスからのゲーム数"},
        Counter{machine.mlngBigCnt, "big", "the machine's BIG counter", "機械のBIG回数"},
        Counter{machine.mlngRegCnt, "reg", "the machine's REG counter", "機械のREG回数"},
        Counter{machine.mlngSimauta, "mode0_big", "the count of BIGs in mode 0",
                "モード0でのBIG回数"},
    };
    for (const Counter& counter : counters) {
        if (counter.value == std::numeric_limits<std::int32_t>::max()) {
            return CounterLimit{.key = counter.key, .words = counter.words, .shown = counter.shown};
        }
    }
    return std::nullopt;
}

}  // namespace korvale
