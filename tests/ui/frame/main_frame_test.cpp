// The menu bar around the main window, and saving the results as CSV.

#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <cerrno>

#include "tests/support/written_csv.h"
#include "tests/ui/frame_fixture.h"
#include "ui/controls/file_saving.h"
#include "ui/frame/end_conditions.h"
#include "ui/frame/results_csv.h"

namespace korvale::testing {
namespace {

using MainFrameTest = FrameTest;

TEST_F(MainFrameTest, MenuBarSitsAboveTheUnchangedClientArea) {
    for (const char* name :
         {"actSaveCsv", "actSavePng", "actQuit", "actAnalysis", "actUsage", "actAbout"}) {
        const QAction* action = frame->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_FALSE(action->text().isEmpty()) << name;
    }
    EXPECT_FALSE(frame->findChild<QAction*>("actAnalysis")->shortcut().isEmpty());
    const int menuHeight = frame->menuBar()->height();
    EXPECT_GT(menuHeight, 10);
    EXPECT_EQ(form().size(), QSize(646, 571));  // 9690 x 8565 twips
    EXPECT_EQ(form().pos(), QPoint(0, menuHeight));
    const int statusHeight = frame->statusBar()->height();
    EXPECT_GT(statusHeight, 10);
    EXPECT_EQ(frame->size(), QSize(646, 571 + menuHeight + statusHeight));
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Korvaleシミュレータ"));
    // Controls keep their places in the client area.
    EXPECT_EQ(form().findChild<QWidget*>("flex1")->geometry(), QRect(432, 8, 209, 537));
}

TEST_F(MainFrameTest, QuitClosesAndStopsARun) {
    runFor(3, [this](int yields) {
        if (yields == 2) {
            trigger("actQuit");
        }
    });
    EXPECT_TRUE(form().stopFlag());
    EXPECT_EQ(form().machine(), nullptr);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainFrameTest, CsvHoldsTheGridAndTheBoxesAsShown) {
    QTemporaryDir directory;
    for (const bool attempts : {false, true}) {
        SCOPED_TRACE(attempts);
        makeFrame(77);
        if (attempts) {
            chooseAttempts("30", "1,5");  // a comma, to be quoted
        }
        chosenFile = directory.filePath(attempts ? "attempts.csv" : "modes.csv");
        std::string gamesWhenSaved;
        runFor(12, [&](int yields) {
            if (yields == 8) {
                // Saving during the run: the run waits and then goes on.
                trigger("actSaveCsv");
                gamesWhenSaved = text(Box::Text1);
            }
        });
        EXPECT_GT(std::stoll(text(Box::Text1)), std::stoll(gamesWhenSaved));
        trigger("actSaveCsv");
        ASSERT_TRUE(messages.empty());

        const std::string bytes = readFile(chosenFile);
        ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        const auto records = writtenCsvRecords(bytes);
        for (const auto& record : records) {
            ASSERT_EQ(record.size(), 3u);
        }
        std::map<std::string, std::string> values;
        std::size_t at = 1;
        for (; at < records.size() && !records[at][0].empty(); ++at) {
            values[records[at][0]] = records[at][1];
        }
        EXPECT_EQ(values["設定"], "設定１");
        EXPECT_EQ(values["実行の種類"], attempts ? "特別" : "通常");
        EXPECT_EQ(values["日時"].size(), 19u);
        EXPECT_EQ(values["プレイ数"], text(Box::Text1));
        EXPECT_EQ(values["差枚"], text(Box::Text2));
        EXPECT_EQ(values["BIG 1/"], text(Box::txtBP));
        if (attempts) {
            // The run read "1,5" as 1; the box as it stands follows.
            EXPECT_EQ(values["終了条件 REG後（G以上）"], "1");
            EXPECT_EQ(values["REG後（G以上）"], "1,5");
            EXPECT_EQ(values["一回あたりの差枚"], text(Box::txt1Sa));
            EXPECT_EQ(values.size(), 3u + 2u + 7u + 6u);
        } else {
            EXPECT_EQ(values["モード5 RT解除率 1/"], text(txtReg(5)));
            EXPECT_EQ(values["モード0 回転数"], text(txtCnt(0)));
            EXPECT_EQ(values.size(), 3u + 7u + 18u);
        }
        const std::vector<std::vector<std::string>> grid(
            records.begin() + static_cast<long>(at) + 1, records.end());
        EXPECT_EQ(grid, snapshot().grid);
        EXPECT_GT(grid.size(), 20u);
    }
}

TEST_F(MainFrameTest, CsvFieldsAreQuotedOnlyWhenNeeded) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"BIG", "12", "-3"}, "BIG,12,-3\r\n"},
        {{"", "", ""}, ",,\r\n"},
        {{"a,b", "say \"hi\"", "two\nlines"}, "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n"},
        {{"設定１"}, "設定１\r\n"},
    };
    for (const auto& [fields, expected] : cases) {
        EXPECT_EQ(csvRecord(fields), expected);
    }
}

