// The fast path shows what writing through to the widgets at every game shows: the same seeded
// games are played both ways, with the same user actions at the same games, and every box and
// grid cell is compared.

#include <QTest>
#include <algorithm>

#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

// What the user does: type a number into a box, click chk, click Stop, type letters into the
// boxes the run reads strictly, close the window, click Stop and Start (a nested run), or type
// into every mode's game count a fraction or a whole number too large for adding one at a time
// to be exact (so that the games of a stretch cannot be counted with one addition).
enum Kind {
    typeNumber,
    clickChk,
    clickStop,
    typeLetters,
    closeWindow,
    stopAndStart,
    typeFractionCounts,
    typeHugeCounts
};

// A user action at a game, as the run's displays identify it.
struct Action {
    YieldPoint point;
    std::string game;  // Text1 at that yield
    Kind kind;
};

// The actions of a run: at which real yield of the fast path each comes.
using Plan = std::vector<std::pair<int, Kind>>;

struct Outcome {
    std::vector<std::string> boxes;
    std::vector<std::vector<std::string>> grid;
    int topRow = 0;
    std::vector<QString> messages;
};

class FastPathTest : public ::testing::Test {
  protected:
    static constexpr std::uint64_t seed = 20240611;

    std::unique_ptr<frmMain> makeWindow(Xoshiro256PlusPlus& generator, bool attempts) {
        auto window = std::make_unique<frmMain>();
        window->setMachineFactory([this, &generator] {
            auto machine = std::make_unique<clsKorvale>(generator);
            if (prepareMachine_) {
                prepareMachine_(*machine);
            }
            return machine;
        });
        window->setErrorReporter([this](const QString& message) { messages_.push_back(message); });
        window->show();
        if (attempts) {
            window->findChild<QAbstractButton*>("opt(1)")->click();
            // Short attempts, so that many are logged and auto scroll comes into play.
            window->findChild<QLineEdit*>("txtBEnd")->setText("30");
            window->findChild<QLineEdit*>("txtREnd")->setText("10");
        }
        return window;
    }

    static void act(frmMain& window, Kind kind, const char* typedBox) {
        const auto click = [&](const char* name) {
            window.findChild<QAbstractButton*>(name)->click();
        };
        switch (kind) {
            case typeNumber: {
                auto* box = window.findChild<QLineEdit*>(typedBox);
                box->clear();
                QTest::keyClicks(box, "1000");
                break;
            }
            case clickChk:
                click("chk");
                break;
            case clickStop:
                click("cmdStop");
                break;
            case typeLetters:
                for (const char* name : {"txtBig(0)", "txtBig(1)", "txtBig(2)", "txtBig(3)",
                                         "txtBig(4)", "txtBig(5)", "txtSBig"}) {
                    window.findChild<QLineEdit*>(name)->setText("x");
                }
                break;
            case closeWindow:
                window.close();
                break;
            case stopAndStart:
                click("cmdStop");
                click("cmdStart");
                break;
            case typeFractionCounts:
            case typeHugeCounts:
                // Past 2^52 a half rounds to even: 2^52 - 1.5 + 1 + 1 + 1 is 2^52 + 1, but
                // 2^52 - 1.5 + 3 is 2^52 + 2; and 2^53 + 1 is 2^53.
                for (int mode = 0; mode < modeBoxCount; ++mode) {
                    window.findChild<QLineEdit*>(QString::fromStdString(boxName(txtCnt(mode))))
                        ->setText(kind == typeFractionCounts ? "4503599627370493.5"
                                                             : "9007199254740992");
                }
                break;
        }
    }

    Outcome outcome(frmMain& window) {
        Outcome result;
        result.messages = messages_;
        messages_.clear();
        for (int box = 0; box < boxCount; ++box) {
            result.boxes.push_back(
                window
                    .findChild<QLineEdit*>(QString::fromStdString(boxName(static_cast<Box>(box))))
                    ->text()
                    .toStdString());
        }
        auto* grid = window.findChild<ResultsGrid*>("flex1");
        for (int row = 0; row < grid->rows(); ++row) {
            result.grid.push_back(
                {grid->cellText(row, 0), grid->cellText(row, 1), grid->cellText(row, 2)});
        }
        result.topRow = grid->topRow();
        return result;
    }

    static std::string gameShown(frmMain& window) {
        return window.findChild<QLineEdit*>("Text1")->text().toStdString();
    }

    // The fast path, really yielding every yieldEvery-th yield; the actions come at chosen real
    // yields.
    Outcome runFast(bool attempts, const char* typedBox, const Plan& plan, int yieldEvery,
                    std::vector<Action>& actions) {
        Xoshiro256PlusPlus generator(seed);
        auto window = makeWindow(generator, attempts);
        window->runDisplays().setRealYieldEvery(yieldEvery);
        int realYields = 0;
        window->runDisplays().setYieldHook([&](YieldPoint point) {
            // A nested run yields inside act(): this yield's number is kept.
            const int thisYield = ++realYields;
            for (const auto& [at, kind] : plan) {
                if (at == thisYield) {
                    actions.push_back({point, gameShown(*window), kind});
                    act(*window, kind, typedBox);
                }
            }
        });
        window->findChild<QAbstractButton*>("cmdStart")->click();
        return outcome(*window);
    }

