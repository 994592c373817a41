// The analysis window: it reads the run and changes nothing of it, and what it draws and lists
// agrees with the run's own figures and with the exact analysis.

#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLegendMarker>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "analysis/attempt/attempt.h"
#include "analysis/inference/setting_estimate.h"
#include "analysis/long_run/gap_law.h"
#include "analysis/long_run/long_run.h"
#include "analysis/model/machine_model.h"
#include "analysis/outcome/outcome_law.h"
#include "report/format/table_text.h"
#include "tests/ui/frame_fixture.h"

namespace korvale::testing {
namespace {

// A number as the window's tables write it: printf's fixed decimals, thousands grouped by hand.
std::string fixed(double value, int decimals, const char* before = "", const char* after = "") {
    QString digits = QString::asprintf("%.*f", decimals, value);
    const qsizetype sign = digits.startsWith('-') ? 1 : 0;
    qsizetype point = digits.contains('.') ? digits.indexOf('.') : digits.size();
    while (point > sign + 3) {
        point -= 3;
        digits.insert(point, ',');
    }
    return (QString::fromUtf8(before) + digits + QString::fromUtf8(after)).toStdString();
}

// The tabs that draw the run, in the tab bar's order.
const char* const runTabs[] = {"理論値と実測値", "スランプグラフ", "ハマり分布", "設定判別"};

class AnalysisWindowTest : public FrameTest {
  protected:
    frmAnalysis& analysis() { return *frame->analysisWindow(); }

    // The text of a column in the row of the figures table whose label is `label`.
    std::string figureCell(const std::string& label, int column) {
        const QTableWidget& table = analysis().tab<RunFiguresTab>().table();
        for (int row = 0; row < table.rowCount(); ++row) {
            if (table.item(row, FiguresPanel::LabelColumn)->text().toStdString() == label) {
                return table.item(row, column)->text().toStdString();
            }
        }
        ADD_FAILURE() << "no row " << label;
        return {};
    }

    // Puts the tab of that type, or of that title, on show and redraws it.
    template <class Tab>
    Tab& showTab() {
        Tab& tab = analysis().tab<Tab>();
        showTab(tab);
        return tab;
    }
    void showTab(AnalysisTab& tab) {
        analysis().showTab(tab);
        analysis().refreshNow();
    }
    void showTab(const char* title) {
        AnalysisTab* tab = analysis().tabTitled(QString::fromUtf8(title));
        ASSERT_NE(tab, nullptr) << title;
        showTab(*tab);
    }

