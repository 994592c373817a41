// The window's saved results read back as a bonus history, by the reader and by
// korvale-batch infer, and the 設定判別 panel's reading problems in Japanese.

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "analysis/inference/bonus_history_reader.h"
#include "batch/commands/batch_program.h"
#include "tests/support/ceiling_closed_form.h"
#include "tests/ui/frame_fixture.h"
#include "ui/analysis_window/history_posterior.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale::testing {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome infer(const std::string& path, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(std::vector<std::string>{"infer", path, "--format", "json"}, in,
                                  out, err, false);
    return {status, out.str(), err.str()};
}

class SavedResultsTest : public FrameTest {
  protected:
    // Saves the results as ファイル > 結果をCSVで保存… does, after a box is given text that must
    // be quoted (a comma and quotes) so that the settings block holds quoted fields.
    std::string saved() {
        box(Box::Text1)->setText(QStringLiteral("1,\"2\""));
        chosenFile = directory.filePath("results.csv");
        trigger("actSaveCsv");
        EXPECT_TRUE(messages.empty());
        return readFile(chosenFile);
    }
    QTemporaryDir directory;
};

TEST_F(SavedResultsTest, APerModeRunsSavedResultsReadAsItsGrid) {
    runFor(3);
    const Snapshot shown = snapshot();
    ASSERT_EQ(shown.grid[0], (std::vector<std::string>{"BONUS", "回転数", "モード"}));
    ASSERT_GT(shown.grid.size(), 5u);
    const std::string bytes = saved();

    std::vector<ObservedBonus> expected;
    std::string plainLines;
    for (std::size_t row = 1; row < shown.grid.size(); ++row) {
        const std::string& kind = shown.grid[row][0];
        expected.push_back(
            {kind == "BIG" ? BonusKind::Big : BonusKind::Reg, std::stoi(shown.grid[row][1])});
        plainLines += kind + " " + shown.grid[row][1] + "\n";
    }
    const StatusOr<BonusHistory> reading = readBonusHistory(bytes);
    ASSERT_TRUE(reading.ok()) << reading.status().message();
    EXPECT_EQ(reading->bonuses, expected);

    // korvale-batch infer gives for the file what it gives for the grid's rows typed as lines.
    const Outcome fromFile = infer(chosenFile.toStdString());
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.err, "");
    const Outcome fromLines = infer("-", plainLines);
    ASSERT_EQ(fromLines.status, 0) << fromLines.err;
    const auto results = nlohmann::json::parse(fromFile.out)["results"];
    const auto typed = nlohmann::json::parse(fromLines.out)["results"];
    EXPECT_EQ(results[0]["series"]["posterior"], typed[0]["series"]["posterior"]);
    EXPECT_EQ(results[0]["figures"]["big"]["value"].get<std::size_t>() +
                  results[0]["figures"]["reg"]["value"].get<std::size_t>(),
              expected.size());
}

TEST_F(SavedResultsTest, AnAttemptRunsSavedResultsAreRefused) {
    chooseAttempts();
    runFor(2);
    ASSERT_EQ(snapshot().grid[0], (std::vector<std::string>{"BIG", "REG", "差枚"}));
    const StatusOr<BonusHistory> reading = readBonusHistory(saved());
    const HistoryReadProblem* problem = historyProblem(reading.status());
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->kind, HistoryProblemKind::AttemptGrid);
    EXPECT_EQ(problem->content, "BIG,REG,差枚");
    const Outcome outcome = infer(chosenFile.toStdString());
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("an attempt run's grid"), std::string::npos) << outcome.err;
}

TEST(HistoryPanelTest, SaysWhatDoesNotReadInJapanese) {
    const struct {
        std::string text;
        const char* shown;
    } cases[] = {
        {"BIG 1\n\nBIG -5", "読めない行があります。3行目：ゲーム数が負の数です（「BIG -5」）"},
        {"BIG 1\nＲＥＧ ０", "読めない行があります。2行目：ゲーム数は1以上です（「ＲＥＧ ０」）"},
        {"BIG 1e3", "1行目：ゲーム数は「123」のように数字だけで書いてください（「BIG 1e3」）"},
        {"BONUS,回転数\nBIG", "2行目：カンマで区切った項目が2個以上必要です（「BIG」）"},
        {"BIG,REG,差枚\n1,0,300", "1行目：特別（挑戦）の結果の表です。"},
        {"# 朝一\n", "ボーナスの行がありません。事前確率（一様）がそのまま答えです。"},
    };
    HistoryPosterior panel;
    for (const auto& c : cases) {
        panel.historyText().setPlainText(QString::fromStdString(c.text));
        panel.compute();
        EXPECT_TRUE(panel.result().text().contains(QString::fromUtf8(c.shown)))
            << panel.result().text().toStdString();
    }
}

