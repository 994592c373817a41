// The attempt run on scripted games.

#include <QTest>

#include "common/status.h"
#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

class RunAttemptsTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        click("opt(1)");
    }
    // Plays until Stop at the end of the given game; returns the games at whose end a grid row
    // had just been added.
    std::vector<int> runToGame(int lastGame) {
        std::vector<int> rowsAddedAt;
        int rows = 1;  // Start leaves the header row alone
        onYield([this, lastGame, &rowsAddedAt, &rows](YieldPoint point) {
            if (point != YieldPoint::EndOfGame) {
                return;
            }
            if (grid().rows() != rows) {
                rows = grid().rows();
                rowsAddedAt.push_back(gamesShown());
            }
            if (gamesShown() == lastGame) {
                click("cmdStop");
            }
        });
        click("cmdStart");
        EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front().toStdString());
        return rowsAddedAt;
    }
    GameScript script{random, 0};
};

TEST_F(RunAttemptsTest, HeaderRowAndFirstAttempt) {
    setText("txtBEnd", "3");
    script.big(1);
    script.misses(3);
    script.newMachine();
    script.misses(1);
    EXPECT_EQ(runToGame(5), (std::vector<int>{4}));
    EXPECT_EQ(gridRow(0), (std::vector<std::string>{"BIG", "REG", "差枚"}));
    // 388 coins less round(1.604 * 4) = 6: 382 net; 394 paid out of 12 put in.
    EXPECT_EQ(gridRow(1), (std::vector<std::string>{"1", "0", "382"}));
    EXPECT_EQ(text("Text1"), "5");
    EXPECT_EQ(text("Text2"), "382");
    EXPECT_EQ(text("Text4"), "3283.33");
    EXPECT_EQ(text("txt1P"), "4.00");
    EXPECT_EQ(text("txt1Sa"), "382.00");
    EXPECT_EQ(text("txt1Big"), "1.00");
    EXPECT_EQ(text("txtChosen"), "2");
    EXPECT_EQ(text("txtSBig"), "1");
    EXPECT_EQ(text("txtBP"), "1.00");  // Text1 already counts the BIG game
    EXPECT_EQ(text("txtRP"), "0");
    EXPECT_EQ(machinesMade, 2);
}

TEST_F(RunAttemptsTest, AveragesDivideByFinishedAttempts) {
    setText("txtBEnd", "1");
    setText("txtREnd", "0");
    script.big(1);
    script.misses(1);  // attempt 1: 2 games
    script.newMachine();
    script.misses(2);
    script.reg(0);
    script.big(4);
    script.misses(1);  // attempt 2: 5 games
    script.newMachine();
    script.misses(1);
    runToGame(8);
    ASSERT_EQ(grid().rows(), 3);
    // Attempt 2: 515 coins less round(8.02) = 8.
    EXPECT_EQ(gridRow(2), (std::vector<std::string>{"1", "1", "507"}));
    EXPECT_EQ(text("Text2"), "892");  // 385 + 507
    EXPECT_EQ(text("txt1P"), "3.50");
    EXPECT_EQ(text("txt1Sa"), "446.00");
    EXPECT_EQ(text("txt1Big"), "1.00");
    // (391 + 522) coins paid out of 21 put in.
    EXPECT_EQ(text("Text4"), "4347.62");
    EXPECT_EQ(text("txtChosen"), "3");
    EXPECT_EQ(text("txtSReg"), "1");
    // Both probabilities are refreshed on every bonus game: the BIG of game 6 redid the REG's.
    EXPECT_EQ(text("txtRP"), "6.00");
    EXPECT_EQ(text("txtBP"), "3.00");
}

class EndConditions : public RunAttemptsTest {
  protected:
    // A BIG on game 1, a REG on the given game (0 for none), misses up to `games`.
    void scriptAttempt(int regGame, int games) {
        script.big(1);
        for (int game = 2; game <= games; ++game) {
            if (game == regGame) {
                script.reg(1);
            } else {
                script.misses(1);
            }
        }
    }
};