    // The areas under a histogram's outline of steps, bin by bin: the heights of its tops.
    static double stepHeights(const QLineSeries& line) {
        const QList<QPointF> points = line.points();
        double sum = 0;
        for (qsizetype i = 1; i + 2 < points.size(); i += 2) {
            sum += points[i].y();  // each bin's top is a pair of points at one height
        }
        return sum;
    }
};

// The tabs as the user finds them in the bar, each reached by its type and by its title.
TEST_F(AnalysisWindowTest, EachTabIsFoundByTypeAndTitleInTheBarsOrder) {
    trigger("actAnalysis");
    const char* const titles[] = {"理論値と実測値", "スランプグラフ", "ハマり分布", "設定判別",
                                  "ヤメ時",         "狙い目",         "一日の収支"};
    const QWidget* const byType[] = {
        &analysis().tab<RunFiguresTab>(), &analysis().tab<SlumpPanel>(),
        &analysis().tab<DroughtPanel>(),  &analysis().tab<PosteriorPanel>(),
        &analysis().tab<QuitRulePanel>(), &analysis().tab<AimPanel>(),
        &analysis().tab<DayPanel>()};
    const QTabWidget& bar = analysis().tabs();
    ASSERT_EQ(bar.count(), 7);
    for (int index = 0; index < bar.count(); ++index) {
        SCOPED_TRACE(titles[index]);
        EXPECT_EQ(bar.tabText(index).toStdString(), titles[index]);
        EXPECT_EQ(bar.widget(index), byType[index]);
        const AnalysisTab* titled = analysis().tabTitled(QString::fromUtf8(titles[index]));
        ASSERT_NE(titled, nullptr);
        EXPECT_EQ(&const_cast<AnalysisTab*>(titled)->page(), bar.widget(index));
    }
    EXPECT_EQ(analysis().tabTitled(QStringLiteral("なし")), nullptr);
}

TEST_F(AnalysisWindowTest, OpeningAndClosingItDuringARunChangesNothing) {
    for (const bool attempts : {false, true}) {
        SCOPED_TRACE(attempts);
        makeFrame(4242);
        if (attempts) {
            chooseAttempts();
        }
        runFor(16);
        const Snapshot alone = snapshot();

        makeFrame(4242);
        if (attempts) {
            chooseAttempts();
        }
        runFor(16, [this](int yields) {
            if (yields == 3 || yields == 11) {
                trigger("actAnalysis");
            }
            if (yields >= 4 && yields <= 9) {
                showTab(runTabs[yields % 4]);
            }
            if (yields == 9) {
                analysis().close();
            }
        });
        EXPECT_EQ(snapshot(), alone);
        EXPECT_GT(alone.grid.size(), 20u);
        // Opened again mid-run, it had the run from its first row.
        analysis().refreshNow();
        EXPECT_EQ(analysis().feed().rowsTaken(), static_cast<std::int64_t>(alone.grid.size()) - 1);
    }
}

TEST_F(AnalysisWindowTest, SlumpPointsAndGapCountsFollowTheLoggedBonuses) {
    makeFrame(99);
    form().runDisplays().setYieldHook([this](YieldPoint) {
        if (form().grid().rows() > 400) {
            click("cmdStop");
        }
    });
    click("cmdStart");

    // The machine's net coins are 388 BIG + 127 REG - round(c games), c = 1.604 as a float
    // (halves to even, the default rounding): so says the run's own Text2 ...
    const double c = static_cast<double>(1.604f);
    const auto netCoins = [c](std::int64_t bigs, std::int64_t regs, std::int64_t games) {
        return 388 * bigs + 127 * regs - static_cast<std::int64_t>(std::nearbyint(c * games));
    };
    EXPECT_EQ(std::stoll(text(Box::Text2)),
              netCoins(std::stoll(text(Box::txtSBig)), std::stoll(text(Box::txtSReg)),
                       std::stoll(text(Box::Text1))));
    // ... and so at every logged bonus, its games summed from the grid.
    const ResultsGrid& grid = form().grid();
    std::map<std::int64_t, std::int64_t> netAt;
    std::int64_t games = 0;
    std::int64_t bigs = 0;
    std::int64_t regs = 0;
    std::int64_t expectedLow = 0;
    std::int64_t expectedHigh = 0;
    for (int row = 1; row < grid.rows(); ++row) {
        games += std::stoll(grid.cellText(row, 1));
        (grid.cellText(row, 0) == "BIG" ? bigs : regs) += 1;
        const std::int64_t net = netCoins(bigs, regs, games);
        netAt[games] = net;
        expectedLow = std::min(expectedLow, net);
        expectedHigh = std::max(expectedHigh, net);
    }
    ASSERT_GT(grid.rows(), 400);

    trigger("actAnalysis");
    showTab<SlumpPanel>();
    const QList<QPointF> drawn = analysis().tab<SlumpPanel>().netLine().points();
    ASSERT_GT(drawn.size(), 50);
    EXPECT_EQ(drawn.front(), QPointF(0, 0));
    double lowest = 0;
    double highest = 0;
    for (qsizetype i = 1; i < drawn.size(); ++i) {
        const auto x = static_cast<std::int64_t>(drawn[i].x());
        ASSERT_TRUE(netAt.count(x)) << x;
        EXPECT_EQ(drawn[i].y(), static_cast<double>(netAt[x]));
        lowest = std::min(lowest, drawn[i].y());
        highest = std::max(highest, drawn[i].y());
    }
    // Decimated, but the extremes and the latest bonus are all there.
    EXPECT_EQ(lowest, static_cast<double>(expectedLow));
    EXPECT_EQ(highest, static_cast<double>(expectedHigh));
    EXPECT_EQ(drawn.back().x(), static_cast<double>(games));

    // Gaps, counted from the grid by hand: games from one BIG to the next, and long ones.
    const ModeRunTally& tally = analysis().feed().modeTally();
    std::int64_t sinceBig = 0;
    std::int64_t longGaps = 0;
    for (int row = 1; row < grid.rows(); ++row) {
        sinceBig += std::stoll(grid.cellText(row, 1));
        if (grid.cellText(row, 0) == "BIG") {
            longGaps += sinceBig >= 500 ? 1 : 0;
            sinceBig = 0;
        }
    }
    EXPECT_EQ(tally.bigGaps().total(), bigs);
    EXPECT_EQ(tally.bonusGaps().total(), bigs + regs);
    for (const CountHistogram* histogram : {&tally.bigGaps(), &tally.bonusGaps()}) {
        std::int64_t sum = 0;
        for (const std::int64_t count : histogram->counts()) {
            sum += count;
        }
        EXPECT_EQ(sum, histogram->total());
    }
    showTab<DroughtPanel>();
    EXPECT_EQ(analysis().tab<DroughtPanel>().table().item(0, 1)->text().toLongLong(), longGaps);
    EXPECT_GT(longGaps, 0);
}

TEST_F(AnalysisWindowTest, ExactColumnShowsTheLongRunFigures) {
    runFor(10);
    trigger("actAnalysis");
    analysis().waitForExact();
    showTab<RunFiguresTab>();
    const LongRunFigures exact = solveLongRun(0);
    EXPECT_EQ(figureCell("BIG確率", FiguresPanel::ExactColumn),
              fixed(1.0 / exact.bigProbability, 2, "1/"));
    EXPECT_EQ(figureCell("機械割", FiguresPanel::ExactColumn),
              fixed(exact.payoutPercent, 2, "", "%"));
    EXPECT_EQ(figureCell("モード5 滞在比率", FiguresPanel::ExactColumn),
              fixed(100 * exact.modeShare[5], 2, "", "%"));
    // The games, the net coins and the odds are those of the main window: every game played,
    // those after the last logged bonus included.
    const double games = std::stod(text(Box::Text1));
    ASSERT_GT(games, static_cast<double>(analysis().feed().modeTally().games()));
    EXPECT_EQ(figureCell("プレイ数", FiguresPanel::MeasuredColumn), fixed(games, 0));
    EXPECT_EQ(figureCell("差枚", FiguresPanel::MeasuredColumn),
              fixed(std::stod(text(Box::Text2)), 0));
    EXPECT_EQ(figureCell("BIG確率", FiguresPanel::MeasuredColumn),
              fixed(games / std::stod(text(Box::txtSBig)), 2, "1/"));
    // The modes' shares: of the logged games, the only ones whose mode is known, after the
    // morning's stretch in mode 0 (the long run never returns to mode 0).
    const ModeRunTally& tally = analysis().feed().modeTally();
    EXPECT_EQ(figureCell("モード5 滞在比率", FiguresPanel::MeasuredColumn),
              fixed(100.0 * static_cast<double>(tally.totals().modeGames[5]) /
                        static_cast<double>(tally.games() - tally.totals().modeGames[0]),
                    2, "", "%"));

    // The ハマり tab: the exact share of long waits, and the exact laws drawn in the run's
    // 20-game bins as percentages that add up to the chance held in the table (up to 3000).
    showTab<DroughtPanel>();
    const LongRunGaps gaps = solveLongRunGaps(0);
    const QTableWidget& table = analysis().tab<DroughtPanel>().table();
    EXPECT_EQ(table.item(0, 3)->text().toStdString(),
              fixed(100 * gaps.bigGap.atLeast(500), 2, "", "%"));
    EXPECT_EQ(table.item(2, 3)->text().toStdString(),
              fixed(100 * gaps.bigGap.atLeast(1500), 2, "", "%"));
    // Each 20-game bin of a drawn law holds the law's chances summed over its games; a bin
    // below the scale (0.001%) drops out of the plot (to 0.000001%) rather than along its floor.
    for (const auto& [line, law] :
         {std::pair{&analysis().tab<DroughtPanel>().exactBigGapLine(), &gaps.bigGap},
          std::pair{&analysis().tab<DroughtPanel>().exactBonusGapLine(), &gaps.bonusGap}}) {
        const QList<QPointF> points = line->points();
        ASSERT_GT(points.size(), 100);  // bins up to well past the 1500-game ceiling
        for (qsizetype i = 1; i + 2 < points.size(); i += 2) {
            const auto start = static_cast<int>(points[i].x());
            double sum = 0;
            for (int n = std::max(start, 0); n < start + 20; ++n) {
                sum += law->chance[static_cast<std::size_t>(n)];
            }
            ASSERT_NEAR(points[i].y(), 100 * sum >= 0.001 ? 100 * sum : 1e-6, 1e-9) << start;
        }
    }
    // The measured histogram's empty bins drop out of the plot the same way, and the scale
    // ends at the last bin drawn (the ceiling always in view).
    const QList<QPointF> measured = analysis().tab<DroughtPanel>().bigGapLine().points();
    const CountHistogram& bigGaps = analysis().feed().modeTally().bigGaps();
    for (qsizetype i = 1; i + 2 < measured.size(); i += 2) {
        const auto bin = static_cast<std::size_t>(measured[i].x() / 20);
        EXPECT_EQ(measured[i].y() < 0.001, bigGaps.counts()[bin] == 0) << measured[i].x();
    }
    double lastDrawn = 1600;
    for (const QLineSeries* line : {&analysis().tab<DroughtPanel>().exactBigGapLine(),
                                    &analysis().tab<DroughtPanel>().exactBonusGapLine(),
                                    &analysis().tab<DroughtPanel>().bigGapLine(),
                                    &analysis().tab<DroughtPanel>().bonusGapLine()}) {
        for (const QPointF& point : line->points()) {
            if (point.y() >= 0.001) {
                lastDrawn = std::max(lastDrawn, point.x());
            }
        }
    }
    const double shownTo = const_cast<QLineSeries&>(analysis().tab<DroughtPanel>().bigGapLine())
                               .attachedAxes()
                               .front()
                               ->property("max")
                               .toDouble();
    EXPECT_GE(shownTo, lastDrawn);
    EXPECT_LT(shownTo, lastDrawn + 500);
}

TEST_F(AnalysisWindowTest, ExactAttemptFiguresComeFromAWorker) {
    // Worked out once here (the window's worker then finds them made, which keeps the test
    // short under the sanitizers), with the end conditions read as the run reads them.
    const ExactFigures exact =
        solveExactFigures(exactSetupOf(RunSetup{true, true, 0, "10", "0.5"}));
    EXPECT_EQ(exact.setup.end.bigEnd, 10.0);
    EXPECT_EQ(exact.setup.end.regEnd, 0);
    ASSERT_TRUE(exact.attempt.has_value());
    makeFrame(5);
    chooseAttempts("10", "0.5");  // read as 0 (halves to even): quick to work out
    std::string statusWhileRunning;
    std::vector<std::string> exactWhileRunning;
    const char* const labels[] = {"挑戦回数", "BIG確率", "REG確率"};
    runFor(6, [&](int yields) {
        if (yields == 1) {
            trigger("actAnalysis");
            analysis().refreshNow();
            statusWhileRunning = analysis().tab<RunFiguresTab>().status().text().toStdString();
            for (const char* label : labels) {
                exactWhileRunning.push_back(figureCell(label, FiguresPanel::ExactColumn));
            }
        }
    });
    EXPECT_NE(statusWhileRunning.find("計算中"), std::string::npos) << statusWhileRunning;
    // Lines that never get an exact value say so from the start.
    EXPECT_EQ(exactWhileRunning, (std::vector<std::string>{"—", "—", "—"}));
    analysis().waitForExact();
    showTab<RunFiguresTab>();
    const AttemptFigures& attempt = *exact.attempt;
    EXPECT_EQ(figureCell("一回あたりの差枚", FiguresPanel::ExactColumn),
              fixed(attempt.expectedNet, 1));
    EXPECT_EQ(figureCell("一回あたりのプレイ数", FiguresPanel::ExactColumn),
              fixed(attempt.expectedGames, 1));
    // The games of each attempt, recovered from its coins, give the run's own average.
    const AttemptRunTally& tally = analysis().feed().attemptTally();
    ASSERT_GT(tally.attempts(), 20);
    EXPECT_NEAR(static_cast<double>(tally.games()) / static_cast<double>(tally.attempts()),
                std::stod(text(Box::txt1P)), 0.005);
}

// With BIG後 1 and REG後 100 no whole law of an attempt is worked out: the histogram's legend
// names no exact curve it does not draw, and its title says why.
TEST_F(AnalysisWindowTest, AHistogramWithoutItsLawSaysWhy) {
    makeFrame(6);
    chooseAttempts("1", "100");
    runFor(40, [&](int yields) {
        if (yields == 1) {
            trigger("actAnalysis");
        }
    });
    analysis().waitForLaw();
    ASSERT_EQ(analysis().law(), nullptr);
    showTab<SlumpPanel>();
    const SlumpPanel& slump = analysis().tab<SlumpPanel>();
    EXPECT_EQ(slump.exactSpreadLine().count(), 0);
    auto& chart = const_cast<QChart&>(slump.spreadChart());
    auto* exact = const_cast<QLineSeries*>(&slump.exactSpreadLine());
    auto* measured = const_cast<QLineSeries*>(&slump.spreadLine());
    EXPECT_FALSE(chart.legend()->markers(exact).front()->isVisible());
    EXPECT_TRUE(chart.legend()->markers(measured).front()->isVisible());
    EXPECT_TRUE(chart.title().contains(QStringLiteral("REG後の条件がBIG後の条件＋1Gを超えるため")))
        << chart.title().toStdString();
}

TEST_F(AnalysisWindowTest, ExactLawOfAnAttemptFollowsTheFigures) {
    // Ending at the first BIG: a law quick to work out, so the test stays short.
    makeFrame(6);
    chooseAttempts("0", "0");
    runFor(40, [&](int yields) {
        if (yields == 1) {
            trigger("actAnalysis");
        }
    });
    analysis().waitForLaw();
    ASSERT_NE(analysis().law(), nullptr);
    const OutcomeLaw law = solveOutcomeLaw(0, {0.0, 0});
    showTab<RunFiguresTab>();
    EXPECT_EQ(figureCell("勝ち越す確率", FiguresPanel::ExactColumn),
              fixed(100 * law.pAhead, 2, "", "%"));
    // The median and the 10% point of an attempt's net: exact, the smallest net whose chance
    // summed from below reaches the share; measured, the same among the logged attempts.
    std::vector<std::int64_t> nets;
    for (int row = 1; row < form().grid().rows(); ++row) {
        nets.push_back(std::stoll(form().grid().cellText(row, 2)));
    }
    std::sort(nets.begin(), nets.end());
    for (const auto& [label, q] : {std::pair{"差枚の50%点", 0.5}, std::pair{"差枚の10%点", 0.1}}) {
        double below = 0;
        std::size_t i = 0;
        while (below + law.net.chance[i] < q - 1e-12) {
            below += law.net.chance[i++];
        }
        // Whole coins, written whole.
        EXPECT_EQ(figureCell(label, FiguresPanel::ExactColumn),
                  fixed(static_cast<double>(law.net.first + static_cast<std::int64_t>(i)), 0));
        const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(nets.size())));
        EXPECT_EQ(figureCell(label, FiguresPanel::MeasuredColumn),
                  fixed(static_cast<double>(nets[rank - 1]), 0));
        EXPECT_NE(figureCell(label, FiguresPanel::IntervalColumn), "—");
    }
    // Over the histogram of the attempts' net coins: the counts the law leads one to expect,
    // adding up to the attempts played.
    showTab<SlumpPanel>();
    const auto attempts = static_cast<double>(analysis().feed().attemptTally().attempts());
    ASSERT_GT(attempts, 50);
    EXPECT_NEAR(stepHeights(analysis().tab<SlumpPanel>().exactSpreadLine()), attempts,
                1e-6 * attempts);
    // The measured histogram's empty bins drop below the axis, out of the plot.
    const CountHistogram& spread = analysis().feed().attemptTally().netPerAttempt();
    const QList<QPointF> drawn = analysis().tab<SlumpPanel>().spreadLine().points();
    ASSERT_EQ(drawn.size(), 2 * static_cast<qsizetype>(spread.counts().size()) + 2);
    for (std::size_t bin = 0; bin < spread.counts().size(); ++bin) {
        const double top = drawn[1 + 2 * static_cast<qsizetype>(bin)].y();
        EXPECT_EQ(top < 0, spread.counts()[bin] == 0) << bin;
        EXPECT_EQ(std::max(top, 0.0), static_cast<double>(spread.counts()[bin])) << bin;
    }
}

