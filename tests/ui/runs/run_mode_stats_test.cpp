// The per-mode statistics run on scripted games.

#include <QScrollBar>
#include <QTest>

#include "common/status.h"
#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

class RunModeStatsTest : public WindowTest {
  protected:
    GameScript script{random, 0};
};

TEST_F(RunModeStatsTest, StartDisablesTheRunChoiceAndStopEnablesIt) {
    script.misses(3);
    setText("txtBEnd", "7");
    onYield([this](YieldPoint) {
        if (gamesShown() == 1) {
            for (const char* name : {"cmdStart", "cmbSettei", "opt(0)", "opt(1)"}) {
                EXPECT_FALSE(enabled(name)) << name;
            }
            for (const char* name : {"cmdStop", "chk", "Text1", "txtBEnd"}) {
                EXPECT_TRUE(enabled(name)) << name;
            }
            EXPECT_FALSE(window->stopFlag());
        }
        if (gamesShown() == 2) {
            click("cmdStop");
            EXPECT_TRUE(enabled("cmdStart"));
        }
    });
    click("cmdStart");
    // The game in progress when Stop came was completed, and no other was played.
    EXPECT_EQ(text("Text1"), "2");
    EXPECT_EQ(random.drawn(), 2u);
    for (const char* name : {"cmdStart", "cmbSettei", "opt(0)", "opt(1)"}) {
        EXPECT_TRUE(enabled(name)) << name;
    }
    EXPECT_EQ(text("txtBEnd"), "7");
    EXPECT_EQ(gridRow(0), (std::vector<std::string>{"BONUS", "回転数", "モード"}));
    EXPECT_TRUE(errors.empty());
}

