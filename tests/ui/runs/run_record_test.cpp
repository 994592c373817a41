// What the main window's runs publish for the windows that follow them: every row the grid
// shows, typed, the games Text1 shows and the setup Start read; and the choice of the next run
// as the controls stand, with a signal at each change.

#include <QComboBox>
#include <QSignalSpy>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

class RunRecordTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->setMachineFactory([this] { return std::make_unique<clsKorvale>(generator); });
    }

    // The record's rows written as the grid writes them, beside the grid's own rows.
    std::vector<std::vector<std::string>> recordRows() const {
        std::vector<std::vector<std::string>> rows;
        for (const BonusLogged& bonus : window->runRecord().bonuses()) {
            rows.push_back({bonus.big ? "BIG" : "REG", std::to_string(bonus.games),
                            std::to_string(bonus.mode)});
        }
        for (const AttemptLogged& attempt : window->runRecord().attempts()) {
            rows.push_back({std::to_string(attempt.bigs), std::to_string(attempt.regs),
                            std::to_string(attempt.net)});
        }
        return rows;
    }
    std::vector<std::vector<std::string>> gridRows() {
        std::vector<std::vector<std::string>> rows;
        for (int row = 1; row < grid().rows(); ++row) {
            rows.push_back(gridRow(row));
        }
        return rows;
    }
    // At each real yield of a run of `yields` real yields, and after it: the record agrees with
    // the grid and Text1.
    void runAndCompare(int yields) {
        int seen = 0;
        onYield([&](YieldPoint) {
            EXPECT_EQ(recordRows(), gridRows()) << "yield " << seen;
            EXPECT_EQ(window->runRecord().gamesShown(), std::stoll(text("Text1")));
            if (++seen == yields) {
                click("cmdStop");
            }
        });
        click("cmdStart");
        EXPECT_EQ(recordRows(), gridRows());
        EXPECT_EQ(window->runRecord().gamesShown(), std::stoll(text("Text1")));
        EXPECT_GT(grid().rows(), 6);  // rows enough to be compared
    }

    Xoshiro256PlusPlus generator{20240611};
};

TEST_F(RunRecordTest, HoldsEveryRowTheGridShowsAndTheGamesOnShow) {
    struct Case {
        bool attempts;
        int realYieldEvery;  // 0: write through at every yield
    };
    for (const Case& run : {Case{false, 1}, Case{false, 97}, Case{false, 0}, Case{true, 1},
                            Case{true, 97}, Case{true, 0}}) {
        SCOPED_TRACE(std::to_string(run.attempts) + " " + std::to_string(run.realYieldEvery));
        window->runDisplays().setWriteThrough(run.realYieldEvery == 0);
        window->runDisplays().setRealYieldEvery(std::max(run.realYieldEvery, 1));
        click(run.attempts ? "opt(1)" : "opt(0)");
        setText("txtBEnd", "30");
        setText("txtREnd", "10");
        // Each run starts the record over, with the setup Start read.
        runAndCompare(run.realYieldEvery == 97 ? 40 : 3000);
        const RunSetup& setup = window->runRecord().setup();
        EXPECT_TRUE(setup.started);
        EXPECT_EQ(setup.attempts, run.attempts);
        EXPECT_EQ(setup.bigEndText, "30");
        EXPECT_EQ(setup.regEndText, "10");
    }
}

TEST_F(RunRecordTest, TheNextRunsChoiceIsSignalledAsItChanges) {
    const QSignalSpy setting(window.get(), &frmMain::settingChosen);
    const QSignalSpy kind(window.get(), &frmMain::runKindChosen);
    const QSignalSpy ends(window.get(), &frmMain::endTyped);
    control<QComboBox>("cmbSettei")->setCurrentIndex(3);
    click("opt(1)");
    setText("txtBEnd", "abc");
    setText("txtREnd", "0.5");
    EXPECT_EQ(setting.count(), 1);
    EXPECT_EQ(setting.at(0).at(0).toInt(), 3);
    EXPECT_GE(kind.count(), 1);
    EXPECT_EQ(ends.count(), 2);
    const RunSetup next = window->nextSetup();
    EXPECT_EQ(next.attempts, true);
    EXPECT_EQ(next.setting, 3);
    EXPECT_EQ(next.bigEndText, "abc");
    EXPECT_EQ(next.regEndText, "0.5");
    // Nothing is started by a choice: the record still holds no run.
    EXPECT_FALSE(window->runRecord().setup().started);
    EXPECT_EQ(window->runRecord().rowCount(), 0u);
}

}  // namespace
}  // namespace korvale::testing
