#pragma once

// The main window as the program shows it (menu bar and all) on seeded games, with its file
// dialogs, messages and questions answered by the test.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "tests/ui/window_fixture.h"
#include "ui/analysis_window/aim_panel.h"
#include "ui/analysis_window/day_panel.h"
#include "ui/analysis_window/drought_panel.h"
#include "ui/analysis_window/frm_analysis.h"
#include "ui/analysis_window/posterior_panel.h"
#include "ui/analysis_window/quit_rule_panel.h"
#include "ui/analysis_window/run_figures_tab.h"
#include "ui/analysis_window/slump_panel.h"
#include "ui/frame/main_frame.h"

namespace korvale::testing {

// The bytes of a file the window saved, and a file's bytes written for it to read.
inline std::string readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll().toStdString();
}

inline void writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

struct Snapshot {
    std::vector<std::string> boxes;
    std::vector<std::vector<std::string>> grid;
    bool operator==(const Snapshot&) const = default;
};

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override { makeFrame(20240611); }

    void makeFrame(std::uint64_t seed) {
        frame.reset();
        generator = std::make_unique<Xoshiro256PlusPlus>(seed);
        frame = std::make_unique<MainFrame>();
        frame->form().setMachineFactory(
            [this] { return std::make_unique<clsKorvale>(*generator); });
        frame->form().setErrorReporter(
            [](const QString& message) { ADD_FAILURE() << message.toStdString(); });
        frame->setFileChooser(
            [this](const QString&, const QString&, const QString&) { return chosenFile; });
        frame->setNotifier([this](const QString& message) { messages.push_back(message); });
        frame->setAsker([this](const QString& question) {
            questions.push_back(question);
            return answer;
        });
        frame->form().runDisplays().setRealYieldEvery(realYieldEvery);
        frame->show();
    }

    frmMain& form() { return frame->form(); }
    QLineEdit* box(Box which) {
        return form().findChild<QLineEdit*>(QString::fromStdString(boxName(which)));
    }
    std::string text(Box which) { return box(which)->text().toStdString(); }
    void click(const char* name) { form().findChild<QAbstractButton*>(name)->click(); }
    void trigger(const char* action) {
        QAction* found = frame->findChild<QAction*>(action);
        ASSERT_NE(found, nullptr) << action;
        found->trigger();
    }
    // Short attempts, so that a run logs many.
    void chooseAttempts(const char* bigEnd = "30", const char* regEnd = "10") {
        click("opt(1)");
        box(Box::txtBEnd)->setText(bigEnd);
        box(Box::txtREnd)->setText(regEnd);
    }
    // Runs until `realYields` real yields have passed, acting at each through `atYield`.
    void runFor(int realYields, const std::function<void(int)>& atYield = {}) {
        int yields = 0;
        form().runDisplays().setYieldHook([&, realYields](YieldPoint) {
            ++yields;
            if (atYield) {
                atYield(yields);
            }
            if (yields == realYields) {
                click("cmdStop");
            }
        });
        click("cmdStart");
        form().runDisplays().setYieldHook({});
    }
    Snapshot snapshot() {
        Snapshot shot;
        for (int which = 0; which < boxCount; ++which) {
            shot.boxes.push_back(text(static_cast<Box>(which)));
        }
        const ResultsGrid& grid = form().grid();
        for (int row = 0; row < grid.rows(); ++row) {
            shot.grid.push_back(
                {grid.cellText(row, 0), grid.cellText(row, 1), grid.cellText(row, 2)});
        }
        return shot;
    }

    int realYieldEvery = 997;
    std::unique_ptr<Xoshiro256PlusPlus> generator;
    std::unique_ptr<MainFrame> frame;
    QString chosenFile;
    std::vector<QString> messages;
    std::vector<QString> questions;
    bool answer = true;
};

}  // namespace korvale::testing