TEST_F(MainFrameTest, AFailedSaveSaysWhichFileAndWhyAndKeepsTheResults) {
    runFor(5);
    const Snapshot before = snapshot();
    QTemporaryDir directory;
    for (const QString& path :
         {QStringLiteral("/nonexistent-korvale-dir/results.csv"), directory.path()}) {
        messages.clear();
        chosenFile = path;
        trigger("actSaveCsv");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains(path)) << messages[0].toStdString();
        // The reason, in Japanese.
        EXPECT_EQ(messages[0].split('\n').value(1),
                  path == directory.path()
                      ? QStringLiteral("その名前のフォルダーがあります。")
                      : QStringLiteral("フォルダーまたはファイルがありません。"));
    }
    EXPECT_EQ(snapshot(), before);
    // Cancelling the dialog writes nothing and says nothing.
    messages.clear();
    chosenFile.clear();
    trigger("actSaveCsv");
    EXPECT_TRUE(messages.empty());
}

// A file saved under a filter of one extension ends in it, whatever was typed; a file of the
// name that results is replaced only when the user says so.
TEST_F(MainFrameTest, ASavedFileEndsInItsExtension) {
    runFor(3);
    trigger("actAnalysis");
    frame->analysisWindow()->showTab(frame->analysisWindow()->tab<SlumpPanel>());  // a graph
    QTemporaryDir directory;
    const struct {
        const char* action;
        const char* typed;
        const char* saved;
    } cases[] = {
        {"actSaveCsv", "s6_special", "s6_special.csv"}, {"actSaveCsv", "day.CSV", "day.CSV"},
        {"actSaveCsv", "day.txt", "day.txt.csv"},       {"actSaveCsv", "night.", "night.csv"},
        {"actSavePng", "s6_special", "s6_special.png"}, {"actSavePng", "graph.png", "graph.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        chosenFile = directory.filePath(c.typed);
        trigger(c.action);
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(QFile::exists(directory.filePath(c.saved)));
        EXPECT_EQ(QFile::exists(chosenFile), QString(c.typed) == QString(c.saved));
    }
    EXPECT_TRUE(questions.empty());  // none of those names was there before

    // "s6_special" again: its .csv is there, and is replaced only with a yes.
    chosenFile = directory.filePath("s6_special");
    const QString saved = directory.filePath("s6_special.csv");
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        writeFile(saved, "old");
        answer = yes;
        questions.clear();
        trigger("actSaveCsv");
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_TRUE(questions[0].contains(saved)) << questions[0].toStdString();
        EXPECT_EQ(readFile(saved) == "old", !yes);
    }
}

// The system's reasons as Qt words them, and QSaveFile's own, come out in Japanese; any other is
// said to be a failed write, with the system's words kept.
TEST(FailureReason, InJapanese) {
    const std::pair<QString, const char*> cases[] = {
        {qt_error_string(ENOENT), "フォルダーまたはファイルがありません。"},
        {qt_error_string(EACCES), "書き込む権限がありません。"},
        {qt_error_string(ENOSPC), "ディスクに空きがありません。"},
        {qt_error_string(EROFS), "読み取り専用の場所には書き込めません。"},
        {qt_error_string(EISDIR), "その名前のフォルダーがあります。"},
        {QStringLiteral("Filename refers to a directory"), "その名前のフォルダーがあります。"},
        {QStringLiteral("Existing file /tmp/a.csv is not writable"),
         "既にあるファイルに書き込む権限がありません。"},
        {QStringLiteral("Invalid cross-device link"),
         "書き込みに失敗しました（システムの説明：Invalid cross-device link）。"},
    };
    for (const auto& [reason, expected] : cases) {
        EXPECT_EQ(failureReason(reason), QString::fromUtf8(expected)) << reason.toStdString();
    }
}