TEST_F(EndConditions, FractionalBigThresholdNeedsTheNextWholeGame) {
    setText("txtBEnd", "300.5");
    scriptAttempt(0, 303);
    EXPECT_EQ(runToGame(303), (std::vector<int>{302}));  // 301 games after the BIG
}

TEST_F(EndConditions, RegAfterTheBigHoldsTheAttemptOn) {
    scriptAttempt(251, 352);                             // the REG falls 250 games after the BIG
    EXPECT_EQ(runToGame(352), (std::vector<int>{351}));  // 100 games after it; 350 after the BIG
}

TEST_F(EndConditions, RegThresholdIsTakenToTheNearestWhole) {
    setText("txtREnd", "100.7");
    scriptAttempt(251, 353);
    EXPECT_EQ(runToGame(353), (std::vector<int>{352}));
}

TEST_F(EndConditions, HalfwayRegThresholdGoesToEven) {
    setText("txtREnd", "100.5");
    scriptAttempt(251, 352);
    EXPECT_EQ(runToGame(352), (std::vector<int>{351}));
}

TEST_F(EndConditions, BigRestartsTheCount) {
    script.big(1);
    script.misses(248);
    script.big(1);  // game 250
    script.misses(301);
    EXPECT_EQ(runToGame(551), (std::vector<int>{550}));
}

TEST_F(EndConditions, BlankOrZeroThresholdsEndOnTheBigGame) {
    for (const char* blank : {"", "0", "abc"}) {
        SCOPED_TRACE(blank);
        setText("txtBEnd", blank);
        script.newMachine();
        script.misses(2);
        script.big(1);
        script.newMachine();
        script.misses(1);
        EXPECT_EQ(runToGame(4), (std::vector<int>{3}));
    }
}

// A Japanese keyboard's full-width digits are read as digits: "３" needs 3 games after the BIG.
TEST_F(EndConditions, FullWidthDigitsCount) {
    setText("txtBEnd", "３");
    setText("txtREnd", "１００．７");
    scriptAttempt(0, 5);
    EXPECT_EQ(runToGame(5), (std::vector<int>{4}));
}

// The REG end threshold is the nearest whole number, halves to the even one: a BIG on game 1,
// a REG on game 2, and (BIG end 1) the attempt ends `threshold` games after the REG.
TEST_F(EndConditions, RegThresholdRoundsHalvesToEven) {
    setText("txtBEnd", "1");
    for (const auto& [typed, threshold] :
         std::vector<std::pair<const char*, int>>{{"101.5", 102},
                                                  {"102.5", 102},
                                                  {"99.5", 100},
                                                  {"300.2", 300},
                                                  {"0.5", 0},
                                                  {"2.5000001", 3}}) {
        SCOPED_TRACE(typed);
        setText("txtREnd", typed);
        script.newMachine();
        scriptAttempt(2, 2 + threshold + 1);
        EXPECT_EQ(runToGame(2 + threshold + 1), (std::vector<int>{2 + threshold}));
    }
}

TEST_F(EndConditions, BlankRegThresholdAlwaysHolds) {
    setText("txtBEnd", "4");
    setText("txtREnd", "");
    script.big(1);
    script.reg(1);
    script.misses(3);
    script.newMachine();
    script.misses(1);
    EXPECT_EQ(runToGame(6), (std::vector<int>{5}));
}

TEST_F(RunAttemptsTest, StopInTheMiddleOfAttemptFive) {
    setText("txtBEnd", "2");
    for (int attempt = 0; attempt < 5; ++attempt) {
        script.newMachine();
        script.big(1);
        script.misses(2);
    }
    runToGame(14);
    EXPECT_EQ(grid().rows(), 5);
    EXPECT_EQ(text("txtChosen"), "5");
    EXPECT_EQ(text("txt1P"), "3.00");
    EXPECT_EQ(text("txtSBig"), "5");
    EXPECT_EQ(text("Text2"), std::to_string(4 * (388 - 5)));  // round(1.604 * 3) = 5
}