TEST_F(AnalysisWindowTest, ALongRegEndShowsTheHeadOfItsLaw) {
    // 設定１ 0/2: a REG end above the BIG end + 1, with no whole law. The chance to end ahead
    // and the points typed from `korvale-batch exact --laws --setting 1 --big-end 0 --reg-end 2`
    // (0.6203985961801701, 112, -537); the slump graph has no law to draw.
    makeFrame(6);
    chooseAttempts("0", "2");
    runFor(40, [&](int yields) {
        if (yields == 1) {
            trigger("actAnalysis");
        }
    });
    analysis().waitForLaw();
    EXPECT_EQ(analysis().law(), nullptr);
    showTab<RunFiguresTab>();
    EXPECT_EQ(figureCell("勝ち越す確率", FiguresPanel::ExactColumn), "62.04%");
    EXPECT_EQ(figureCell("差枚の50%点", FiguresPanel::ExactColumn), "112");
    EXPECT_EQ(figureCell("差枚の10%点", FiguresPanel::ExactColumn), "-537");
    analysis().refreshNow();
    EXPECT_NE(
        analysis().tab<RunFiguresTab>().status().text().toStdString().find("のみ求めています"),
        std::string::npos);
}

TEST_F(AnalysisWindowTest, ExactFiguresAreThoseOfTheRunOnShow) {
    // 0/50 is long to work out: its work must be called off for the next run's. The figures of
    // 300/100 at 設定１ typed from `korvale-batch exact --setting 1 --big-end 300 --reg-end 100
    // --laws` (727.602, 2.96585, 105.712%, 40.5436%) as the table rounds them; those of 0/50
    // that must never show beside it: 283.389 games, 1.04681 BIGs,
    // 100.768%.
    const ExactSetup wanted{true, 0, {300.0, 100}, {}};
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"一回あたりのプレイ数", "727.6"},
        {"一回あたりのBIG数", "2.966"},
        {"機械割", "105.71%"},
        {"勝ち越す確率", "40.54%"}};
    const double expectedNet = 124.677;
    const auto status = [this] {
        return analysis().tab<RunFiguresTab>().status().text().toStdString();
    };

    makeFrame(8);
    trigger("actAnalysis");
    chooseAttempts("0", "50");
    std::string firstStatus;
    bool firstPending = false;
    runFor(6, [&](int yields) {
        if (yields == 2) {
            analysis().refreshNow();
            firstStatus = status();
            firstPending = analysis().exactPending();
        }
    });
    // 0/50 has no whole law but the head of its net's, worked out after the figures.
    EXPECT_EQ(firstStatus.find("＋1G以下"), std::string::npos) << firstStatus;
    EXPECT_TRUE(firstStatus.find("計算中") != std::string::npos ||
                firstStatus.find("のみ求めています") != std::string::npos)
        << firstStatus;
    EXPECT_TRUE(!firstPending || firstStatus.find("理論値を計算中") != std::string::npos)
        << firstStatus;

    chooseAttempts("300", "100");
    std::set<std::string> statuses;
    const ExactFigures* atStart = nullptr;
    runFor(6, [&](int yields) {
        if (yields == 1) {
            atStart = analysis().exact();
        }
    });
    EXPECT_TRUE(atStart == nullptr || atStart->setup == wanted);
    // Until the figures are in, the tab says how far the work is.
    while (analysis().exactPending() || analysis().lawPending()) {
        analysis().refreshNow();
        statuses.insert(status());
        QTest::qWait(20);
    }
    EXPECT_TRUE(std::any_of(statuses.begin(), statuses.end(), [](const std::string& said) {
        return said.find("計算中… ") != std::string::npos && said.back() == '%';
    })) << statuses.size();

    // Shown after that run, after a further one and in the window opened again.
    for (const int pass : {0, 1, 2}) {
        SCOPED_TRACE(pass);
        if (pass == 1) {
            runFor(4);
        } else if (pass == 2) {
            analysis().close();
            trigger("actAnalysis");
        }
        analysis().waitForLaw();
        ASSERT_NE(analysis().exact(), nullptr);
        EXPECT_TRUE(analysis().exact()->setup == wanted);
        ASSERT_NE(analysis().law(), nullptr);
        EXPECT_EQ(analysis().law()->end.bigEnd, 300.0);
        EXPECT_EQ(analysis().law()->end.regEnd, 100);
        showTab<RunFiguresTab>();
        for (const auto& [label, value] : expected) {
            EXPECT_EQ(figureCell(label, FiguresPanel::ExactColumn), value) << label;
        }
        // The slump graph's expected line rises by the expected net coins of an attempt.
        showTab<SlumpPanel>();
        const QLineSeries* line = nullptr;
        for (QAbstractSeries* series :
             analysis().tab<SlumpPanel>().findChild<QChartView*>()->chart()->series()) {
            if (series->name() == QStringLiteral("理論値（期待値）")) {
                line = qobject_cast<QLineSeries*>(series);
            }
        }
        ASSERT_NE(line, nullptr);
        ASSERT_EQ(line->count(), 2);
        const QPointF end = line->at(1) - line->at(0);
        EXPECT_NEAR(end.y() / end.x(), expectedNet, 5e-4);
    }
}

