// The ヤメ時 tab: every known rule of a small grid as a point, the frontier as the points no
// other beats, the rule typed in the main window marked, and the work begun only with the tab,
// held while the window is closed or another tab's work goes first, and going on from there.

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <optional>
#include <set>
#include <utility>

#include "tests/ui/frame_fixture.h"

namespace korvale::testing {
namespace {

// BIG ends 25, 50 and REG ends 0, 25: four rules a setting (a second or so each), each with a
// REG end of at most the BIG end plus one game, whose law is the cheaper.
constexpr SweepGrid smallGrid{25, 50, 25, 0, 25, 25};
constexpr int smallGridRules = 4;

#ifdef KORVALE_SANITIZED
const std::vector<std::int32_t> settingsChecked = {2};
#else
const std::vector<std::int32_t> settingsChecked = {2, 0, 1, 3, 4, 5};
#endif

using PointSet = std::set<std::pair<double, double>>;

PointSet pointSet(const QList<QPointF>& points) {
    PointSet set;
    for (const QPointF& point : points) {
        set.insert({point.x(), point.y()});
    }
    return set;
}

class QuitRulePanelTest : public FrameTest {
  protected:
    frmAnalysis& analysis() { return *frame->analysisWindow(); }
    QuitRulePanel& panel() { return analysis().tab<QuitRulePanel>(); }