class AttemptAutoScroll : public RunAttemptsTest, public ::testing::WithParamInterface<int> {};

TEST_P(AttemptAutoScroll, FollowsFromThe35thAttemptOnlyWhenTicked) {
    setText("txtBEnd", "0");
    for (int attempt = 0; attempt < 36; ++attempt) {
        script.newMachine();
        script.big(1);
    }
    control<CheckBox>("chk")->setValue(GetParam());
    std::vector<int> topRows;
    onYield([this, &topRows](YieldPoint point) {
        if (point == YieldPoint::EndOfGame) {
            topRows.push_back(grid().topRow());
            if (gamesShown() == 36) {
                click("cmdStop");
            }
        }
    });
    click("cmdStart");
    ASSERT_EQ(topRows.size(), 36u);
    EXPECT_EQ(topRows[33], 1);
    EXPECT_EQ(topRows[34] > 1, GetParam() == CheckBox::ticked);
    EXPECT_EQ(topRows[35] > 1, GetParam() == CheckBox::ticked);
}

INSTANTIATE_TEST_SUITE_P(ChkValues, AttemptAutoScroll, ::testing::Values(0, 1, 2));

TEST_F(RunAttemptsTest, SecondRunStartsFromScratch) {
    setText("txtBEnd", "0");
    script.big(1);
    script.newMachine();
    script.misses(1);
    runToGame(2);
    EXPECT_EQ(grid().rows(), 2);
    script.newMachine();
    script.misses(1);
    runToGame(1);
    EXPECT_EQ(grid().rows(), 1);
    EXPECT_EQ(text("txtChosen"), "1");
    EXPECT_EQ(text("txtSBig"), "0");
    EXPECT_EQ(text("Text2"), "0");
    EXPECT_EQ(text("txtBEnd"), "0");
}