// The hall's rates in the 理論値 tab: from stored coins the yen of 300/100 at 設定１ are its net
// exchanged, typed from `korvale-batch exact --setting 1 --big-end 300 --reg-end 100 --exchange
// X`: ¥2493.55 at 5, ¥2226.38 and ¥2447.91 an hour at 5.6; 0.9095 hours at 800 games an hour.
// From cash the yen come from a seeded simulation of the rule, the attempts `exact --pay cash
// --seed 1 --threads 1` plays: typed from `... --exchange 5.6 --pay cash --seed 1 --threads 1`.
// The rates outlast the window.
TEST_F(AnalysisWindowTest, TheHallsRatesGiveTheYenOfAnAttempt) {
    makeFrame(8);
    trigger("actAnalysis");
    chooseAttempts("300", "100");
    runFor(4);
    analysis().waitForExact();
    showTab<RunFiguresTab>();
    const auto yen = [this](const char* label, FiguresPanel::Column column) {
        std::string text = figureCell(label, column);
        text.erase(std::remove(text.begin(), text.end(), ','), text.end());
        return text;
    };
    EXPECT_EQ(yen("一回あたりの収支（円）", FiguresPanel::ExactColumn), "2494");
    EXPECT_EQ(figureCell("一回あたりの時間", FiguresPanel::ExactColumn), "0.91");
    analysis().hallRatesPanel().exchange().setValue(5.6);
    EXPECT_EQ(yen("一回あたりの収支（円）", FiguresPanel::ExactColumn), "2226");
    EXPECT_EQ(yen("時給（円）", FiguresPanel::ExactColumn), "2448");
    analysis().hallRatesPanel().pay().setCurrentIndex(1);
    analysis().waitForCash();
    analysis().refreshNow();
    EXPECT_NE(analysis().tab<RunFiguresTab>().status().text().indexOf(QStringLiteral("試行")), -1);
    const QTableWidget& table = analysis().tab<RunFiguresTab>().table();
    for (int row = 0; row < table.rowCount(); ++row) {
        EXPECT_NE(table.item(row, FiguresPanel::LabelColumn)->text(),
                  QStringLiteral("一回あたりの収支（円）"));
    }
    EXPECT_EQ(yen("一回あたりの収支（円）（試行）", FiguresPanel::MeasuredColumn), "1250");
    EXPECT_EQ(yen("一回あたりの投資（円）（試行）", FiguresPanel::MeasuredColumn), "9116");
    EXPECT_EQ(yen("時給（円）（試行）", FiguresPanel::MeasuredColumn), "1374");
    EXPECT_EQ(yen("最も沈んだ差枚の90%点（試行）", FiguresPanel::MeasuredColumn), "961");
    analysis().close();
    trigger("actAnalysis");
    EXPECT_EQ(analysis().hallRatesPanel().rates().exchange, 5.6);
    EXPECT_EQ(analysis().hallRatesPanel().rates().pay, CoinSource::Cash);
    analysis().hallRatesPanel().pay().setCurrentIndex(0);
    analysis().hallRatesPanel().exchange().setValue(5.0);
}