    // The analysis window open on the ヤメ時 tab, with setting `setting` chosen in the main
    // window and the small grid.
    void openTab(std::int32_t setting, const SweepGrid& grid = smallGrid) {
        form().findChild<QComboBox*>(QStringLiteral("cmbSettei"))->setCurrentIndex(setting);
        trigger("actAnalysis");
        panel().setGrid(grid);
        analysis().showTab(analysis().tab<QuitRulePanel>());
        analysis().refreshNow();
    }
    void show(std::int32_t setting) {
        panel().settingChoice().setCurrentIndex(setting);
        panel().service().waitForSweep(setting);
    }
};

TEST_F(QuitRulePanelTest, ThePointsAreTheKnownRulesAndTheLineThoseNoOtherBeats) {
    openTab(2);
    // The main window's setting first.
    EXPECT_EQ(panel().shownSetting(), 2);
    for (const std::int32_t setting : settingsChecked) {
        SCOPED_TRACE(setting);
        show(setting);
        // Every rule known: none counted as not worked out.
        ASSERT_EQ(panel().rulePoints().count(), smallGridRules);
        EXPECT_TRUE(panel().gridCaption().contains(QStringLiteral("4通りの終了条件")))
            << panel().gridCaption().toStdString();
        EXPECT_FALSE(panel().gridCaption().contains(QStringLiteral("求められませんでした")))
            << panel().gridCaption().toStdString();
        EXPECT_TRUE(panel().rulePoints().name().contains(
            QStringLiteral("設定%1").arg(QChar(0xff10 + setting + 1))));
        // The frontier: the points that no other point is at least as good as on both counts
        // and better on one.
        const QList<QPointF> points = panel().rulePoints().points();
        PointSet expected;
        for (const QPointF& p : points) {
            const bool beaten = std::any_of(points.begin(), points.end(), [&](const QPointF& q) {
                return q.x() >= p.x() && q.y() >= p.y() && (q.x() > p.x() || q.y() > p.y());
            });
            if (!beaten) {
                expected.insert({p.x(), p.y()});
            }
        }
        const QList<QPointF> line = panel().frontierLine().points();
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(pointSet(line), expected);
        EXPECT_EQ(line.size(), static_cast<qsizetype>(expected.size()));
        EXPECT_TRUE(
            std::is_sorted(line.begin(), line.end(),
                           [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
        // Along the frontier, a higher rate costs chance to end ahead.
        for (qsizetype i = 1; i < line.size(); ++i) {
            EXPECT_LE(line[i].y(), line[i - 1].y());
        }
    }
}

TEST_F(QuitRulePanelTest, TheMarkFollowsTheEndBoxes) {
    openTab(0);
    show(0);
    // The other settings' sweeps would only slow the rules worked out alone.
    panel().service().callOff();
    const std::vector<EndConditions> grid = sweepPoints(smallGrid);
    const SettingRuleRisks& sweep = panel().service().sweep(0)->risks;
    const auto gridPoint = [&](double big, std::int32_t reg) {
        for (std::size_t i = 0; i < grid.size(); ++i) {
            if (grid[i].bigEnd == big && grid[i].regEnd == reg) {
                return QPointF(sweep.figures.points[i].netPer1000Games,
                               100.0 * sweep.risks[i].pAhead);
            }
        }
        ADD_FAILURE() << "no rule " << big << "/" << reg;
        return QPointF();
    };
    struct Case {
        const char* bigEnd;
        const char* regEnd;
        bool marked;
        std::optional<QPointF> at;  // where, when marked on a grid point
        const char* caption;        // what the line of text says
    };
    const Case cases[] = {
        {"25", "0", true, gridPoint(25, 0), "BIG後25G・REG後0G"},
        // Full-width digits read as the run reads them.
        {"２５", "２５", true, gridPoint(25, 25), "BIG後25G・REG後25G"},
        // Off the grid, worked out alone: 24.5 games after a BIG end an attempt where 25 do.
        {"24.5", "25", true, gridPoint(25, 25), "BIG後24.5G・REG後25G"},
        // Off the grid with a REG end above the BIG end plus one game: from the law of its own,
        // worked out alone.
        {"25", "27", true, std::nullopt, "BIG後25G・REG後27G"},
        {"100", "99999999999", false, {}, "読めません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bigEnd + std::string("/") + c.regEnd);
        box(Box::txtBEnd)->setText(c.bigEnd);
        box(Box::txtREnd)->setText(c.regEnd);
        panel().service().waitForRule();
        const QString caption = panel().markCaption();
        EXPECT_TRUE(caption.contains(QString::fromUtf8(c.caption))) << caption.toStdString();
        ASSERT_EQ(panel().markedPoint().count(), c.marked ? 1 : 0);
        if (c.marked) {
            const QPointF at = panel().markedPoint().at(0);
            if (c.at) {
                EXPECT_NEAR(at.x(), c.at->x(), 1e-9 * std::max(1.0, std::abs(c.at->x())));
                EXPECT_NEAR(at.y(), c.at->y(), 1e-9);
            }
            // A chance to end ahead, in percent.
            EXPECT_GT(at.y(), 0.0);
            EXPECT_LT(at.y(), 100.0);
        }
    }
}

TEST_F(QuitRulePanelTest, WorkBeginsWithTheTabWaitsWhileTheWindowIsClosedAndGoesOn) {
    // A grid of its own, worked out by no other test: BIG ends 0 to 350, REG end 0 (eight rules).
    const SweepGrid grid{0, 350, 50, 0, 0, 50};
    trigger("actAnalysis");
    panel().setGrid(grid);
    analysis().refreshNow();
    EXPECT_FALSE(panel().service().sweepPending());
    EXPECT_EQ(panel().service().sweep(1), nullptr);

    openTab(1, grid);
    EXPECT_TRUE(panel().service().sweepPending());
    EXPECT_FALSE(panel().progress().isHidden());
    const auto rulesIn = [this] {
        const std::shared_ptr<const RuleSweep> soFar = panel().service().sweepSoFar(1);
        return soFar ? soFar->rulesIn : std::size_t{0};
    };
    while (rulesIn() == 0) {
        QTest::qWait(2);
    }
    QElapsedTimer closing;
    closing.start();
    analysis().close();
    EXPECT_LT(closing.elapsed(), 500);
    // Closed, the work waits where it was, what it has done kept.
    QTest::qWait(300);  // the rules under way reach their next look
    const std::size_t atClose = rulesIn();
    const double doneAtClose = panel().service().sweepDone();
    QTest::qWait(700);
    EXPECT_TRUE(panel().service().sweepPending());
    EXPECT_TRUE(panel().service().held());
    EXPECT_EQ(rulesIn(), atClose);
    EXPECT_EQ(panel().service().sweepDone(), doneAtClose);
    if (atClose == 8) {
        GTEST_SKIP() << "the sweep was done before the window closed";
    }

    // Opened again, it goes on from there: its rules drawn at once, none worked out again.
    openTab(1, grid);
    EXPECT_FALSE(panel().service().held());
    EXPECT_EQ(static_cast<std::size_t>(panel().rulePoints().count()), atClose);
    EXPECT_GE(panel().service().sweepDone(), doneAtClose);
    show(1);
    EXPECT_EQ(panel().rulePoints().count(), 8);
    analysis().close();
    openTab(1, grid);
    EXPECT_EQ(panel().rulePoints().count(), 8);
}

// A sweep called off and asked again goes on from the rules it had: they are drawn at once and
// not worked out again.
TEST_F(QuitRulePanelTest, ASweepCalledOffGoesOnFromItsRules) {
    // A grid of its own, worked out by no other test: BIG ends 50 to 400, REG end 0.
    const SweepGrid grid{50, 400, 50, 0, 0, 50};
    openTab(5, grid);
    const auto rulesIn = [this] {
        const std::shared_ptr<const RuleSweep> soFar = panel().service().sweepSoFar(5);
        return soFar ? soFar->rulesIn : std::size_t{0};
    };
    while (rulesIn() < 2) {
        QTest::qWait(2);
    }
    const std::size_t atCallOff = rulesIn();
    panel().service().callOff();
    if (panel().service().sweep(5) != nullptr) {
        GTEST_SKIP() << "the sweep was done before it was called off";
    }
    EXPECT_EQ(rulesIn(), 0U);  // nothing in hand
    panel().service().start();
    while (rulesIn() == 0) {
        QTest::qWait(2);
    }
    EXPECT_GE(rulesIn(), atCallOff);
    panel().service().waitForSweep(5);
    ASSERT_NE(panel().service().sweep(5), nullptr);
    EXPECT_TRUE(panel().service().sweep(5)->complete());
}

// The work of the tab on show goes first: a sweep under way waits while the 一日の収支 tab's
// work is in hand, and goes on once that is done.
TEST_F(QuitRulePanelTest, TheTabOnShowGoesFirst) {
    // A grid and a day of their own, worked out by no other test.
    const SweepGrid grid{0, 300, 50, 0, 0, 50};
    openTab(3, grid);
    const auto rulesIn = [this] {
        const std::shared_ptr<const RuleSweep> soFar = panel().service().sweepSoFar(3);
        return soFar ? soFar->rulesIn : std::size_t{0};
    };
    while (rulesIn() == 0) {
        QTest::qWait(2);
    }
    DayPanel& day = analysis().tab<DayPanel>();
    day.dayGames().setValue(1700);
    analysis().showTab(analysis().tab<DayPanel>());
    analysis().refreshNow();
    ASSERT_TRUE(day.workPending());
    EXPECT_TRUE(panel().service().held());
    QTest::qWait(300);  // the rules under way reach their next look
    const std::size_t whileHidden = rulesIn();
    day.waitForFigures();  // not held: it would never come
    EXPECT_EQ(rulesIn(), whileHidden);
    EXPECT_TRUE(panel().service().sweepPending() || whileHidden == 7);
    // Nothing on show left to do: the hidden work goes on.
    analysis().refreshNow();
    EXPECT_FALSE(panel().service().held());
    panel().service().waitForSweep(3);
    EXPECT_NE(panel().service().sweep(3), nullptr);
}

TEST_F(QuitRulePanelTest, RulesAreDrawnAsTheyComeInAndAWaitingSettingSaysSo) {
    // A grid of its own (BIG ends 0 to 200, REG end 0: five rules), worked out by no other test.
    const SweepGrid grid{0, 200, 50, 0, 0, 50};
    openTab(0, grid);
    ASSERT_EQ(panel().service().settingInHand(), 0);
    // Another setting on show waits for the main window's, and says so.
    panel().settingChoice().setCurrentIndex(4);
    EXPECT_EQ(panel().service().settingInHand(), 0);
    EXPECT_TRUE(panel().statusCaption().startsWith(QStringLiteral("計算待ち")))
        << panel().statusCaption().toStdString();
    EXPECT_TRUE(panel().gridCaption().contains(QStringLiteral("設定５は計算待ち")))
        << panel().gridCaption().toStdString();
    EXPECT_EQ(panel().rulePoints().count(), 0);
    panel().settingChoice().setCurrentIndex(0);
    // While it goes on, some of the rules drawn and no frontier yet; then all five.
    std::set<qsizetype> drawnWhileWorking;
    while (panel().service().sweep(0) == nullptr) {
        ASSERT_TRUE(panel().service().sweepPending());
        drawnWhileWorking.insert(panel().rulePoints().count());
        if (panel().rulePoints().count() > 0) {
            EXPECT_EQ(panel().frontierLine().count(), 0);
        }
        QTest::qWait(5);
    }
    panel().service().callOff();
    analysis().refreshNow();
    EXPECT_TRUE(std::any_of(drawnWhileWorking.begin(), drawnWhileWorking.end(), [](qsizetype n) {
        return n > 0 && n < 5;
    })) << drawnWhileWorking.size();
    ASSERT_EQ(panel().rulePoints().count(), 5);
    EXPECT_GT(panel().frontierLine().count(), 0);

    // Resting on a rule names it and its chance to end ahead.
    const RuleSweep& sweep = *panel().service().sweep(0);
    for (std::size_t i = 0; i < sweep.risks.risks.size(); ++i) {
        const RuleRisk& risk = sweep.risks.risks[i];
        const AttemptFigures& rule = sweep.risks.figures.points[i];
        const QString tip = panel().tipAt(QPointF(rule.netPer1000Games, 100 * risk.pAhead));
        const QString named = QStringLiteral("BIG後%1G・REG後0G").arg(rule.end.bigEnd);
        EXPECT_TRUE(tip.startsWith(named)) << tip.toStdString();
        EXPECT_TRUE(tip.contains(QString::asprintf("勝ち越す確率 %.1f%%", 100 * risk.pAhead)))
            << tip.toStdString();
    }
}

// Which setting's sweep comes next, worked out by hand: the one on show, then the main
// window's, then the others from the one on show on; the main window's is always finished,
// and any other in hand gives way to the one on show.
TEST(SettingToSweepTest, OnShowFirstThenTheMainWindowsThenTheRest) {
    const struct {
        const char* done;  // settings 1 to 6
        std::int32_t shown, chosen, inHand, next;
    } cases[] = {
        {"000000", 2, 2, -1, 2}, {"000000", 1, 3, -1, 1}, {"010000", 1, 3, -1, 3},
        {"010100", 1, 3, -1, 2}, {"011111", 1, 3, -1, 0}, {"111111", 1, 3, -1, -1},
        {"000000", 4, 0, 0, 0},  {"000000", 4, 0, 2, 4},  {"000010", 4, 0, 2, 2},
        {"000000", 4, 0, 4, 4},
    };
    for (const auto& c : cases) {
        std::vector<bool> done;
        for (const char* d = c.done; *d != 0; ++d) {
            done.push_back(*d == '1');
        }
        EXPECT_EQ(settingToSweep(done, c.shown, c.chosen, c.inHand), c.next)
            << c.done << " shown " << c.shown << " chosen " << c.chosen << " in hand " << c.inHand;
    }
}

}  // namespace
}  // namespace korvale::testing