TEST_F(RunAttemptsTest, StopInTheMiddleOfABonusGameFinishesThatGame) {
    setText("txtBEnd", "0");
    script.misses(1);
    script.big(1);
    onYield([this](YieldPoint point) {
        if (point == YieldPoint::MidBonus) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    EXPECT_EQ(grid().rows(), 2);  // the attempt ended on that game and was logged
    EXPECT_EQ(text("txtBP"), "2.00");
    EXPECT_EQ(text("txtChosen"), "2");
    EXPECT_EQ(random.remaining(), 0u);
}

TEST_F(RunAttemptsTest, ClosingInTheMiddleOfABonusGameLeavesTheReleasedMachineAlone) {
    setText("txtBEnd", "0");
    script.misses(1);
    script.big(1);
    onYield([this](YieldPoint point) {
        if (point == YieldPoint::MidBonus) {
            window->close();
        }
    });
    click("cmdStart");
    EXPECT_EQ(window->machine(), nullptr);
    EXPECT_EQ(machinesMade, 1);   // no machine for a next attempt
    EXPECT_EQ(grid().rows(), 1);  // nor a row that would have asked the released one
    EXPECT_EQ(text("txtBP"), "0");
    EXPECT_TRUE(errors.empty());
}

// Stop and Start in the yield in the middle of A's BIG game run B inside A. Once B has stopped,
// A finishes that game with B's displays, grid and machine: the attempt (BIG end 0) is over, so
// its row and totals go where B left off, with the coins of the machine B played (2 games, one
// REG: 127 coins less round(3.208) = 3, 124 net, 130 obtained).
TEST_F(RunAttemptsTest, StartInTheMiddleOfABonusGameNestsARun) {
    setText("txtBEnd", "0");
    script.misses(1);
    script.big(1);
    script.newMachine();
    script.reg(0);
    script.misses(1);
    int depth = 0;
    onYield([&](YieldPoint point) {
        if (depth == 0 && point == YieldPoint::MidBonus) {
            ++depth;
            click("cmdStop");
            click("cmdStart");
            --depth;
        } else if (depth == 1 && point == YieldPoint::EndOfGame && gamesShown() == 2) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(random.remaining(), 0u);
    EXPECT_EQ(machinesMade, 3);
    ASSERT_EQ(grid().rows(), 2);
    EXPECT_EQ(gridRow(0), (std::vector<std::string>{"BIG", "REG", "差枚"}));
    EXPECT_EQ(gridRow(1), (std::vector<std::string>{"1", "0", "124"}));
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"Text1", "2"},    {"txtSBig", "0"},     {"txtSReg", "1"},     {"txtBP", "0"},
        {"txtRP", "2.00"}, {"Text2", "124"},     {"Text4", "2166.67"},  // 130 of A's 6 coins
        {"txt1P", "2.00"}, {"txt1Sa", "124.00"}, {"txt1Big", ".00"},   {"txtChosen", "2"}};
    for (const auto& [box, value] : expected) {
        EXPECT_EQ(text(box), value) << box;
    }
}

// An error in the nested run B ends A too: one message, and nothing written after it (A would
// otherwise meet B's error again when it refreshes the BIG probability).
TEST_F(RunAttemptsTest, AnErrorInANestedRunEndsEveryRun) {
    setText("txtBEnd", "0");
    script.misses(1);
    script.big(1);
    script.newMachine();
    script.misses(1);
    script.big(1);
    int depth = 0;
    onYield([&](YieldPoint point) {
        if (depth == 0 && point == YieldPoint::MidBonus) {
            ++depth;
            click("cmdStop");
            click("cmdStart");
            --depth;
        } else if (depth == 1 && point == YieldPoint::EndOfGame && gamesShown() == 1) {
            setText("txtSBig", "x");
        }
    });
    std::vector<std::string> shownAtMessage;
    window->setErrorReporter([&](const QString& message) {
        errors.push_back(message);
        for (int box = 0; box < boxCount; ++box) {
            shownAtMessage.push_back(text(boxName(static_cast<Box>(box))));
        }
        shownAtMessage.push_back(std::to_string(grid().rows()));
    });
    click("cmdStart");
    expectIdleAfter(StatusReason::TypeMismatch);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("「BIG」の欄の「x」は数値ではありません。")));
    std::vector<std::string> shownAtEnd;
    for (int box = 0; box < boxCount; ++box) {
        shownAtEnd.push_back(text(boxName(static_cast<Box>(box))));
    }
    shownAtEnd.push_back(std::to_string(grid().rows()));
    EXPECT_EQ(shownAtEnd, shownAtMessage);
    EXPECT_EQ(text("Text1"), "2");
    EXPECT_EQ(grid().rows(), 1);
    EXPECT_EQ(random.remaining(), 0u);
}