// What the status bar says of the end conditions: the values a run reads ("abc" is 0, the REG end
// rounded halves to even), and those of the run on show when the boxes no longer say them.
TEST(EndConditionsStatus, TheValuesTheRunReads) {
    RunSetup none;
    RunSetup ran{true, true, 0, "abc", "2.5"};
    struct Case {
        const RunSetup& run;
        const char* big;
        const char* reg;
        const char* expected;
    };
    const Case cases[] = {
        {none, "abc", "100", "終了条件（読み取った値）：BIG後 0G以上／REG後 100G以上"},
        {none, "３００.5", "3.5", "終了条件（読み取った値）：BIG後 300.5G以上／REG後 4G以上"},
        {none, "", "3000000000",
         "終了条件（読み取った値）：BIG後 0G以上／REG後 読めません（32ビットの範囲外）"},
        {ran, "x", "2", "終了条件（読み取った値）：BIG後 0G以上／REG後 2G以上"},
        {ran, "5", "2.5",
         "この結果の終了条件：BIG後 0G以上／REG後 2G以上\n次のスタート：BIG後 5G以上／REG後 "
         "2G以上"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(endConditionsStatus(c.run, c.big, c.reg), QString::fromUtf8(c.expected)) << c.big;
    }
}

TEST_F(MainFrameTest, AnEndConditionThatIsNoNumberIsShownAndSavedAsRead) {
    const auto status = [this] {
        return frame->findChild<QLabel*>("lblEndConditions")->text().toStdString();
    };
    EXPECT_EQ(status(), "");  // the per-mode run has no end conditions
    chooseAttempts("abc", "10");
    EXPECT_EQ(status(), "終了条件（読み取った値）：BIG後 0G以上／REG後 10G以上");
    runFor(5);
    const int height = frame->height();
    box(Box::txtBEnd)->setText("40");
    EXPECT_EQ(status(),
              "この結果の終了条件：BIG後 0G以上／REG後 10G以上\n次のスタート：BIG後 40G以上／REG後 "
              "10G以上");
    // Each on a line of its own, the longest whole within the window; the window a line higher.
    const auto* label = frame->findChild<QLabel*>("lblEndConditions");
    box(Box::txtBEnd)->setText("99999999999");
    box(Box::txtREnd)->setText("3000000000");
    for (const QString& line : label->text().split('\n')) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(line), frame->width() - 8)
            << line.toStdString();
    }
    EXPECT_EQ(frame->height(), height + label->fontMetrics().lineSpacing());
    EXPECT_EQ(form().size(), QSize(646, 571));
    box(Box::txtBEnd)->setText("abc");
    box(Box::txtREnd)->setText("10");
    EXPECT_EQ(frame->height(), height);
    box(Box::txtBEnd)->setText("40");

    QTemporaryDir directory;
    chosenFile = directory.filePath("abc.csv");
    trigger("actSaveCsv");
    const std::string csv = readFile(chosenFile);
    EXPECT_NE(csv.find("\r\n終了条件 BIG後（G以上）,0,\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nBIG後（G以上）,40,\r\n"), std::string::npos);
    click("opt(0)");
    EXPECT_EQ(status(), "");
}

// End conditions that no attempt can meet within the 32-bit counters, with the condition and
// the reason korvale-batch gives for each (`simulate special --setting 1 --big-end X --reg-end
// Y`: "--big-end" or "--reg-end: no attempt can meet these end conditions ... on average an
// attempt would last more than 2147483647 games", or "one attempt is expected to last 5.069e+10
// games (23227582 games at BIG end 2000 worked out exactly, times 1/(1 - 0.0152588) for each
// further game)"), and two it runs.
TEST(UnreachableEndsTest, SaysWhichConditionKeepsEveryAttemptFromEnding) {
    const struct {
        double bigEnd;
        std::int32_t regEnd;
        const char* blamed;  // nullptr: attempts can end
        std::vector<const char*> named;
    } cases[] = {
        {99999999999.0, 100, "BIG後の条件", {"平均して2,147,483,647ゲームより長く"}},
        {300.0, 99999, "REG後の条件", {"平均して2,147,483,647ゲームより長く"}},
        {2500.0, 0, "BIG後の条件", {"約50,690,000,000ゲーム", "23,227,582ゲーム", "0.0152588"}},
        {0.0, 1500, nullptr, {}},
        {1999.0, 1000, nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bigEnd);
        const std::optional<UnreachableEnds> said = unreachableEnds(0, {c.bigEnd, c.regEnd});
        ASSERT_EQ(said.has_value(), c.blamed != nullptr);
        if (said) {
            EXPECT_TRUE(said->reason.startsWith(QString::fromUtf8(c.blamed)))
                << said->reason.toStdString();
            for (const char* named : c.named) {
                EXPECT_TRUE(said->text().contains(QString::fromUtf8(named)))
                    << said->text().toStdString();
            }
        }
    }
}

TEST_F(MainFrameTest, AtStartTheStatusBarSaysNoAttemptCanEnd) {
    const auto warning = [this] { return frame->findChild<QLabel*>("lblEndWarning"); };
    const int height = frame->height();
    const QSize client = form().size();
    chooseAttempts("99999999999", "100");
    EXPECT_TRUE(warning()->isHidden());  // said at Start, for the run on show
    runFor(3, [this](int yields) {
        if (yields == 1) {
            trigger("actAnalysis");
            frame->analysisWindow()->refreshNow();
        }
    });
    ASSERT_FALSE(warning()->isHidden());
    EXPECT_TRUE(warning()->text().contains(
        QStringLiteral("32ビットの数の範囲で終わる立ち回りはありません")))
        << warning()->text().toStdString();
    EXPECT_TRUE(warning()->text().contains(QStringLiteral("BIG後の条件")));
    // The client area keeps its size: the frame grows by the warning's line.
    EXPECT_GT(frame->height(), height);
    EXPECT_EQ(form().size(), client);
    // The analysis window says it too, beside its figures' state.
    frame->analysisWindow()->refreshNow();
    EXPECT_TRUE(frame->analysisWindow()->tab<RunFiguresTab>().status().text().contains(
        QStringLiteral("立ち回りはありません")))
        << frame->analysisWindow()->tab<RunFiguresTab>().status().text().toStdString();
    // A run that can end says nothing, and the frame is as it was.
    chooseAttempts("300", "100");
    runFor(3);
    EXPECT_TRUE(warning()->isHidden());
    EXPECT_EQ(frame->height(), height);
}

}  // namespace
}  // namespace korvale::testing