TEST_F(AnalysisWindowTest, EveryTabNamesTheSetupOfItsFigures) {
    runFor(4);
    trigger("actAnalysis");
    const auto heading = [this] { return analysis().heading().text().toStdString(); };
    EXPECT_EQ(heading(), "表示中の結果：設定１・通常（終了条件なし）");
    // Another choice in the main window, no Start: the figures stay those of the run, and the
    // heading says the choice is shown at the next Start, its end conditions as the run would
    // read them ("abc" is 0, 0.5 rounds to 0).
    form().findChild<QComboBox*>("cmbSettei")->setCurrentIndex(5);
    chooseAttempts("abc", "0.5");
    for (const char* tab : runTabs) {
        showTab(tab);
        EXPECT_EQ(heading(),
                  "表示中の結果：設定１・通常（終了条件なし）\nメイン画面で選んだ設定６・特別"
                  "（BIG後0G以上・REG後0G以上で終了）は、スタートすると表示します。")
            << tab;
    }
    chooseAttempts("300.5", "100");
    runFor(3);
    showTab<RunFiguresTab>();
    EXPECT_EQ(heading(), "表示中の結果：設定６・特別（BIG後300.5G以上・REG後100G以上で終了）");
}

TEST(ExactLawFailureTest, NamesTheRealCause) {
    // The cause each kind names, as typed for the window; the REG-end rule only for its own.
    const struct {
        StatusReason kind;
        const char* named;
    } cases[] = {{StatusReason::LawNotCovered, "＋1G以下"},
                 {StatusReason::EndBeyondTables, "BIG後は2000Gまで、REG後は1000Gまで"},
                 {StatusReason::AttemptsTooLong, "長すぎて"},
                 {StatusReason::NoSolution, "有限の解"}};
    for (const auto& c : cases) {
        const std::string said = lawFailure(Status(c.kind, "x")).toStdString();
        EXPECT_NE(said.find(c.named), std::string::npos) << said;
        EXPECT_EQ(said.find("＋1G以下") != std::string::npos, c.kind == StatusReason::LawNotCovered)
            << said;
    }
    // A BIG end beyond the tables with no REG end: the law is not covered, but not for the REG
    // end, as the window says at once.
    const ExactLaw law = solveExactLaw(exactSetupOf(RunSetup{true, true, 0, "2500", "0"}));
    EXPECT_EQ(law.law, nullptr);
    EXPECT_NE(law.failure.toStdString().find("2000G"), std::string::npos)
        << law.failure.toStdString();
    EXPECT_EQ(law.failure.toStdString().find("＋1G以下"), std::string::npos);
}