    // Writing through and yielding at every game, acting at the same games.
    Outcome runWriteThrough(bool attempts, const char* typedBox,
                            const std::vector<Action>& actions) {
        Xoshiro256PlusPlus generator(seed);
        auto window = makeWindow(generator, attempts);
        window->runDisplays().setWriteThrough(true);
        std::size_t next = 0;
        window->runDisplays().setYieldHook([&](YieldPoint point) {
            if (next < actions.size() && actions[next].point == point &&
                actions[next].game == gameShown(*window)) {
                // Counted first: a Start runs the nested run inside this call.
                ++next;
                act(*window, actions[next - 1].kind, typedBox);
            }
        });
        window->findChild<QAbstractButton*>("cmdStart")->click();
        EXPECT_EQ(next, actions.size());
        return outcome(*window);
    }

    // yieldEvery 997 and the default plan make a run long enough for auto scroll to follow.
    void expectSame(bool attempts, const char* typedBox,
                    const Plan& plan = {{4, typeNumber}, {7, clickChk}, {15, clickStop}},
                    int yieldEvery = 997, bool machineFails = false) {
        std::vector<Action> actions;
        const Outcome fast = runFast(attempts, typedBox, plan, yieldEvery, actions);
        // A machine that fails ends the run before the plan's last action.
        EXPECT_EQ(actions.size(), machineFails ? 0u : plan.size());
        const Outcome plain = runWriteThrough(attempts, typedBox, actions);
        EXPECT_EQ(fast.boxes, plain.boxes);
        ASSERT_EQ(fast.grid.size(), plain.grid.size());
        EXPECT_EQ(fast.grid, plain.grid);
        EXPECT_EQ(fast.topRow, plain.topRow);
        if (yieldEvery == 997) {
            EXPECT_GT(fast.grid.size(), 36u);  // auto scroll had rows to follow
            EXPECT_GT(fast.topRow, 1);
        }
        EXPECT_EQ(fast.messages, plain.messages);
        const bool error =
            machineFails || std::any_of(plan.begin(), plan.end(), [](const auto& action) {
                return action.second == typeLetters;
            });
        EXPECT_EQ(fast.messages.size(), error ? 1u : 0u);
    }

    std::vector<QString> messages_;
    std::function<void(clsKorvale&)> prepareMachine_;
};

TEST_F(FastPathTest, PerModeRunShowsTheSame) {
    expectSame(false, "txtSBig");
}

TEST_F(FastPathTest, AttemptRunShowsTheSame) {
    expectSame(true, "Text2");
}

// An error, a close and a nested run end the runs at the same game with the same displays. Short
// runs, really yielding every 61st yield.
class FastPathEndings : public FastPathTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FastPathEndings, AnError) {
    expectSame(GetParam(), "Text2", {{2, typeNumber}, {3, clickChk}, {5, typeLetters}}, 61);
}

TEST_P(FastPathEndings, ClosingTheWindow) {
    expectSame(GetParam(), "Text2", {{3, clickChk}, {6, closeWindow}}, 61);
}

TEST_P(FastPathEndings, ANestedRun) {
    expectSame(GetParam(), "Text2",
               {{2, typeNumber}, {3, clickChk}, {4, stopAndStart}, {9, clickStop}}, 61);
}

// Counts that one addition cannot stand for: the games are counted one at a time.
TEST_P(FastPathEndings, CountsThatAddOneAtATime) {
    for (const Kind typed : {typeFractionCounts, typeHugeCounts}) {
        expectSame(GetParam(), "Text2", {{2, typed}, {9, clickStop}}, 499);
    }
}

// A machine's counter near its 32-bit limit fails inside a stretch of quiet games: the games
// since the last bonus (Play fails) or the games themselves (the coin figures fail at 3 × games).
// Stop comes long after either failure.
TEST_P(FastPathEndings, AMachineAtItsLimits) {
    prepareMachine_ = [](clsKorvale& machine) { machine.mlngBonusPlayCnt = 2147483647 - 5; };
    expectSame(GetParam(), "Text2", {{50, clickStop}}, 499, true);
    prepareMachine_ = [](clsKorvale& machine) { machine.mlngPlayCnt = 715827882 - 30; };
    expectSame(GetParam(), "Text2", {{50, clickStop}}, 499, true);
}

INSTANTIATE_TEST_SUITE_P(RunKinds, FastPathEndings, ::testing::Bool());

}  // namespace
}  // namespace korvale::testing