// What 計算 answers is the history on show: any change of it, of its start or of its games
// since the last bonus takes the answer away, and a file opened is answered at once.
TEST(HistoryPanelTest, AnAnswerNeverOutlivesItsHistory) {
    QTemporaryDir directory;
    const QString day = directory.filePath("day.txt");
    const QString attempts = directory.filePath("attempts.csv");
    writeFile(day, "BIG 300\nREG 200\n");
    writeFile(attempts, "BIG,REG,差枚\r\n1,0,300\r\n");
    HistoryPosterior panel;
    const struct {
        const char* what;
        std::function<void()> change;
        std::optional<std::int64_t> answeredGames;  // the games of the answer that follows
    } cases[] = {
        {"typed", [&] { panel.historyText().appendPlainText(QStringLiteral("REG 5")); }, {}},
        {"joined", [&] { panel.joinedOption().setChecked(true); }, {}},
        {"trailing", [&] { panel.trailingGames().setValue(50); }, {}},
        {"a history opened", [&] { panel.loadFile(day); }, 500},
        {"an attempt run opened", [&] { panel.loadFile(attempts); }, {}},
        {"a file missing", [&] { panel.loadFile(directory.filePath("none.txt")); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        panel.historyText().setPlainText(QStringLiteral("BIG 120\nBIG 7\n"));
        panel.morningOption().setChecked(true);
        panel.trailingGames().setValue(0);
        panel.compute();
        ASSERT_TRUE(panel.estimate().has_value());
        c.change();
        EXPECT_EQ(panel.estimate().has_value(), c.answeredGames.has_value());
        EXPECT_EQ(panel.table().isHidden(), !c.answeredGames.has_value());
        if (c.answeredGames) {
            EXPECT_EQ(panel.estimate()->games, *c.answeredGames);
        } else {
            EXPECT_FALSE(panel.result().text().contains(QStringLiteral("P(設定４以上)")))
                << panel.result().text().toStdString();
        }
    }
}

// No bonus at all is an answer too: the prior weighed by the games without one, as
// korvale-batch infer gives it for an empty file.
TEST(HistoryPanelTest, AHistoryWithoutABonusIsAnsweredAsInferAnswersIt) {
    HistoryPosterior panel;
    for (const bool joined : {false, true}) {
        for (const int trailing : {0, 1200}) {
            SCOPED_TRACE(std::to_string(joined) + " " + std::to_string(trailing));
            panel.historyText().setPlainText(QStringLiteral("# 空\n"));
            panel.joinedOption().setChecked(joined);
            panel.morningOption().setChecked(!joined);
            panel.trailingGames().setValue(trailing);
            panel.compute();
            ASSERT_TRUE(panel.estimate().has_value()) << panel.result().text().toStdString();
            EXPECT_FALSE(panel.table().isHidden());
            std::istringstream in("# 空\n");
            std::ostringstream out;
            std::ostringstream err;
            const std::vector<std::string> command = {"infer",      "-",
                                                      "--start",    joined ? "joined" : "morning",
                                                      "--trailing", std::to_string(trailing),
                                                      "--format",   "json"};
            ASSERT_EQ(runProgram(command, in, out, err, false), 0) << err.str();
            const auto results = nlohmann::json::parse(out.str())["results"];
            const auto posterior = results[0]["series"]["posterior"]["value"];
            for (std::size_t s = 0; s < 6; ++s) {
                EXPECT_NEAR(panel.estimate()->posterior[s], posterior[s].get<double>(), 1e-12);
                // Nothing seen at all leaves the uniform prior as it is.
                if (trailing == 0) {
                    EXPECT_NEAR(panel.estimate()->posterior[s], 1.0 / 6, 1e-12);
                }
            }
            EXPECT_NEAR(
                panel.estimate()->expectedNet,
                results[0]["figures"]["expected_net_next_1000_games"]["value"].get<double>(), 1e-9);
        }
    }
}

// Beside the posterior, the worth of playing on under the rule chosen. Past 1498 games without
// a BIG every game plays under the ceiling, so quitting at the first BIG is the geometric wait
// worked by hand at every setting; the main window's rule is taken until one is typed, and a
// rule the run would refuse leaves no figures.
TEST(HistoryPanelTest, TheWorthOfPlayingOnStandsBesideThePosterior) {
    HistoryPosterior panel;
    panel.setMainEnd(QStringLiteral("abc"), QStringLiteral("100"));  // abc reads as 0
    panel.historyText().setPlainText(QStringLiteral("REG 800\n"));
    panel.trailingGames().setValue(900);
    panel.compute();
    panel.waitForWorth();
    panel.rule().typedOption().setChecked(true);
    panel.rule().typedBigEnd().setText(QStringLiteral("0"));
    panel.rule().typedRegEnd().setText(QStringLiteral("0"));
    panel.waitForWorth();
    QCoreApplication::processEvents();
    for (int s = 0; s < 6; ++s) {
        const CeilingAttempt hand = ceilingQuitAtFirstBig(s);
        const QTableWidgetItem* net = panel.table().item(s, HistoryPosterior::NetColumn);
        ASSERT_NE(net, nullptr);
        EXPECT_EQ(net->text(), signedNumber(hand.net, 1)) << s;
        EXPECT_EQ(panel.table().item(s, HistoryPosterior::GamesColumn)->text(),
                  QStringLiteral("65.5"));
    }
    EXPECT_TRUE(panel.worthNote().text().contains(QStringLiteral("BIG後0G以上・REG後0G以上")));
    EXPECT_TRUE(panel.worthNote().text().contains(QStringLiteral("設定不明")));
    panel.rule().typedRegEnd().setText(QStringLiteral("99999999999"));  // the run refuses it
    QCoreApplication::processEvents();
    EXPECT_EQ(panel.table().item(0, HistoryPosterior::NetColumn)->text(), QString());
    EXPECT_TRUE(panel.worthNote().text().contains(QStringLiteral("読めません")));
}

TEST(HistoryPanelTest, OpensShiftJisAndRefusesWhatIsNotText) {
    QTemporaryDir directory;
    const QString path = directory.filePath("history.csv");
    HistoryPosterior panel;
    // # 朝一 / BIG 12, saved as Shift-JIS: shown as the text it holds.
    writeFile(path, "# \x92\xA9\x88\xEA\r\nBIG 12\r\n");
    panel.loadFile(path);
    EXPECT_EQ(panel.historyText().toPlainText(), QStringLiteral("# 朝一\nBIG 12\n"));
    panel.compute();
    ASSERT_TRUE(panel.estimate().has_value());
    EXPECT_EQ(panel.estimate()->games, 12);

    const struct {
        std::string bytes;
        const char* shown;
    } refused[] = {
        {std::string("BIG 1\n\x7F"
                     "ELF\0",
                     11),
         "2行目の5バイト目：テキストのファイルではありません（NULバイトがあります）"},
        {"BIG 1\nREG 2\x80\xFF\n",
         "2行目の6バイト目（「REG 2」の次）：UTF-8でもShift-JISでもない文字があります"},
        // A binary file: its line named, none of its bytes shown (escaped, their backslashes
        // would be drawn as yen signs).
        {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20), "行目の1バイト目："},
    };
    for (const auto& c : refused) {
        writeFile(path, c.bytes);
        panel.loadFile(path);
        EXPECT_TRUE(panel.result().text().contains(QString::fromUtf8(c.shown)))
            << panel.result().text().toStdString();
        EXPECT_TRUE(panel.result().text().contains(path));
        EXPECT_FALSE(panel.result().text().contains('\\')) << panel.result().text().toStdString();
        EXPECT_EQ(panel.historyText().toPlainText(), QStringLiteral("# 朝一\nBIG 12\n"));
    }
    panel.loadFile(QStringLiteral("/proc/self/mem"));
    EXPECT_TRUE(panel.result().text().contains(QStringLiteral("読めませんでした")))
        << panel.result().text().toStdString();
}

}  // namespace
}  // namespace korvale::testing
