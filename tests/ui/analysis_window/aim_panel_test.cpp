// The 狙い目 tab: each curve's break-even mark where the worth shown in its table turns to a gain
// for good, the mixture's curve between the settings' (and on one setting's when the prior
// holds only it), and the rule, the weights and the table's setting following the boxes.

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "tests/ui/frame_fixture.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale::testing {
namespace {

// The table's counts and worths per attempt, read back from the cells as they are written.
std::vector<std::pair<double, double>> tableWorths(const QTableWidget& table) {
    const auto number = [&table](int row, int column) {
        return table.item(row, column)->text().remove(',').toDouble();
    };
    std::vector<std::pair<double, double>> rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        rows.emplace_back(number(row, AimPanel::CountColumn), number(row, AimPanel::NetColumn));
    }
    return rows;
}

class AimPanelTest : public FrameTest {
  protected:
    frmAnalysis& analysis() { return *frame->analysisWindow(); }
    AimPanel& panel() { return analysis().tab<AimPanel>(); }
    QLineEdit& mainBox(const char* name) { return *form().findChild<QLineEdit*>(name); }

    // The main window's rule first (quitting at the first BIG unless asked: its table is the
    // quickest to work out), then the tab; its curves waited for unless told.
    void openTab(const char* bigEnd = "0", const char* regEnd = "0", bool wait = true) {
        setMainRule(bigEnd, regEnd, false);
        trigger("actAnalysis");
        analysis().showTab(analysis().tab<AimPanel>());
        analysis().refreshNow();
        if (wait) {
            panel().waitForCurves();
        }
    }
    void setMainRule(const char* bigEnd, const char* regEnd, bool wait = true) {
        mainBox("txtBEnd").setText(bigEnd);
        mainBox("txtREnd").setText(regEnd);
        if (wait) {
            panel().waitForCurves();
        }
    }
};

// Each prior weight sits under the setting it is for, named in full; so does the game limit.
TEST_F(AimPanelTest, EachWeightIsNamedByItsSetting) {
    trigger("actAnalysis");
    for (int s = 0; s < 6; ++s) {
        const QDoubleSpinBox* weight = &panel().priorWeight(s);
        const QList<QLabel*> labels = panel().findChildren<QLabel*>();
        const auto named = std::find_if(labels.begin(), labels.end(), [&](const QLabel* label) {
            return label->buddy() == weight;
        });
        ASSERT_NE(named, labels.end()) << s;
        EXPECT_EQ((*named)->text(), QStringLiteral("設定") + QChar(0xFF11 + s));
    }
}

TEST_F(AimPanelTest, EachMarkIsWhereItsTablesWorthTurnsToAGainForGood) {
    openTab();
    bool insideTheGrid = false;
    // At 0/0 every curve turns late in the grid; at 30/10 設定１ and ２ turn inside it and the
    // others at its first count, as at longer rules such as 300/100, in far less time.
#ifdef KORVALE_SANITIZED
    const std::vector<std::pair<const char*, const char*>> rules = {{"0", "0"}};  // the slowdown
#else
    const std::vector<std::pair<const char*, const char*>> rules = {{"0", "0"}, {"30", "10"}};
#endif
    for (const auto& [bigEnd, regEnd] : rules) {
        setMainRule(bigEnd, regEnd);
        for (int index = 0; index < AimPanel::curveCount; ++index) {
            SCOPED_TRACE(std::string(bigEnd) + "/" + regEnd + " curve " + std::to_string(index));
            panel().shownChoice().setCurrentIndex(index);
            const std::vector<std::pair<double, double>> rows = tableWorths(panel().table());
            ASSERT_EQ(rows.size(), 31u);
            EXPECT_EQ(rows.back().first, 1500.0);
            std::optional<std::size_t> from;
            for (std::size_t k = rows.size(); k-- > 0 && rows[k].second > 0;) {
                from = k;
            }
            const QList<QPointF> mark = panel().breakEvenMark(index).points();
            if (!from) {
                EXPECT_TRUE(mark.isEmpty());
                continue;
            }
            insideTheGrid = insideTheGrid || *from > 0;
            ASSERT_EQ(mark.size(), 1);
            EXPECT_EQ(mark[0].x(), rows[*from].first);
            EXPECT_NEAR(mark[0].y(), rows[*from].second, 0.05);
            EXPECT_TRUE(panel().breakEvenCaption().contains(
                QStringLiteral("%1G〜").arg(groupedNumber(rows[*from].first))));
        }
    }
    // Some curve turns after its first count: the mark is not simply at the first gain.
    EXPECT_TRUE(insideTheGrid);
}