TEST_F(AnalysisWindowTest, LivePosteriorIsTheEngineFedTheSameBonuses) {
    form().findChild<QComboBox*>("cmbSettei")->setCurrentIndex(5);
    runFor(10, [this](int yields) {
        if (yields == 4) {
            trigger("actAnalysis");
            showTab<RunFiguresTab>();  // the posterior is worked out only once its tab is on show
        }
    });
    analysis().waitForExact();  // the estimator is made with the exact figures
    showTab<PosteriorPanel>();
    const std::optional<SettingEstimate>& shown = analysis().tab<PosteriorPanel>().estimate();
    ASSERT_TRUE(shown.has_value());
    // The engine fed the grid's kinds and games (not its modes), from the morning.
    SettingFilter filter(HistoryStart::Morning);
    const ResultsGrid& grid = form().grid();
    for (int row = 1; row < grid.rows(); ++row) {
        filter.addBonus(grid.cellText(row, 0) == "BIG" ? BonusKind::Big : BonusKind::Reg,
                        std::stoi(grid.cellText(row, 1)));
    }
    ASSERT_GT(filter.bigs(), 20);
    const std::int64_t games = std::stoll(text(Box::Text1));
    const SettingEstimate expected =
        SettingEstimator(machineModels())
            .estimate(filter, static_cast<std::int32_t>(games - filter.games()))
            .value();
    EXPECT_EQ(shown->posterior, expected.posterior);
    EXPECT_EQ(shown->countOnlyPosterior, expected.countOnlyPosterior);
    EXPECT_EQ(shown->expectedNet, expected.expectedNet);
    EXPECT_EQ(shown->games, games);
    const QTableWidget& table = analysis().tab<PosteriorPanel>().table();
    for (int setting = 0; setting < 6; ++setting) {
        EXPECT_EQ(table.item(setting, PosteriorPanel::TrueColumn)->text().isEmpty(), setting != 5);
    }
}

