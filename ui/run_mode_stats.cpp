#include "ui/run_mode_stats.h"

#include <string>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "ui/grid_log.h"

namespace korvale {
namespace {

// A box's lenient number raised by one.
void raiseByOne(RunDisplays& window, Box box) {
    window.setNumber(box, checkedSum(window.lenientNumber(box), 1.0));
}

// numerator / denominator, both read leniently, written "#0.00".
void writeRate(RunDisplays& window, Box target, Box numerator, Box denominator) {
    const double dividend = window.lenientNumber(numerator);
    const double divisor = window.lenientNumber(denominator);
    window.setText(target, formatHash0Dot00(checkedQuotient(dividend, divisor)));
}

}  // namespace

void RunModeStats(RunDisplays& window) {
    window.newMachine().mlngSettei = window.settingIndex();
    std::int32_t games = 0;

    std::string result;
    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;
    std::string str割;
    std::int32_t lng獲得 = 0;

    while (!window.stopFlag()) {
        // The machine is fetched anew each game: a run started inside a yield replaces it.
        clsKorvale& machine = *window.machine();
        checkedIncrement(games);
        result = machine.Play(lngNum, lngMode, lngSimauta);
        const std::int32_t m = machine.mOldMode;
        raiseByOne(window, txtCnt(m));

        if (result == "BIG" || result == "REG") {
            appendGridRow(window, result, numberText(lngNum), numberText(lngMode));
            autoScroll(window);

            // Text1 still shows the games before this one: that is the dividend.
            if (result == "BIG") {
                raiseByOne(window, Box::txtSBig);
                writeRate(window, Box::txtBP, Box::Text1, Box::txtSBig);
                raiseByOne(window, txtBig(lngMode));
            } else {
                raiseByOne(window, Box::txtSReg);
                writeRate(window, Box::txtRP, Box::Text1, Box::txtSReg);
            }
            if (window.strictNumber(txtBig(m)) != 0.0) {
                writeRate(window, txtReg(m), txtCnt(m), txtBig(m));
            }
        }

        const std::int32_t net = machine.get差枚(str割, lng獲得);
        window.setNumber(Box::Text1, games);
        window.setNumber(Box::Text2, net);
        window.setText(Box::Text4, str割);

        window.yield(YieldPoint::EndOfGame);
    }
}

}  // namespace korvale
