#pragma once

// Drives the real window on Qt's offscreen platform: controls found by their names, machines
// that draw from a script, a hook that acts at chosen yields, and error messages collected
// instead of shown.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/status.h"
#include "machine/korvale_tables.h"
#include "tests/support/scripted_random_source.h"
#include "ui/main_window/frm_main.h"

namespace korvale::testing {

// One QApplication for the whole test program, on the offscreen platform whatever the
// environment says.
class QtEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "korvale_ui_test";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

  private:
    std::unique_ptr<QApplication> application_;
};

inline ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Queues the draws of chosen games, following the machine's mode so that each bonus can send
// the machine to a chosen next mode.
class GameScript {
  public:
    GameScript(ScriptedRandomSource& source, std::int32_t setting)
        : source_(source), setting_(setting) {}

    void misses(int games) {
        for (int i = 0; i < games; ++i) {
            source_.pushDraw(drawRange, drawRange);  // above every threshold
        }
    }
    void reg(std::int32_t nextMode) {
        source_.pushDraw(1, drawRange);
        lottery(*regWeightRow(setting_, mode_), nextMode);
    }
    void big(std::int32_t nextMode) {
        source_.pushDraw(regThreshold(setting_) + 1, drawRange);
        lottery(*bigWeightRow(setting_, mode_), nextMode);
    }
    // A new machine starts in mode 0.
    void newMachine() { mode_ = 0; }
    std::int32_t mode() const { return mode_; }

  private:
    void lottery(const WeightRow& weights, std::int32_t nextMode) {
        std::int32_t below = 0;
        std::int32_t total = 0;
        for (std::int32_t mode = 0; mode < modeCount; ++mode) {
            if (mode < nextMode) {
                below += weights[static_cast<std::size_t>(mode)];
            }
            total += weights[static_cast<std::size_t>(mode)];
        }
        ASSERT_GT(weights[static_cast<std::size_t>(nextMode)], 0);
        source_.pushDraw(below + 1, total);
        mode_ = nextMode;
    }

    ScriptedRandomSource& source_;
    std::int32_t setting_;
    std::int32_t mode_ = 0;
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<frmMain>();
        window->setMachineFactory([this] {
            ++machinesMade;
            return std::make_unique<clsKorvale>(random);
        });
        window->setErrorReporter([this](const QString& message) { errors.push_back(message); });
        // Every yield is handled, so that the hook can act at any game; the layer still holds
        // the displays in memory between yields.
        window->runDisplays().setRealYieldEvery(1);
        window->show();
    }
    void TearDown() override { window.reset(); }

    template <typename Widget = QWidget>
    Widget* control(const std::string& name) {
        auto* found = window->findChild<Widget*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::string text(const std::string& box) {
        return control<QLineEdit>(box)->text().toStdString();
    }
    void setText(const std::string& box, const std::string& value) {
        control<QLineEdit>(box)->setText(QString::fromStdString(value));
    }
    void click(const std::string& name) { control<QAbstractButton>(name)->click(); }
    bool enabled(const std::string& name) { return control(name)->isEnabled(); }
    ResultsGrid& grid() { return *control<ResultsGrid>("flex1"); }
    std::vector<std::string> gridRow(int row) {
        return {grid().cellText(row, 0), grid().cellText(row, 1), grid().cellText(row, 2)};
    }
    // Games played so far in the running run, as Text1 shows them.
    int gamesShown() { return std::stoi(text("Text1")); }

    // After a run ended by an error: a message saying what went wrong, and that the results stay
    // on show, was reported once, and the window is idle as after Stop.
    void expectIdleAfter(StatusReason kind) {
        ASSERT_EQ(errors.size(), 1u);
        const std::pair<StatusReason, const char*> said[] = {
            {StatusReason::Overflow, "32ビット整数"},
            {StatusReason::DivisionByZero, "0 で割りました"},
            {StatusReason::InvalidOperation, "無効です"},
            {StatusReason::FloatOverflow, "倍精度"},
            {StatusReason::TypeMismatch, "数値ではありません"}};
        const auto* named = std::find_if(std::begin(said), std::end(said),
                                         [kind](const auto& entry) { return entry.first == kind; });
        ASSERT_NE(named, std::end(said));
        EXPECT_TRUE(errors[0].contains(QString::fromUtf8(named->second)))
            << errors[0].toStdString();
        EXPECT_TRUE(errors[0].endsWith(QStringLiteral("それまでの結果はそのまま表示しています。")))
            << errors[0].toStdString();
        EXPECT_TRUE(window->stopFlag());
        for (const char* name : {"cmdStart", "cmbSettei", "opt(0)", "opt(1)"}) {
            EXPECT_TRUE(enabled(name)) << name;
        }
    }

    void onYield(std::function<void(YieldPoint)> hook) {
        window->runDisplays().setYieldHook(std::move(hook));
    }
    // Clicks Stop at the end of the given game (counted as Text1 counts it).
    void stopAtGame(int game) {
        onYield([this, game](YieldPoint point) {
            if (point == YieldPoint::EndOfGame && gamesShown() == game) {
                click("cmdStop");
            }
        });
    }

    ScriptedRandomSource random;
    std::unique_ptr<frmMain> window;
    std::vector<QString> errors;
    int machinesMade = 0;
};

}  // namespace korvale::testing