TEST_F(AnalysisWindowTest, PastedHistoryGivesTheEnginesPosterior) {
    trigger("actAnalysis");
    HistoryPosterior& input = analysis().tab<PosteriorPanel>().history();
    // Full-width digits and a REG, joined during the day, 40 games since the last bonus.
    input.historyText().setPlainText(QStringLiteral("BIG 120\nREG ４５\nBIG 7\nBIG 610\n"));
    input.joinedOption().setChecked(true);
    input.trailingGames().setValue(40);
    input.compute();
    ASSERT_TRUE(input.estimate().has_value());
    SettingFilter filter(HistoryStart::Joined);
    for (const auto& [kind, games] :
         std::vector<std::pair<BonusKind, int>>{{BonusKind::Big, 120},
                                                {BonusKind::Reg, 45},
                                                {BonusKind::Big, 7},
                                                {BonusKind::Big, 610}}) {
        filter.addBonus(kind, games);
    }
    const SettingEstimate expected = SettingEstimator(machineModels()).estimate(filter, 40).value();
    EXPECT_EQ(input.estimate()->posterior, expected.posterior);
    EXPECT_EQ(input.estimate()->expectedNet, expected.expectedNet);
    EXPECT_EQ(input.estimate()->games, 120 + 45 + 7 + 610 + 40);
    // Laid out as the live run's table, with the same summary line.
    const QTableWidget& table = input.table();
    ASSERT_EQ(table.rowCount(), 6);
    for (int s = 0; s < 6; ++s) {
        const auto i = static_cast<std::size_t>(s);
        EXPECT_EQ(table.item(s, 0)->text(), QStringLiteral("設定") + QChar(0xFF11 + s));
        EXPECT_EQ(table.item(s, 1)->text().toStdString(),
                  fixed(100 * expected.posterior[i], 2, "", "%"));
        EXPECT_EQ(table.item(s, 2)->text().toStdString(),
                  fixed(100 * expected.countOnlyPosterior[i], 2, "", "%"));
    }
    const std::string result = input.result().text().toStdString();
    for (const std::string& part :
         {std::string("4ボーナス（BIG 3回　REG 1回）・プレイ数 822G"),
          "P(設定４以上) " + fixed(100 * expected.atLeast4, 2, "", "%"),
          "P(設定５以上) " + fixed(100 * expected.atLeast5, 2, "", "%")}) {
        EXPECT_NE(result.find(part), std::string::npos) << result << " / " << part;
    }

    // A line that does not read is named, and nothing is estimated.
    input.historyText().setPlainText(QStringLiteral("BIG 120\nBIG zero\n"));
    input.compute();
    EXPECT_FALSE(input.estimate().has_value());
    EXPECT_TRUE(input.result().text().contains(QStringLiteral("2行目")))
        << input.result().text().toStdString();
    EXPECT_TRUE(input.table().isHidden());
}