// The yield in the middle of a bonus game comes after the bonus is counted and before the
// probabilities are refreshed: what is typed there counts in the refresh.
TEST_F(RunAttemptsTest, MidBonusYieldComesBeforeTheProbabilities) {
    setText("txtBEnd", "5");
    script.misses(1);
    script.big(1);
    script.misses(1);
    std::vector<std::string> atMidBonus;
    onYield([&](YieldPoint point) {
        if (point == YieldPoint::MidBonus) {
            atMidBonus = {text("Text1"), text("txtSBig"), text("txtBP")};
            setText("Text1", "10");
        } else if (gamesShown() == 3) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    EXPECT_EQ(atMidBonus, (std::vector<std::string>{"2", "1", "0"}));
    EXPECT_EQ(text("txtBP"), "10.00");  // the typed 10 games per 1 BIG
}

// Both kinds of run reset both panels, and Start writes the headers of the kind chosen.
TEST_F(RunAttemptsTest, StartResetsBothPanelsAndWritesItsKindsHeaders) {
    setText("txtBEnd", "0");
    script.big(1);
    script.newMachine();
    script.misses(1);
    setText("txtCnt(2)", "7");
    setText("txtReg(4)", "1.5");
    runToGame(2);
    EXPECT_EQ(text("txtCnt(2)"), "0");
    EXPECT_EQ(text("txtReg(4)"), "0");
    EXPECT_EQ(text("txtChosen"), "2");
    EXPECT_EQ(text("txt1Big"), "1.00");

    click("opt(0)");
    script.newMachine();
    script.misses(1);
    stopAtGame(1);
    click("cmdStart");
    EXPECT_EQ(gridRow(0), (std::vector<std::string>{"BONUS", "回転数", "モード"}));
    for (const char* box : {"txtChosen", "txt1P", "txt1Sa", "txt1Big", "Text2", "txtSBig"}) {
        EXPECT_EQ(text(box), box == std::string("Text2") ? "-2" : "0") << box;
    }
    EXPECT_EQ(text("txtBEnd"), "0");
}

class RunAttemptsErrors : public RunAttemptsTest {};

// The run-wide totals are read strictly at the end of an attempt: letters in them are a type
// mismatch, not 0. BIG end 1: the attempt ends on game 2; the letters are typed after game 1.
TEST_F(RunAttemptsErrors, LettersInTheTotalsAtTheEndOfAnAttempt) {
    for (const char* box : {"Text2", "txtSBig"}) {
        SCOPED_TRACE(box);
        errors.clear();
        setText("txtBEnd", "1");
        script.newMachine();
        script.big(1);
        script.misses(1);
        onYield([this, box](YieldPoint point) {
            if (point == YieldPoint::EndOfGame && gamesShown() == 1) {
                setText(box, "x");
            }
        });
        click("cmdStart");
        expectIdleAfter(StatusReason::TypeMismatch);
        EXPECT_EQ(grid().rows(), 2);  // the row came before the totals
        // Text2 fails at its own update; txtSBig at the last average, after the others.
        EXPECT_EQ(text("txt1P"), box == std::string("Text2") ? "0" : "2.00");
        EXPECT_EQ(text("txt1Big"), "0");
    }
}

TEST_F(RunAttemptsErrors, RegThresholdBeyond32BitsFailsBeforeAnyGame) {
    setText("txtREnd", "3000000000");
    const clsKorvale* loaded = window->machine();
    click("cmdStart");
    expectIdleAfter(StatusReason::Overflow);
    EXPECT_EQ(random.drawn(), 0u);
    EXPECT_EQ(machinesMade, 0);
    EXPECT_EQ(window->machine(), loaded);
    EXPECT_EQ(text("txtChosen"), "0");
    EXPECT_EQ(text("Text1"), "0");
}

TEST_F(RunAttemptsErrors, LettersInATotalMeetTheStrictReading) {
    script.misses(1);
    script.reg(0);
    onYield([this](YieldPoint) {
        if (gamesShown() == 1) {
            control<QLineEdit>("txtSReg")->clear();
            QTest::keyClicks(control<QLineEdit>("txtSReg"), "x1");
        }
    });
    click("cmdStart");
    expectIdleAfter(StatusReason::TypeMismatch);
    EXPECT_EQ(text("Text1"), "2");
    EXPECT_EQ(text("txtSReg"), "x1");
}

TEST_F(RunAttemptsErrors, AttemptCountTypedAsZeroDividesByZero) {
    setText("txtBEnd", "1");
    script.big(1);
    script.misses(1);
    onYield([this](YieldPoint) {
        if (gamesShown() == 1) {
            setText("txtChosen", "0");
        }
    });
    click("cmdStart");
    expectIdleAfter(StatusReason::DivisionByZero);
    // The end of the attempt got as far as the row, the net coins and the payout rate.
    EXPECT_EQ(grid().rows(), 2);
    EXPECT_EQ(text("Text2"), "385");
    EXPECT_NE(text("Text4"), "0");
    EXPECT_EQ(text("txt1P"), "0");
}

}  // namespace
}  // namespace korvale::testing
