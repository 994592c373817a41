#include "ui/runs/run_mode_stats.h"

#include <algorithm>
#include <string>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "ui/runs/grid_rows.h"
#include "ui/runs/run_error.h"

namespace korvale {
namespace {

// The run's counts of games, and what the latest Play handed back.
struct ModeRunState {
    std::int32_t games = 0;  // games played, as Text1 shows them after a game
    std::int64_t game = 0;   // the game in progress, for the message of an error that ends the run
    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;
};

// numerator / denominator, both read leniently, written "#0.00".
void writeRate(RunDisplays& window, Box target, Box numerator, Box denominator) {
    aboutBox(target, [&] {
        const double dividend = window.lenientNumber(numerator);
        const double divisor = window.lenientNumber(denominator);
        window.setTwoDecimals(target, checkedQuotient(dividend, divisor), true);
    });
}

bool isBonus(const std::string& result) {
    return sameText(result, "BIG") || sameText(result, "REG");
}

// Everything of a game after its Play: the coin figures, its mode's count, the bonus it drew,
// the games and the yield.
void finishGame(RunDisplays& window, const clsKorvale& machine, const std::string& result,
                const ModeRunState& state) {
    // get差枚 for Text2 and Text4 first: when its figures pass a limit, nothing of this game is
    // shown and the run ends after the game before, the boxes and the grid agreeing as after a
    // stop there. No other box reads these two.
    window.showCoinFigures(machine);

    const std::int32_t m = machine.mOldMode;
    window.raiseByOne(txtCnt(m));

    const bool big = sameText(result, "BIG");
    if (big || sameText(result, "REG")) {
        appendGridRow(window, result, numberText(state.lngNum), numberText(state.lngMode));
        window.logRow(BonusLogged{
            .games = state.lngNum, .mode = static_cast<std::int8_t>(state.lngMode), .big = big});
        autoScroll(window);

        // Text1 still shows the games before this one: that is the dividend.
        if (big) {
            window.raiseByOne(Box::txtSBig);
            writeRate(window, Box::txtBP, Box::Text1, Box::txtSBig);
            window.raiseByOne(txtBig(state.lngMode));
        } else {
            window.raiseByOne(Box::txtSReg);
            writeRate(window, Box::txtRP, Box::Text1, Box::txtSReg);
        }
        if (window.strictNumber(txtBig(m)) != 0.0) {
            writeRate(window, txtReg(m), txtCnt(m), txtBig(m));
        }
    }

    window.setNumber(Box::Text1, state.games);

    window.yield(YieldPoint::EndOfGame);
}

// How many of the next games may be played as a quiet stretch: their yields return at once,
// their mode's count folds into one addition and their coin figures can wait. 0 when the next
// game is to be played on its own.
std::int32_t quietStretchLength(RunDisplays& window, const clsKorvale& machine,
                                std::int32_t games) {
    const std::int32_t mode = machine.mMode;
    if (mode < 0 || mode >= modeCount) {
        return 0;
    }
    return std::min({window.yieldsAtOnce(), 2147483647 - games, window.coinFiguresCanWait(machine),
                     window.foldableRaises(txtCnt(mode))});
}

// Plays up to `length` games. While they draw nothing they only count: a game without a bonus
// raises its mode's count and the games, and leaves the coin figures waiting, so those are
// written once for all of them. A game that draws a bonus ends the stretch and is finished as
// every game is.
void playQuietStretch(RunDisplays& window, clsKorvale& machine, std::int32_t length,
                      ModeRunState& state) {
    // A quiet game leaves the mode and the bonus counts as they are.
    const std::int32_t mode = machine.mMode;
    RunDisplays::CoinCounters counters = RunDisplays::coinCountersOf(machine);
    std::int32_t quiet = 0;
    const auto writeQuietGames = [&] {
        state.games += quiet;
        state.game += quiet;
        if (quiet > 0) {
            window.raiseBy(txtCnt(mode), quiet);
            counters.games += quiet;
            window.holdCoinFigures(counters);
            window.setNumber(Box::Text1, state.games);
            window.skipYields(quiet);
        }
    };
    // Locals, so that the loop keeps them in registers.
    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;
    const std::string* bonus = nullptr;
    try {
        while (quiet < length) {
            const std::string& result = machine.Play(lngNum, lngMode, lngSimauta);
            if (isBonus(result)) [[unlikely]] {
                bonus = &result;
                break;
            }
            ++quiet;
        }
    } catch (...) {
        // Play failed: the games before it stand, and the error names this one.
        writeQuietGames();
        ++state.game;
        throw;
    }
    writeQuietGames();
    state.lngNum = lngNum;
    state.lngMode = lngMode;
    state.lngSimauta = lngSimauta;
    if (bonus != nullptr) {
        ++state.games;
        ++state.game;
        finishGame(window, machine, *bonus, state);
    }
}

}  // namespace

void RunModeStats(RunDisplays& window) {
    window.newMachine().mlngSettei = window.settingIndex();
    ModeRunState state;
    try {
        while (!window.stopFlag()) {
            // The machine is fetched anew each game: a run started inside a yield replaces it.
            clsKorvale& machine = *window.machine();
            if (const std::int32_t length = quietStretchLength(window, machine, state.games)) {
                playQuietStretch(window, machine, length, state);
                continue;
            }
            ++state.game;
            raiseCounter(state.games, "プレイ数");
            // The machine's own result text: it stays as it is until the next game.
            const std::string& result = machine.Play(state.lngNum, state.lngMode, state.lngSimauta);
            finishGame(window, machine, result, state);
        }
    } catch (StatusError& error) {
        nameRunError(error, state.game, window.machine());
        throw;
    }
}

}  // namespace korvale