TEST_F(AnalysisWindowTest, SavesTheGraphOnShowAsPng) {
    runFor(6);
    QTemporaryDir directory;
    chosenFile = directory.filePath("graph.png");
    trigger("actSavePng");  // the analysis window is not open: no graph on show
    ASSERT_EQ(messages.size(), 1u);
    trigger("actAnalysis");
    showTab<RunFiguresTab>();  // figures: no graph either
    trigger("actSavePng");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_FALSE(QFile::exists(chosenFile));
    // Every tab with a graph saves it: the graph tabs whole, the others their graph alone.
    const std::pair<const char*, QWidget*> graphs[] = {
        {"スランプグラフ", &analysis().tab<SlumpPanel>()},
        {"ハマり分布", &analysis().tab<DroughtPanel>()},
        {"ヤメ時", &analysis().tab<QuitRulePanel>().graphView()},
        {"狙い目", &analysis().tab<AimPanel>().graphView()},
        {"一日の収支", &analysis().tab<DayPanel>().graphView()}};
    for (const auto& [tab, shown] : graphs) {
        SCOPED_TRACE(tab);
        showTab(tab);
        trigger("actSavePng");
        EXPECT_EQ(messages.size(), 2u);
        const QImage saved(chosenFile, "PNG");
        ASSERT_FALSE(saved.isNull());
        // The graph, under a band that says which run it is from.
        const QSize graph = shown->size();
        EXPECT_GT(graph.height(), 100);
        EXPECT_EQ(saved.width(), graph.width());
        EXPECT_GT(saved.height(), graph.height() + 8);
        EXPECT_LT(saved.height(), graph.height() + 60);
        QFile::remove(chosenFile);
    }
}

}  // namespace
}  // namespace korvale::testing