// The table's yen and hourly figures at the window's rates: 設定１ found at 1500 games under
// quit-at-the-first-BIG nets 295.580 coins an attempt and 4510.197 per 1000 games (typed from
// `korvale-batch hunt --setting 1 --since-big-grid 1500:1500:1`), so at 5.6 coins per ¥100 and
// 800 games an hour ¥5278 an attempt and ¥64431 an hour. From cash every game of that machine
// plays at the ceiling's chance whatever its mode, and a pass over the coins in hand alone,
// worked outside this program, buys 2.450308 lots of 50 coins, each losing ¥1000 − 50 × 100 /
// 5.6: ¥5015.68 an attempt of 65.536 games, ¥61227 an hour. The break-even marks then stand
// where the yen turn to a gain for good.
TEST_F(AimPanelTest, TheTablesYenFollowTheHallsRates) {
    openTab();
    panel().shownChoice().setCurrentIndex(0);
    HallRatesPanel& rates = analysis().hallRatesPanel();
    rates.exchange().setValue(5.6);
    const QTableWidget& table = panel().table();
    ASSERT_EQ(table.rowCount(), 31);
    const auto cell = [&table](int column) { return table.item(30, column)->text().remove(','); };
    EXPECT_EQ(cell(AimPanel::YenColumn), QStringLiteral("+5278"));
    EXPECT_EQ(cell(AimPanel::HourColumn), QStringLiteral("+64431"));
    rates.pay().setCurrentIndex(1);
    panel().waitForCurves();
    EXPECT_EQ(cell(AimPanel::YenColumn), QStringLiteral("+5016"));
    EXPECT_EQ(cell(AimPanel::HourColumn), QStringLiteral("+61227"));
    EXPECT_TRUE(panel().breakEvenCaption().contains(QStringLiteral("現金での収支（円）")));
    for (const int index : {0, AimPanel::mixtureCurve}) {
        panel().shownChoice().setCurrentIndex(index);
        int from = table.rowCount();
        while (from > 0 && table.item(from - 1, AimPanel::YenColumn)->text().startsWith('+')) {
            --from;
        }
        ASSERT_LT(from, table.rowCount());
        const QList<QPointF> mark = panel().breakEvenMark(index).points();
        ASSERT_EQ(mark.size(), 1);
        EXPECT_EQ(mark[0].x(),
                  table.item(from, AimPanel::CountColumn)->text().remove(',').toDouble());
    }
}

TEST_F(AimPanelTest, TheMixtureLiesBetweenTheSettingsAndIsTheOneSettingThePriorHolds) {
#ifdef KORVALE_SANITIZED
    openTab();  // quitting at the first BIG: the quickest tables under the sanitizers' slowdown
#else
    openTab("30", "10");
#endif
    const QList<QPointF> mixture = panel().curve(AimPanel::mixtureCurve).points();
    ASSERT_EQ(mixture.size(), 31);
    for (qsizetype k = 0; k < mixture.size(); ++k) {
        std::vector<double> worths;
        for (int s = 0; s < settingCount; ++s) {
            worths.push_back(panel().curve(s).points()[k].y());
        }
        EXPECT_LE(*std::min_element(worths.begin(), worths.end()), mixture[k].y() + 1e-9);
        EXPECT_GE(*std::max_element(worths.begin(), worths.end()), mixture[k].y() - 1e-9);
    }
    // A hall that sets only 設定６: whatever the count, the machine is a 設定６.
    for (int s = 0; s < settingCount - 1; ++s) {
        panel().priorWeight(s).setValue(0.0);
    }
    panel().waitForCurves();
    const QList<QPointF> only = panel().curve(AimPanel::mixtureCurve).points();
    const QList<QPointF> six = panel().curve(5).points();
    ASSERT_EQ(only.size(), six.size());
    for (qsizetype k = 0; k < only.size(); ++k) {
        EXPECT_NEAR(only[k].y(), six[k].y(), 1e-9 * (1 + std::abs(six[k].y())));
    }
}