// BIG on game 1 (mode 0 -> 1), misses, REG in mode 1, BIG in mode 1 (-> 2), a miss in mode 2.
TEST_F(RunModeStatsTest, CountsLogsAndRatesPerMode) {
    script.big(1);
    script.misses(2);
    script.reg(1);
    script.big(2);
    script.misses(1);
    std::vector<std::vector<std::string>> perGame;
    onYield([this, &perGame](YieldPoint) {
        perGame.push_back(
            {text("Text1"), text("Text2"), text("Text4"), text("txtBP"), text("txtReg(1)")});
        if (gamesShown() == 6) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    ASSERT_TRUE(errors.empty()) << errors.front().toStdString();

    ASSERT_EQ(grid().rows(), 4);
    EXPECT_EQ(gridRow(1), (std::vector<std::string>{"BIG", "1", "0"}));
    EXPECT_EQ(gridRow(2), (std::vector<std::string>{"REG", "3", "1"}));
    EXPECT_EQ(gridRow(3), (std::vector<std::string>{"BIG", "1", "1"}));

    EXPECT_EQ(text("txtCnt(0)"), "1");
    EXPECT_EQ(text("txtCnt(1)"), "4");
    EXPECT_EQ(text("txtCnt(2)"), "1");
    EXPECT_EQ(text("txtBig(0)"), "1");
    EXPECT_EQ(text("txtBig(1)"), "1");
    EXPECT_EQ(text("txtBig(2)"), "0");
    EXPECT_EQ(text("txtReg(0)"), "1.00");  // 1 game / 1 BIG
    EXPECT_EQ(text("txtReg(1)"), "4.00");  // 4 games / 1 BIG, refreshed by the BIG of game 5
    EXPECT_EQ(text("txtReg(2)"), "0");
    EXPECT_EQ(text("txtSBig"), "2");
    EXPECT_EQ(text("txtSReg"), "1");
    EXPECT_EQ(text("txtBP"), "2.00");  // 4 games before game 5 / 2 BIGs
    EXPECT_EQ(text("txtRP"), "3.00");  // 3 games before game 4 / 1 REG

    ASSERT_EQ(perGame.size(), 6u);
    // Game 1: a BIG on the first game divides 0 games by 1 BIG. 388 coins paid, cost
    // round(1.604) = 2, so 386 net; 389 of 3 coins is 12966.67 %.
    EXPECT_EQ(perGame[0], (std::vector<std::string>{"1", "386", "12966.67", "0.00", "0"}));
    // Game 4: the REG in mode 1 leaves its rate alone, mode 1 having had no BIG yet.
    // 388 + 127 - round(6.416) = 509 net.
    EXPECT_EQ(perGame[3], (std::vector<std::string>{"4", "509", "4341.67", "0.00", "0"}));
    // Game 6: 2 BIGs and a REG, 903 coins, cost round(9.624) = 10.
    EXPECT_EQ(perGame[5], (std::vector<std::string>{"6", "893", "5061.11", "2.00", "4.00"}));
}

TEST_F(RunModeStatsTest, UsesTheChosenSettingOnANewMachine) {
    control<QComboBox>("cmbSettei")->setCurrentIndex(5);
    GameScript setting6(random, 5);
    setting6.reg(0);  // draw 1 is a REG in every setting
    setting6.misses(1);
    stopAtGame(2);
    click("cmdStart");
    EXPECT_EQ(window->machine()->mlngPlayCnt, 2);
    EXPECT_EQ(window->machine()->mlngSettei, 5);
    EXPECT_EQ(machinesMade, 1);
    // 127 coins less round(1.563 * 2) = 3.
    EXPECT_EQ(text("Text2"), "124");
}

// A mode's RT release rate is refreshed by the bonuses of games begun in that mode, BIG or REG,
// and by nothing else: not by the games between them, not by a bonus in another mode.
// Game 1: BIG in mode 0 (-> 1); game 2: BIG in mode 1 (stays); games 3-4: misses in mode 1;
// then "40" typed into mode 0's games; game 5: REG in mode 1; game 6: a miss.
TEST_F(RunModeStatsTest, ReleaseRateFollowsOnlyItsOwnModesBonuses) {
    script.big(1);
    script.big(1);
    script.misses(2);
    script.reg(1);
    script.misses(1);
    std::vector<std::string> mode1Rate;
    onYield([&](YieldPoint) {
        mode1Rate.push_back(text("txtReg(1)"));
        if (gamesShown() == 4) {
            setText("txtCnt(0)", "40");
        }
        if (gamesShown() == 6) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    ASSERT_TRUE(errors.empty());
    EXPECT_EQ(mode1Rate, (std::vector<std::string>{"0", "1.00", "1.00", "1.00", "4.00", "4.00"}));
    EXPECT_EQ(text("txtReg(0)"), "1.00");  // mode 0 had no bonus after the typing
    EXPECT_EQ(text("txtCnt(0)"), "40");
}

// What the widgets show when the message comes: everything the failing game did up to its error.
TEST_F(RunModeStatsTest, DisplaysAreOnShowWhenTheMessageComes) {
    script.misses(2);
    script.reg(0);
    onYield([this](YieldPoint) {
        if (gamesShown() == 2) {
            setText("txtBig(0)", "abc");
        }
    });
    std::vector<std::string> shown;
    window->setErrorReporter([&](const QString& message) {
        errors.push_back(message);
        shown = {text("Text1"), text("txtSReg"), text("txtRP"), text("txtCnt(0)"),
                 std::to_string(grid().rows())};
    });
    click("cmdStart");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(shown, (std::vector<std::string>{"2", "1", "2.00", "3", "2"}));
}

class AutoScroll : public RunModeStatsTest, public ::testing::WithParamInterface<int> {};

TEST_P(AutoScroll, FollowsFromThe35thRowOnlyWhenTicked) {
    for (int i = 0; i < 36; ++i) {
        script.reg(0);
    }
    control<CheckBox>("chk")->setValue(GetParam());
    std::vector<int> topRows;
    onYield([this, &topRows](YieldPoint) {
        topRows.push_back(grid().topRow());
        if (gamesShown() == 36) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    ASSERT_EQ(topRows.size(), 36u);
    EXPECT_EQ(topRows[33], 1);  // 34th row
    if (GetParam() == CheckBox::ticked) {
        EXPECT_GT(topRows[34], 1);  // 35th row: scrolled to the newest row, as far as it goes
        EXPECT_EQ(topRows[35], grid().verticalScrollBar()->maximum() + 1);
    } else {
        EXPECT_EQ(topRows[34], 1);
        EXPECT_EQ(topRows[35], 1);
    }
}

INSTANTIATE_TEST_SUITE_P(ChkValues, AutoScroll, ::testing::Values(0, 1, 2));

TEST_F(RunModeStatsTest, TickingAutoScrollTakesEffectAtTheNextBonus) {
    for (int i = 0; i < 40; ++i) {
        script.reg(0);
    }
    script.misses(1);
    int topAfterTick = 0;
    onYield([this, &topAfterTick](YieldPoint) {
        if (gamesShown() == 38) {
            topAfterTick = grid().topRow();
            click("chk");
        }
        if (gamesShown() == 39) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    EXPECT_EQ(topAfterTick, 1);
    EXPECT_GT(grid().topRow(), 1);
}

TEST_F(RunModeStatsTest, SecondRunStartsFromScratch) {
    script.big(3);
    script.misses(2);
    stopAtGame(3);
    setText("txtREnd", "55");
    click("cmdStart");
    EXPECT_EQ(grid().rows(), 2);

    script.newMachine();
    script.misses(1);
    stopAtGame(1);
    click("cmdStart");
    EXPECT_EQ(machinesMade, 2);
    EXPECT_EQ(grid().rows(), 1);
    EXPECT_EQ(text("Text1"), "1");
    EXPECT_EQ(text("txtSBig"), "0");
    EXPECT_EQ(text("txtBig(0)"), "0");
    EXPECT_EQ(text("txtCnt(0)"), "1");
    EXPECT_EQ(text("txtCnt(3)"), "0");
    EXPECT_EQ(text("txtREnd"), "55");
}

TEST_F(RunModeStatsTest, ClosingDuringARunEndsItWithoutTouchingTheMachine) {
    script.misses(5);
    onYield([this](YieldPoint) {
        if (gamesShown() == 2) {
            window->close();
        }
    });
    click("cmdStart");
    EXPECT_EQ(random.drawn(), 2u);
    EXPECT_EQ(window->machine(), nullptr);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(text("Text1"), "2");
}

TEST_F(RunModeStatsTest, StartAfterStopInsideAYieldNestsASecondRun) {
    script.misses(3);
    script.newMachine();
    script.big(1);
    script.misses(1);
    int depth = 0;
    int outerGames = 0;
    onYield([&](YieldPoint) {
        if (depth == 0 && gamesShown() == 3) {
            outerGames = gamesShown();
            ++depth;
            click("cmdStop");
            click("cmdStart");  // runs the nested run to its end, right here
            --depth;
        } else if (depth == 1 && gamesShown() == 2) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    EXPECT_EQ(outerGames, 3);
    EXPECT_EQ(random.remaining(), 0u);  // the outer run played no game after the nested one
    EXPECT_EQ(machinesMade, 2);
    EXPECT_EQ(text("Text1"), "2");  // what the nested run left
    EXPECT_EQ(grid().rows(), 2);
    EXPECT_TRUE(enabled("cmdStart"));
}

class RunModeStatsErrors : public RunModeStatsTest {};

TEST_F(RunModeStatsErrors, LettersMeetingTheStrictZeroTest) {
    script.misses(2);
    script.reg(0);
    onYield([this](YieldPoint) {
        if (gamesShown() == 2) {
            control<QLineEdit>("txtBig(0)")->clear();
            QTest::keyClicks(control<QLineEdit>("txtBig(0)"), "abc");
        }
    });
    click("cmdStart");
    expectIdleAfter(StatusReason::TypeMismatch);
    // Game 3 stopped at its zero test: the row and the REG count are on show, the game's
    // totals are not.
    EXPECT_EQ(grid().rows(), 2);
    EXPECT_EQ(gridRow(1), (std::vector<std::string>{"REG", "3", "0"}));
    EXPECT_EQ(text("txtSReg"), "1");
    EXPECT_EQ(text("txtRP"), "2.00");
    EXPECT_EQ(text("txtCnt(0)"), "3");
    EXPECT_EQ(text("Text1"), "2");
    EXPECT_EQ(text("txtBig(0)"), "abc");
}

TEST_F(RunModeStatsErrors, FloatingOverflowOfATypedTotal) {
    script.misses(1);
    script.big(1);
    onYield([this](YieldPoint) {
        if (gamesShown() == 1) {
            setText("txtSBig", std::string(400, '9'));
        }
    });
    click("cmdStart");
    expectIdleAfter(StatusReason::FloatOverflow);
    EXPECT_EQ(grid().rows(), 2);
}

TEST_F(RunModeStatsErrors, OverflowAfterALongRunKeepsTheDisplays) {
    // A machine one game short of 715,827,883 games, where the coins put in (3 a game) no
    // longer fit 32 bits: the first limit a long run meets.
    window->setMachineFactory([this] {
        auto machine = std::make_unique<clsKorvale>(random);
        machine->mlngPlayCnt = 715827882 - 1;
        return machine;
    });
    script.misses(3);
    click("cmdStart");
    expectIdleAfter(StatusReason::Overflow);
    // The run ends at the last whole game: the one that failed is not counted for its mode.
    EXPECT_EQ(text("Text1"), "1");
    EXPECT_EQ(text("txtCnt(0)"), "1");
    EXPECT_NE(window->machine(), nullptr);
    // The window goes on: a new run can start.
    script.misses(1);
    window->setMachineFactory([this] { return std::make_unique<clsKorvale>(random); });
    stopAtGame(1);
    click("cmdStart");
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(text("Text1"), "1");
}

// The coin figures are worked out only when the boxes are handed to the widgets, but their errors
// still arise at their game. 5,534,751 BIGs pay 2,147,483,388 coins: with c = 1.604, game 185
// brings 555 coins in and costs 297, 2,147,483,646 obtained; game 186 costs 298 and the coins
// obtained, 2,147,483,648, no longer fit.
TEST_F(RunModeStatsErrors, CoinsObtainedPastTheLimitFailAtTheirGame) {
    window->setMachineFactory([this] {
        auto machine = std::make_unique<clsKorvale>(random);
        machine->mlngPlayCnt = 170;
        machine->mlngBigCnt = 5'534'751;
        return machine;
    });
    script.misses(20);
    click("cmdStart");
    expectIdleAfter(StatusReason::Overflow);
    EXPECT_EQ(text("Text1"), "15");  // games 171 to 185 of the machine
    EXPECT_EQ(text("Text2"), "2147483091");
    EXPECT_EQ(text("Text4"), "386933990.27");
    EXPECT_EQ(text("txtCnt(0)"), "15");
}

// A BIG whose 388 coins no longer fit 32 bits fails on the game that drew it.
TEST_F(RunModeStatsErrors, BigCoinsPastTheLimitFailOnTheBigGame) {
    window->setMachineFactory([this] {
        auto machine = std::make_unique<clsKorvale>(random);
        machine->mlngBigCnt = 5'534'751;
        return machine;
    });
    script.misses(3);
    script.big(1);
    script.misses(1);
    click("cmdStart");
    expectIdleAfter(StatusReason::Overflow);
    EXPECT_EQ(text("Text1"), "3");
    // The BIG whose coins do not fit is not counted, nor logged: the boxes agree.
    EXPECT_EQ(text("txtSBig"), "0");
    EXPECT_EQ(grid().rows(), 1);
    // 2,147,483,388 coins less round(1.604 × 3) = 5.
    EXPECT_EQ(text("Text2"), "2147483383");
}

}  // namespace
}  // namespace korvale::testing
