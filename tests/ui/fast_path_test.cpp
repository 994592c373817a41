// The fast path shows what writing through to the widgets at every game shows: the same seeded
// games are played both ways, with the same user actions at the same games, and every box and
// grid cell is compared.

#include <QTest>

#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

// A user action at a game, as the run's displays identify it.
struct Action {
    YieldPoint point;
    std::string game;  // Text1 at that yield
    int kind;          // 0 type into a box, 1 click chk, 2 click Stop
};

struct Outcome {
    std::vector<std::string> boxes;
    std::vector<std::vector<std::string>> grid;
    int topRow = 0;
};

class FastPathTest : public ::testing::Test {
  protected:
    static constexpr std::uint64_t seed = 20240611;

    std::unique_ptr<frmMain> makeWindow(Xoshiro256PlusPlus& generator, bool attempts) {
        auto window = std::make_unique<frmMain>();
        window->setMachineFactory([&generator] { return std::make_unique<clsKorvale>(generator); });
        window->setErrorReporter(
            [](const QString& message) { ADD_FAILURE() << message.toStdString(); });
        window->show();
        if (attempts) {
            window->findChild<QAbstractButton*>("opt(1)")->click();
            // Short attempts, so that many are logged and auto scroll comes into play.
            window->findChild<QLineEdit*>("txtBEnd")->setText("30");
            window->findChild<QLineEdit*>("txtREnd")->setText("10");
        }
        return window;
    }

    static void act(frmMain& window, int kind, const char* typedBox) {
        if (kind == 0) {
            auto* box = window.findChild<QLineEdit*>(typedBox);
            box->clear();
            QTest::keyClicks(box, "1000");
        } else {
            window.findChild<QAbstractButton*>(kind == 1 ? "chk" : "cmdStop")->click();
        }
    }

    static Outcome outcome(frmMain& window) {
        Outcome result;
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

    // The fast path, really yielding every 997th yield; the actions come at chosen real yields.
    Outcome runFast(bool attempts, const char* typedBox, std::vector<Action>& actions) {
        Xoshiro256PlusPlus generator(seed);
        auto window = makeWindow(generator, attempts);
        window->runDisplays().setRealYieldEvery(997);
        int realYields = 0;
        window->runDisplays().setYieldHook([&](YieldPoint point) {
            ++realYields;
            const int kind = realYields == 4 ? 0 : realYields == 7 ? 1 : realYields == 15 ? 2 : -1;
            if (kind >= 0) {
                actions.push_back({point, gameShown(*window), kind});
                act(*window, kind, typedBox);
            }
        });
        window->findChild<QAbstractButton*>("cmdStart")->click();
        EXPECT_EQ(actions.size(), 3u);
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
                act(*window, actions[next].kind, typedBox);
                ++next;
            }
        });
        window->findChild<QAbstractButton*>("cmdStart")->click();
        EXPECT_EQ(next, actions.size());
        return outcome(*window);
    }

    void expectSame(bool attempts, const char* typedBox) {
        std::vector<Action> actions;
        const Outcome fast = runFast(attempts, typedBox, actions);
        const Outcome plain = runWriteThrough(attempts, typedBox, actions);
        EXPECT_EQ(fast.boxes, plain.boxes);
        ASSERT_EQ(fast.grid.size(), plain.grid.size());
        EXPECT_GT(fast.grid.size(), 36u);  // auto scroll had rows to follow
        EXPECT_EQ(fast.grid, plain.grid);
        EXPECT_EQ(fast.topRow, plain.topRow);
        EXPECT_GT(fast.topRow, 1);
    }
};

TEST_F(FastPathTest, PerModeRunShowsTheSame) {
    expectSame(false, "txtSBig");
}

TEST_F(FastPathTest, AttemptRunShowsTheSame) {
    expectSame(true, "Text2");
}

}  // namespace
}  // namespace korvale::testing