TEST_F(AimPanelTest, ALimitOfOneGameIsThatGameWorkedByHand) {
    // The limit set before the tab is first shown: the rule's table without it is never asked for.
    trigger("actAnalysis");
    panel().maxGames().setValue(1);
    openTab("300", "100");
    EXPECT_TRUE(panel().ruleCaption().contains(QStringLiteral("最大1Gで打ち切り")));
    panel().shownChoice().setCurrentIndex(0);
    const QTableWidget& table = panel().table();
    ASSERT_EQ(table.rowCount(), 31);
    // 1500 games after the BIG the next game is at the ceiling: BIG 1000 and REG 100 in 65536
    // at 設定１, 388 and 127 coins, a cost of 2; whatever the rule, one game is played.
    const int last = table.rowCount() - 1;
    EXPECT_EQ(table.item(last, AimPanel::NetColumn)->text(), QStringLiteral("+4.1"));
    for (int row = 0; row < table.rowCount(); ++row) {
        EXPECT_EQ(table.item(row, AimPanel::GamesColumn)->text(), QStringLiteral("1.0"));
        EXPECT_EQ(table.item(row, AimPanel::AheadColumn)->text(), QStringLiteral("—"));
    }
    panel().maxGames().setValue(0);
    EXPECT_FALSE(panel().setup()->maxGames);
}

TEST_F(AimPanelTest, TheRuleFollowsTheMainWindowsBoxesUntilOneIsTyped) {
    // The rule asked for is what is checked, not its curves: only the last is waited for.
    form().findChild<QComboBox*>(QStringLiteral("cmbSettei"))->setCurrentIndex(3);
    openTab("0", "0", false);
    EXPECT_EQ(panel().shownChoice().currentIndex(), 3);
    // Read as the attempt run reads its boxes: "abc" is 0.
    setMainRule("25.5", "abc", false);
    ASSERT_TRUE(panel().setup());
    EXPECT_EQ(panel().setup()->end.bigEnd, 25.5);
    EXPECT_EQ(panel().setup()->end.regEnd, 0);
    EXPECT_TRUE(panel().ruleCaption().contains(QStringLiteral("BIG後25.5G以上・REG後0G以上")));
    panel().typedRuleOption().setChecked(true);
    panel().typedBigEnd().setText("40");
    panel().typedRegEnd().setText("20");
    setMainRule("400", "0", false);
    EXPECT_EQ(panel().setup()->end.bigEnd, 40.0);
    EXPECT_EQ(panel().setup()->end.regEnd, 20);
    // A REG end the run refuses, and weights that are all 0: nothing is asked for, and said why.
    panel().typedRegEnd().setText("99999999999");
    EXPECT_FALSE(panel().setup());
    EXPECT_TRUE(panel().ruleCaption().contains(QStringLiteral("読めません")));
    panel().typedRegEnd().setText("0");
    for (int s = 0; s < settingCount; ++s) {
        panel().priorWeight(s).setValue(0.0);
    }
    EXPECT_FALSE(panel().setup());
    EXPECT_TRUE(panel().ruleCaption().contains(QStringLiteral("すべて0")));
    // A rule beyond the tables is worked out to its failure, said where the break-even goes.
    panel().priorWeight(0).setValue(1.0);
    panel().typedBigEnd().setText("99999999999");
    panel().waitForCurves();
    EXPECT_TRUE(panel().curve(0).points().isEmpty());
    EXPECT_FALSE(panel().breakEvenCaption().isEmpty());
    EXPECT_FALSE(panel().breakEvenCaption().contains(QStringLiteral("損益分岐")));
}

}  // namespace
}  // namespace korvale::testing
