#include "ui/runs/run_mode_stats.h"

#include <string>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "ui/runs/grid_rows.h"
#include "ui/runs/run_error.h"

namespace korvale {
namespace {

// numerator / denominator, both read leniently, written "#0.00".
void writeRate(RunDisplays& window, Box target, Box numerator, Box denominator) {
    aboutBox(target, [&] {
        const double dividend = window.lenientNumber(numerator);
        const double divisor = window.lenientNumber(denominator);
        window.setText(target, formatHash0Dot00(checkedQuotient(dividend, divisor)));
    });
}

}  // namespace

void RunModeStats(RunDisplays& window) {
    window.newMachine().mlngSettei = window.settingIndex();
    std::int32_t games = 0;

    std::int32_t lngNum = 0;
    std::int32_t lngMode = 0;
    std::int32_t lngSimauta = 0;

    // The game in progress, for the message of an error that ends the run.
    std::int64_t game = 0;
    try {
        while (!window.stopFlag()) {
            // The machine is fetched anew each game: a run started inside a yield replaces it.
            clsKorvale& machine = *window.machine();
            ++game;
            raiseCounter(games, "プレイ数");
            // The machine's own result text: it stays as it is until the next game.
            const std::string& result = machine.Play(lngNum, lngMode, lngSimauta);
            const std::int32_t m = machine.mOldMode;
            window.raiseByOne(txtCnt(m));

            const bool big = sameText(result, "BIG");
            if (big || sameText(result, "REG")) {
                appendGridRow(window, result, numberText(lngNum), numberText(lngMode));
                autoScroll(window);

                // Text1 still shows the games before this one: that is the dividend.
                if (big) {
                    window.raiseByOne(Box::txtSBig);
                    writeRate(window, Box::txtBP, Box::Text1, Box::txtSBig);
                    window.raiseByOne(txtBig(lngMode));
                } else {
                    window.raiseByOne(Box::txtSReg);
                    writeRate(window, Box::txtRP, Box::Text1, Box::txtSReg);
                }
                if (window.strictNumber(txtBig(m)) != 0.0) {
                    writeRate(window, txtReg(m), txtCnt(m), txtBig(m));
                }
            }

            // get差枚 for Text2 and Text4; its errors arise here, before Text1 is written.
            window.showCoinFigures(machine);
            window.setNumber(Box::Text1, games);

            window.yield(YieldPoint::EndOfGame);
        }
    } catch (RuntimeError& error) {
        nameRunError(error, game, window.machine());
        throw;
    }
}

}  // namespace korvale
