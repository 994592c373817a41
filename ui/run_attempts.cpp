#include "ui/run_attempts.h"

#include <string>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "machine/attempt_end.h"
#include "ui/grid_log.h"

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
    window.setNumber(box, checkedSum(window.strictNumber(box), 1.0));
}

// Games per bonus over the run, once the bonus count is not 0.
void refreshProbability(RunDisplays& window, Box target, Box count) {
    if (window.strictNumber(count) != 0.0) {
        const double games = window.lenientNumber(Box::Text1);
        const double bonuses = window.lenientNumber(count);
        window.setText(target, formatHash0Dot00(checkedQuotient(games, bonuses)));
    }
}

// Logs the finished attempt, updates the totals and averages, and starts the next attempt on a
// new machine.
void endAttempt(RunDisplays& window, AttemptState& state) {
    std::string str割;
    std::int32_t lng獲得 = 0;
    const std::int32_t net = window.machine()->get差枚(str割, lng獲得);

    appendGridRow(window, std::to_string(state.bigsInAttempt), numberText(state.regsInAttempt),
                  numberText(net));
    autoScroll(window);

    window.setText(Box::Text2, numberText(checkedSum(window.strictNumber(Box::Text2),
                                                     static_cast<double>(net))));
    state.coinsPaidOut = checkedAdd(state.coinsPaidOut, lng獲得);
    const double coinsIn = static_cast<double>(checkedMul(state.totalGames, coinsInPerGame));
    window.setText(Box::Text4,
                   formatHashDot00(checkedQuotient(
                       checkedProduct(static_cast<double>(state.coinsPaidOut), 100.0), coinsIn)));

    const double games = static_cast<double>(state.totalGames);
    window.setText(Box::txt1P,
                   formatHashDot00(checkedQuotient(games, window.lenientNumber(Box::txtChosen))));
    const double net差枚 = window.strictNumber(Box::Text2);
    window.setText(Box::txt1Sa,
                   formatHashDot00(checkedQuotient(net差枚, window.lenientNumber(Box::txtChosen))));
    const double bigs = window.strictNumber(Box::txtSBig);
    window.setText(Box::txt1Big,
                   formatHashDot00(checkedQuotient(bigs, window.lenientNumber(Box::txtChosen))));

    replaceMachine(window);
    raiseAttemptNumber(window);
    state.bigsInAttempt = 0;
    state.regsInAttempt = 0;
    state.gamesSinceBig = 0;
    state.gamesSinceReg = 0;
}

}  // namespace

void RunAttempts(RunDisplays& window) {
    AttemptState state;
    state.end.bigEnd = window.lenientNumber(Box::txtBEnd);
    // An overflow here comes before anything of the run has happened.
    state.end.regEnd = toInt32HalfEven(window.lenientNumber(Box::txtREnd));
    replaceMachine(window);
    raiseAttemptNumber(window);

    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;

    for (;;) {
        if (window.stopFlag()) {
            return;
        }
        checkedIncrement(state.totalGames);
        window.setNumber(Box::Text1, state.totalGames);
        ++state.gamesSinceBig;
        checkedIncrement(state.gamesSinceReg);

        const std::string& result = window.machine()->Play(lngNum, lngMode, lngSimauta);
        const bool big = result == "BIG";
        const bool reg = !big && result == "REG";
        if (big) {
            state.gamesSinceBig = 0;
            ++state.bigsInAttempt;
            raiseTotal(window, Box::txtSBig);
        } else if (reg) {
            state.gamesSinceReg = 0;
            checkedIncrement(state.regsInAttempt);
            raiseTotal(window, Box::txtSReg);
        }
        if (big || reg) {
            window.yield(YieldPoint::MidBonus);
            // Closing the window in that yield released the machine: the rest of this game
            // would need it, so the run ends here.
            if (window.machine() == nullptr) {
                return;
            }
            refreshProbability(window, Box::txtBP, Box::txtSBig);
            refreshProbability(window, Box::txtRP, Box::txtSReg);
        }

        if (attemptIsOver(state.end, state.bigsInAttempt, state.gamesSinceBig, state.regsInAttempt,
                          state.gamesSinceReg)) {
            endAttempt(window, state);
        }
        window.yield(YieldPoint::EndOfGame);
    }
}

}  // namespace korvale
