// The window's messages when an error ends a run: what went wrong with which figure, its limit,
// the game, and that the results stay on show.

#include "ui/runs/run_error.h"

#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "tests/ui/window_fixture.h"
#include "ui/frame/main_frame.h"

namespace korvale::testing {
namespace {

const QString resultsStay = QStringLiteral("\nそれまでの結果はそのまま表示しています。");

TEST(RunErrorMessage, NamesTheFigureTheLimitAndTheGame) {
    struct Case {
        StatusReason kind;
        RunErrorContext context;
        const char* expected;
    };
    const Case cases[] = {
        {StatusReason::Overflow,
         {"投入枚数（プレイ数 × 3）", "", false, false, 715'827'883},
         "投入枚数（プレイ数 × 3）が32ビット整数の上限 2,147,483,647 を超えました。\n"
         "715,827,883ゲーム目で実行を終了しました。"},
        {StatusReason::FloatOverflow,
         {"モード0の回転数", "", false, false, 12},
         "モード0の回転数の計算結果が倍精度浮動小数点数の範囲を超えました。\n"
         "12ゲーム目で実行を終了しました。"},
        {StatusReason::FloatOverflow,
         {"BIG", "1e999", true, false, 3},
         "「BIG」の欄の「1e999」は大きすぎて計算できません。\n3ゲーム目で実行を終了しました。"},
        {StatusReason::InvalidOperation,
         {"BIG確率（1/）", "", false, false, 1},
         "BIG確率（1/）の計算が無効です（0 ÷ 0 など）。\n1ゲーム目で実行を終了しました。"},
        {StatusReason::InvalidOperation,
         {"結果表（flex1）の TopRow = 0", "", false, true, 1'000},
         "結果表（flex1）の TopRow = 0 の操作が無効です。\n1,000ゲーム目で実行を終了しました。"},
        {StatusReason::DivisionByZero,
         {"一回あたりのプレイ数", "", false, false, 2},
         "一回あたりのプレイ数の計算で 0 で割りました。\n2ゲーム目で実行を終了しました。"},
    };
    for (const Case& c : cases) {
        StatusError error(c.kind);
        runContext(error) = c.context;
        EXPECT_EQ(runErrorMessage(error), QString::fromUtf8(c.expected) + resultsStay)
            << c.expected;
    }
}

// A counter reaching its limit is how a long run ends; only then. Typed values that do not fit,
// other kinds, and an overflow that names nothing stay errors.
TEST(RunEndMessage, TheLimitIsAnEndNotAnError) {
    struct Case {
        StatusReason kind;
        RunErrorContext context;
        bool limit;
    };
    const Case cases[] = {
        {StatusReason::Overflow, {"機械のプレイ数", "", false, false, 2'147'483'647}, true},
        {StatusReason::Overflow, {"払い出し枚数の合計", "", false, false, 677'000'000}, true},
        {StatusReason::Overflow, {"REG後", "3000000000", true, false, 0}, false},
        {StatusReason::Overflow, {"", "", false, false, 12}, false},
        {StatusReason::FloatOverflow, {"BIG", "", false, false, 3}, false},
        {StatusReason::DivisionByZero, {"一回あたりのプレイ数", "", false, false, 2}, false},
    };
    for (const Case& c : cases) {
        StatusError error(c.kind);
        runContext(error) = c.context;
        const RunEndMessage message = runEndMessage(error);
        EXPECT_EQ(message.limitReached, c.limit) << c.context.figure;
        EXPECT_EQ(message.text, c.limit ? limitReachedMessage(c.context) : runErrorMessage(error));
    }
    RunErrorContext context{"払い出し枚数の合計", "", false, false, 677'123'456};
    EXPECT_EQ(limitReachedMessage(context),
              QStringLiteral("払い出し枚数の合計が\n"
                             "32ビット整数の上限 2,147,483,647 に達しました。\n"
                             "677,123,456ゲーム目で、この実行は終了です。") +
                  resultsStay);
}

// The message box as shown: its icon, its text, and every line of it within the label, unbroken.
TEST(RunEndMessage, ShownAsInformationWithUnbrokenLines) {
    // The longest figures a limit can name.
    std::vector<RunEndMessage> messages;
    for (const char* figure : {"BIGの払い出し枚数（BIG回数 × 388）", "獲得枚数（投入枚数 + 差枚）",
                               "前回のボーナスからのゲーム数"}) {
        messages.push_back({limitReachedMessage({figure, "", false, false, 2'147'483'647}), true});
    }
    messages.push_back(
        {QStringLiteral("モード0の回転数の計算結果が倍精度浮動小数点数の範囲を超えました。"),
         false});
    for (const RunEndMessage& message : messages) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        bool linesFit = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            icon = box->icon();
            text = box->text();
            const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            linesFit = label != nullptr;
            for (const QString& line : text.split('\n')) {
                linesFit = linesFit && label->fontMetrics().horizontalAdvance(line) <=
                                           label->contentsRect().width();
            }
            box->accept();
        });
        poll.start(10);
        showRunEndMessage(nullptr, QStringLiteral("Korvaleシミュレータ"), message);
        EXPECT_EQ(icon, message.limitReached ? QMessageBox::Information : QMessageBox::Critical);
        EXPECT_EQ(text, message.text);
        // The error's one long line is wrapped by the box: what the limit's lines must avoid.
        EXPECT_EQ(linesFit, message.limitReached) << text.toStdString();
    }
}

// ヘルプ > 使い方 quotes the message a per-mode run ends with.
TEST(RunEndMessage, UsageQuotesTheMessageShown) {
    const QString shown =
        limitReachedMessage({"投入枚数（プレイ数 × 3）", "", false, false, 715'827'883});
    const QStringList lines = shown.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(usageText().contains("「" + lines[0] + lines[1] + lines[2] + "」"))
        << usageText().toStdString();
    EXPECT_FALSE(usageText().contains(QStringLiteral("オーバーフローしました")));
}

using RunErrorInWindow = WindowTest;

TEST_F(RunErrorInWindow, TextThatIsNotANumberInAModeBox) {
    GameScript script(random, 0);
    script.misses(2);
    script.reg(0);
    onYield([this](YieldPoint) {
        if (gamesShown() == 2) {
            setText("txtBig(0)", "abc");
        }
    });
    click("cmdStart");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], QStringLiteral("「モード0のBIG回数」の欄の「abc」は数値ではありません。\n"
                                        "3ゲーム目で実行を終了しました。") +
                             resultsStay);
}

TEST_F(RunErrorInWindow, CoinsPutInPastTheLimit) {
    window->setMachineFactory([this] {
        auto machine = std::make_unique<clsKorvale>(random);
        machine->mlngPlayCnt = 715'827'881;
        return machine;
    });
    GameScript(random, 0).misses(2);
    click("cmdStart");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], QStringLiteral("投入枚数（プレイ数 × 3）が\n"
                                        "32ビット整数の上限 2,147,483,647 に達しました。\n"
                                        "2ゲーム目で、この実行は終了です。") +
                             resultsStay);
}

// A counter that reaches its limit in the middle of a game ends the run at the game before, all
// of it shown as a stop there would leave it: no mode count, bonus, row or coins of the game
// that failed.
TEST_F(RunErrorInWindow, ALimitEndsTheRunAtTheLastWholeGame) {
    struct Case {
        const char* name;
        bool attempts;
        std::int32_t bigsBefore;  // the BIGs each new machine starts with
        std::int32_t gamesBefore;
        int scriptedAttempts;  // attempt run: a BIG and a miss each; per-mode run: a miss, a BIG
        QString figure;
        int failingGame;
        std::vector<std::pair<std::string, std::string>> boxes;
        int rows;  // the grid's, its header included
    };
    // 5,534,751 BIGs pay 2,147,483,388 coins, one more would pass 2,147,483,647; one game at
    // 設定１ costs 2 (1.604 rounded). Each attempt of 3,000,000 BIGs and one more pays
    // 1,164,000,388 + 6 - 3 = 1,164,000,391: two pass the limit of the total paid out.
    const Case cases[] = {
        {"mode run, a BIG past the BIG payout",
         false,
         5'534'751,
         0,
         1,
         QStringLiteral("BIGの払い出し枚数（BIG回数 × 388）"),
         2,
         {{"Text1", "1"},
          {"txtCnt(0)", "1"},
          {"txtCnt(1)", "0"},
          {"txtSBig", "0"},
          {"txtBig(0)", "0"},
          {"Text2", "2147483386"}},
         1},
        {"mode run, coins put in past the limit",
         false,
         0,
         715'827'881,
         0,
         QStringLiteral("投入枚数（プレイ数 × 3）"),
         2,
         {{"Text1", "1"}, {"txtCnt(0)", "1"}},
         1},
        {"attempt run, the total paid out past the limit",
         true,
         3'000'000,
         0,
         2,
         QStringLiteral("払い出し枚数の合計"),
         4,
         {{"Text1", "3"},
          {"txtChosen", "2"},
          {"txtSBig", "2"},
          {"Text2", "1164000385"},
          {"txt1P", "2.00"},
          {"txt1Sa", "1164000385.00"},
          {"txt1Big", "1.00"}},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        window->setMachineFactory([this, &c] {
            auto machine = std::make_unique<clsKorvale>(random);
            machine->mlngBigCnt = c.bigsBefore;
            machine->mlngPlayCnt = c.gamesBefore;
            return machine;
        });
        click(c.attempts ? "opt(1)" : "opt(0)");
        setText("txtBEnd", "1");
        GameScript script(random, 0);
        if (c.attempts) {
            for (int i = 0; i < c.scriptedAttempts; ++i) {
                script.newMachine();
                script.big(1);
                script.misses(1);
            }
        } else {
            script.misses(1);
            if (c.scriptedAttempts > 0) {
                script.big(1);
            } else {
                script.misses(1);
            }
        }
        click("cmdStart");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors[0].startsWith(c.figure + QStringLiteral("が\n")))
            << errors[0].toStdString();
        EXPECT_TRUE(errors[0].contains(QStringLiteral("%1ゲーム目で").arg(c.failingGame)));
        for (const auto& [box, shown] : c.boxes) {
            EXPECT_EQ(text(box), shown) << box;
        }
        EXPECT_EQ(grid().rows(), c.rows);
    }
}

TEST_F(RunErrorInWindow, AModeWithoutBoxes) {
    window->setMachineFactory([this] {
        auto machine = std::make_unique<clsKorvale>(random);
        machine->mMode = 7;
        return machine;
    });
    GameScript(random, 0).misses(1);
    click("cmdStart");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0],
              QStringLiteral("モード 7 の欄（そのモードの欄はありません） の操作が無効です。\n"
                             "1ゲーム目で実行を終了しました。") +
                  resultsStay);
}

TEST_F(RunErrorInWindow, RegEndBeyond32Bits) {
    click("opt(1)");
    setText("txtREnd", "3000000000");
    click("cmdStart");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(
        errors[0],
        QStringLiteral("「REG後」の欄の「3000000000」は、32ビット整数の範囲（-2,147,483,648〜"
                       "2,147,483,647）に収まりません。\nゲームを始める前に実行を終了しました。") +
            resultsStay);
}

TEST_F(RunErrorInWindow, AttemptCountTypedAsZero) {
    click("opt(1)");
    setText("txtBEnd", "1");
    GameScript script(random, 0);
    script.big(1);
    script.misses(1);
    onYield([this](YieldPoint) {
        if (gamesShown() == 1) {
            setText("txtChosen", "0");
        }
    });
    click("cmdStart");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], QStringLiteral("一回あたりのプレイ数の計算で 0 で割りました。\n"
                                        "2ゲーム目で実行を終了しました。") +
                             resultsStay);
}

}  // namespace
}  // namespace korvale::testing
