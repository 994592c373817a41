#include "ui/runs/run_attempts.h"

#include <algorithm>
#include <string>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "machine/attempt_end.h"
#include "ui/runs/end_conditions_read.h"
#include "ui/runs/grid_rows.h"
#include "ui/runs/run_error.h"

namespace korvale {
namespace {

// The state of one call of RunAttempts. The two counts of games since the last BIG and of BIGs
// in the attempt never overflow: they are wider than the other counters.
struct AttemptState {
    EndConditions end;  // the BIG end threshold as read, the REG end one rounded
    std::int32_t totalGames = 0;
    std::int64_t gamesSinceBig = 0;
    std::int64_t bigsInAttempt = 0;
    std::int32_t gamesSinceReg = 0;
    std::int32_t regsInAttempt = 0;
    std::int32_t coinsPaidOut = 0;
};

void replaceMachine(RunDisplays& window) {
    window.newMachine().mlngSettei = window.settingIndex();
}

void raiseAttemptNumber(RunDisplays& window) {
    window.setNumber(Box::txtChosen, checkedSum(window.lenientNumber(Box::txtChosen), 1.0));
}

// A run-wide total read strictly, raised by one.
void raiseTotal(RunDisplays& window, Box box) {
    aboutBox(box, [&] { window.setNumber(box, checkedSum(window.strictNumber(box), 1.0)); });
}

// Games per bonus over the run, once the bonus count is not 0.
void refreshProbability(RunDisplays& window, Box target, Box count) {
    if (window.strictNumber(count) != 0.0) {
        aboutBox(target, [&] {
            const double games = window.lenientNumber(Box::Text1);
            const double bonuses = window.lenientNumber(count);
            window.setTwoDecimals(target, checkedQuotient(games, bonuses), true);
        });
    }
}

// The coin figures of the attempt that ends with this game, and the run's totals with them.
struct AttemptCoins {
    std::int32_t net = 0;
    std::int32_t coinsPaidOut = 0;  // the run's, this attempt's included
    double coinsIn = 0.0;           // the run's
};

// Works them out; each counter past its limit is an error naming it.
AttemptCoins attemptCoins(RunDisplays& window, const AttemptState& state) {
    std::string str割;
    std::int32_t lng獲得 = 0;
    AttemptCoins coins;
    try {
        coins.net = window.machine()->get差枚(str割, lng獲得);
    } catch (StatusError& error) {
        runContext(error).figure = coinErrorFigure(*window.machine());
        throw;
    }
    coins.coinsPaidOut =
        aboutFigure("払い出し枚数の合計", [&] { return checkedAdd(state.coinsPaidOut, lng獲得); });
    coins.coinsIn = aboutFigure("投入枚数（プレイ数 × 3）", [&] {
        return static_cast<double>(checkedMul(state.totalGames, coinsInPerGame));
    });
    return coins;
}

// Before anything of the game that ends the attempt is written: when its figures pass a limit,
// the run ends after the game before, as a stop there would leave it (Text1 back to that game's
// count, the attempt unfinished), so that the boxes and the grid agree.
void checkAttemptEnd(RunDisplays& window, const AttemptState& state) {
    try {
        static_cast<void>(attemptCoins(window, state));
    } catch (StatusError&) {
        window.setNumber(Box::Text1, state.totalGames - 1);
        throw;
    }
}

// Logs the finished attempt, updates the totals and averages, and starts the next attempt on a
// new machine.
void endAttempt(RunDisplays& window, AttemptState& state) {
    const AttemptCoins coins = attemptCoins(window, state);
    const std::int32_t net = coins.net;

    appendGridRow(window, std::to_string(state.bigsInAttempt), numberText(state.regsInAttempt),
                  numberText(net));
    window.logRow(
        AttemptLogged{.bigs = state.bigsInAttempt, .regs = state.regsInAttempt, .net = net});
    autoScroll(window);

    aboutBox(Box::Text2, [&] {
        window.setNumber(Box::Text2,
                         checkedSum(window.strictNumber(Box::Text2), static_cast<double>(net)));
    });
    state.coinsPaidOut = coins.coinsPaidOut;
    const double coinsIn = coins.coinsIn;
    aboutBox(Box::Text4, [&] {
        window.setTwoDecimals(
            Box::Text4,
            checkedQuotient(checkedProduct(static_cast<double>(state.coinsPaidOut), 100.0),
                            coinsIn),
            false);
    });

    // The averages divide by the attempts made, as txtChosen shows them.
    const auto average = [&](Box target, double total) {
        aboutBox(target, [&] {
            window.setTwoDecimals(
                target, checkedQuotient(total, window.lenientNumber(Box::txtChosen)), false);
        });
    };
    average(Box::txt1P, static_cast<double>(state.totalGames));
    average(Box::txt1Sa, window.strictNumber(Box::Text2));
    average(Box::txt1Big, window.strictNumber(Box::txtSBig));

    replaceMachine(window);
    raiseAttemptNumber(window);
    state.bigsInAttempt = 0;
    state.regsInAttempt = 0;
    state.gamesSinceBig = 0;
    state.gamesSinceReg = 0;
}

// Play on the attempt's machine. The run uses none of the values it hands back.
const std::string& playGame(RunDisplays& window) {
    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;
    return window.machine()->Play(lngNum, lngMode, lngSimauta);
}

// Everything of a game after its Play: the bonus it drew, the end test, the end of the attempt
// and the yield. False when the run is to end because the window released the machine.
bool finishGame(RunDisplays& window, AttemptState& state, const std::string& result) {
    const bool big = sameText(result, "BIG");
    const bool reg = !big && sameText(result, "REG");
    if (big) {
        state.gamesSinceBig = 0;
        ++state.bigsInAttempt;
    } else if (reg) {
        state.gamesSinceReg = 0;
        raiseCounter(state.regsInAttempt, "この挑戦のREG回数");
    }
    // The run's own counts: the yield below leaves them as they are.
    const bool over = attemptIsOver(state.end, state.bigsInAttempt, state.gamesSinceBig,
                                    state.regsInAttempt, state.gamesSinceReg);
    if (over) {
        checkAttemptEnd(window, state);
    }
    if (big) {
        raiseTotal(window, Box::txtSBig);
    } else if (reg) {
        raiseTotal(window, Box::txtSReg);
    }
    if (big || reg) {
        window.yield(YieldPoint::MidBonus);
        // Closing the window in that yield released the machine: the rest of this game would
        // need it, so the run ends here.
        if (window.machine() == nullptr) {
            return false;
        }
        refreshProbability(window, Box::txtBP, Box::txtSBig);
        refreshProbability(window, Box::txtRP, Box::txtSReg);
    }

    if (over) {
        endAttempt(window, state);
    }
    window.yield(YieldPoint::EndOfGame);
    return true;
}

// How many of the next games may be played as a quiet stretch: their yields return at once and
// their counters cannot pass their limits. 0 when the next game is to be played on its own.
std::int32_t quietStretchLength(const RunDisplays& window, const AttemptState& state) {
    return std::min(
        {window.yieldsAtOnce(), 2147483647 - state.totalGames, 2147483647 - state.gamesSinceReg});
}

// Plays up to `length` games. A game that draws nothing and ends no attempt only counts the
// games, so the counts and Text1 are written once for all of them; a game that draws a bonus or
// ends the attempt ends the stretch and is finished as every game is. False as finishGame.
bool playQuietStretch(RunDisplays& window, AttemptState& state, std::int32_t length,
                      std::int64_t& game) {
    clsKorvale& machine = *window.machine();
    // Until a bonus, the attempt ends with this game of the stretch (if it is one).
    const std::int64_t endingGame =
        gamesUntilOver(state.end, state.bigsInAttempt, state.gamesSinceBig, state.regsInAttempt,
                       state.gamesSinceReg, length + std::int64_t{1});
    const auto games = static_cast<std::int32_t>(std::min<std::int64_t>(length, endingGame));
    std::int32_t played = 0;
    const auto writeGames = [&] {
        game += played;
        state.totalGames += played;
        state.gamesSinceBig += played;
        state.gamesSinceReg += played;
        window.setNumber(Box::Text1, state.totalGames);
    };
    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;
    const std::string* result = nullptr;
    bool bonus = false;
    try {
        while (played < games) {
            ++played;
            result = &machine.Play(lngNum, lngMode, lngSimauta);
            if (sameText(*result, "BIG") || sameText(*result, "REG")) [[unlikely]] {
                bonus = true;
                break;
            }
        }
    } catch (...) {
        // Play failed: its game was counted before it, as every game is.
        writeGames();
        throw;
    }
    writeGames();
    if (!bonus && played < endingGame) {
        window.skipYields(played);
        return true;
    }
    window.skipYields(played - 1);
    return finishGame(window, state, *result);
}

}  // namespace

void RunAttempts(RunDisplays& window) {
    AttemptState state;
    // A copy: the two texts may be read into one buffer.
    const std::string bigEndText = window.text(Box::txtBEnd);
    const EndConditionsRead read = readEndConditions(bigEndText, window.text(Box::txtREnd));
    // An overflow here comes before anything of the run has happened.
    state.end = aboutBox(Box::txtREnd, [&] {
        try {
            return read.playedBy();
        } catch (StatusError& error) {
            runContext(error).text = window.text(Box::txtREnd);
            runContext(error).hasText = true;
            throw;
        }
    });
    replaceMachine(window);
    raiseAttemptNumber(window);

    // The game in progress, for the message of an error that ends the run.
    std::int64_t game = 0;
    try {
        for (;;) {
            if (window.stopFlag()) {
                return;
            }
            if (const std::int32_t length = quietStretchLength(window, state)) {
                if (!playQuietStretch(window, state, length, game)) {
                    return;
                }
                continue;
            }
            ++game;
            raiseCounter(state.totalGames, "プレイ数");
            window.setNumber(Box::Text1, state.totalGames);
            ++state.gamesSinceBig;
            raiseCounter(state.gamesSinceReg, "前回のREGからのゲーム数");
            if (!finishGame(window, state, playGame(window))) {
                return;
            }
        }
    } catch (StatusError& error) {
        nameRunError(error, game, window.machine());
        throw;
    }
}

}  // namespace korvale
