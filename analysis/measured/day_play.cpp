#include "analysis/measured/day_play.h"

#include <algorithm>
#include <string>

#include "machine/coin_totals.h"

namespace korvale {

namespace {

// Games played between looks for a stop request.
constexpr std::int32_t dayBlockGames = 1 << 14;

}  // namespace

PlayedAttempt playedSoFar(const clsKorvale& machine, DeepestPoint& deepest) {
    deepest.see(
        coinTotals(machine.mlngSettei, machine.mlngPlayCnt, machine.mlngBigCnt, machine.mlngRegCnt)
            .net);
    return {machine.mlngPlayCnt, machine.mlngBigCnt, machine.mlngRegCnt, deepest.deepest()};
}

void bookPlayed(AttemptTotals& totals, std::int32_t setting, const PlayedAttempt& played) {
    const CoinTotals coins = coinTotals(setting, played.games, played.bigs, played.regs);
    totals.add(played.games, played.bigs, played.regs, coins.net, coins.obtained);
    totals.cash.add(played.games, coins.net, played.deepest);
}

bool playDay(clsKorvale& machine, std::int32_t dayGames, DeepestPoint& deepest,
             const std::function<bool()>& stopped, std::span<std::int32_t> netAfterGame) {
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    const bool tracing = !netAfterGame.empty();
    for (std::int32_t played = 0; played < dayGames;) {
        if (stopped()) {
            return false;
        }
        const std::int32_t block = std::min(dayGames - played, dayBlockGames);
        for (std::int32_t i = 0; i < block; ++i) {
            const std::string& result = machine.Play(num, mode, simauta);
            if (!result.empty()) [[unlikely]] {
                const bool big = result == "BIG";
                deepest.see(coinTotals(machine.mlngSettei, machine.mlngPlayCnt - 1,
                                       machine.mlngBigCnt - (big ? 1 : 0),
                                       machine.mlngRegCnt - (big ? 0 : 1))
                                .net);
            }
            if (tracing) {
                netAfterGame[static_cast<std::size_t>(played + i)] =
                    static_cast<std::int32_t>(coinTotals(machine.mlngSettei, machine.mlngPlayCnt,
                                                         machine.mlngBigCnt, machine.mlngRegCnt)
                                                  .net);
            }
        }
        played += block;
    }
    return true;
}

}  // namespace korvale
