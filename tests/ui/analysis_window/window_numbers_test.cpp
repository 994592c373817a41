// How the analysis window writes numbers: grouped, with the decimals of each kind of figure,
// percentages one way, axes ticked at round values, and a saved graph's caption.

#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QDateTime>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include "tests/ui/window_fixture.h"
#include "ui/analysis_window/chart_parts.h"
#include "ui/analysis_window/drought_panel.h"
#include "ui/analysis_window/figures_panel.h"
#include "ui/analysis_window/setup_caption.h"
#include "ui/analysis_window/window_numbers.h"
#include "ui/frame/graph_picture.h"

namespace korvale::testing {
namespace {

TEST(WindowNumbersTest, FiguresAreGroupedWithTheirUnitsDecimals) {
    struct Case {
        Unit unit;
        std::optional<double> value;
        const char* text;
    };
    const Case cases[] = {
        {Unit::Count, 715827882.0, "715,827,882"},
        {Unit::Count, -1234.0, "-1,234"},
        {Unit::Count, 999.0, "999"},
        {Unit::Coins, -1234.56, "-1,234.6"},
        {Unit::Coins, -0.04, "0.0"},  // never "-0.0"
        {Unit::Games, 727.64, "727.6"},
        {Unit::OneIn, 287.3449, "1/287.34"},
        {Unit::OneIn, 1234.5, "1/1,234.50"},
        {Unit::Percent, 104.1149, "104.11%"},
        {Unit::Share, 0.123456, "12.35%"},
        {Unit::Share, 1.0, "100.00%"},
        {Unit::Number, 2.9661, "2.966"},
        {Unit::Share, std::nullopt, "—"},
        {Unit::Coins, std::numeric_limits<double>::infinity(), "—"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(figureCell(c.unit, c.value).toStdString(), c.text) << c.text;
    }
    EXPECT_EQ(percentText(0.5).toStdString(), "50.00%");

    // A row of coins whose every figure is whole is written whole; one fraction anywhere in it
    // gives the whole row the unit's decimal, and other units keep theirs.
    struct Row {
        Unit unit;
        std::initializer_list<std::optional<double>> figures;
        int decimals;
    };
    const Row rows[] = {
        {Unit::Coins, {-117.0, -112.0, std::nullopt, std::nullopt}, 0},
        {Unit::Coins, {std::nullopt, -11785718.0}, 0},
        {Unit::Coins, {124.677, 125.0, 80.0, 170.0}, 1},
        {Unit::Coins, {-117.0, std::nullopt, -120.5, -110.0}, 1},
        {Unit::Games, {727.0, 700.0}, 1},
        {Unit::Share, {1.0, 0.0}, 2},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(rowDecimals(row.unit, row.figures), row.decimals);
    }
    EXPECT_EQ(figureCell(Unit::Coins, -11785718.0, 0).toStdString(), "-11,785,718");
    EXPECT_EQ(percentText(0.98765, 1).toStdString(), "98.8%");
}

TEST(WindowNumbersTest, AxesTickAtRoundValues) {
    struct Case {
        double low, high;
        AxisTicks ticks;
    };
    const Case cases[] = {
        {0, 1994000, {0, 2000000, 500000}},
        {-3120, 5680, {-4000, 6000, 2000}},
        {0, 1, {0, 1, 0.2}},
        {0, 1600, {0, 2000, 500}},  // 1600 / 6 rounds up to steps of 500, and the end with it
        {5, 5, {5, 6, 0.2}},        // an empty range is widened by one
    };
    for (const Case& c : cases) {
        const AxisTicks ticks = roundTicks(c.low, c.high);
        EXPECT_NEAR(ticks.low, c.ticks.low, 1e-9) << c.high;
        EXPECT_NEAR(ticks.high, c.ticks.high, 1e-9) << c.high;
        EXPECT_NEAR(ticks.step, c.ticks.step, 1e-9) << c.high;
    }
    EXPECT_EQ(tickLabel(1500000, 500000).toStdString(), "1,500,000");
    EXPECT_EQ(tickLabel(0.4, 0.2).toStdString(), "0.4");
    EXPECT_EQ(tickLabel(-0.0, 0.05).toStdString(), "0.00");

    // A graph's axis shows those ticks' labels, and keeps them while the ticks stay.
    QWidget parent;
    const Graph graph = makeGraph("t", "x", "y", &parent);
    fitAxis(graph.xAxis, 0, 1994000, true);
    EXPECT_EQ(graph.xAxis->categoriesLabels(),
              (QStringList{"0", "500,000", "1,000,000", "1,500,000", "2,000,000"}));
    EXPECT_EQ(graph.xAxis->endValue("2,000,000"), 2000000);
    fitAxis(graph.yAxis, -3120, 5680, true);
    EXPECT_EQ(graph.yAxis->categoriesLabels(),
              (QStringList{"-4,000", "-2,000", "0", "2,000", "4,000", "6,000"}));
    fitAxis(graph.yAxis, 300, 900, true);  // 0 stays in view
    EXPECT_EQ(graph.yAxis->min(), 0);
    EXPECT_EQ(graph.yAxis->max(), 1000);
}

TEST(WindowNumbersTest, EndGamesAsTyped) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {300.5, "300.5"},
        {1500, "1,500"},
        {-2500, "-2,500"},
        {99999999999, "99,999,999,999"},
        {999999999999999, "999,999,999,999,999"},
        {1e15, "1×10¹⁵"},
        {1.234e20, "1.23×10²⁰"},
        {9.999e20, "1×10²¹"},
    };
    for (const auto& [games, shown] : cases) {
        EXPECT_EQ(endGamesText(games).toStdString(), shown) << games;
    }
}

// Intervals held jointly: the normal quantiles from the table, and each judged row widened
// about its measured value by z(0.05 / k) / z(0.05); a row that cannot miss is not judged.
TEST(WindowNumbersTest, IntervalsHeldJointly) {
    for (const auto& [tail, z] : std::vector<std::pair<double, double>>{
             {0.05, 1.959964}, {0.025, 2.241403}, {0.01, 2.575829}, {0.001, 3.290527}}) {
        EXPECT_NEAR(normalTwoSided(tail), z, 1e-6) << tail;
    }
    std::vector<FigureRow> rows = {
        {"a", Unit::Number, 9.0, 10.0, {true, 8.0, 13.0}},
        {"b", Unit::Share, 0.7, 0.5, {true, 0.4, 0.6}},
        {"a point", Unit::Number, 5.0, 5.0, {true, 5.0, 5.0}},
        {"no exact", Unit::Number, std::nullopt, 3.0, {true, 2.0, 4.0}},
    };
    ASSERT_EQ(widenJointly(rows), 2);
    const double scale = 2.241403 / 1.959964;
    const std::pair<double, double> widened[] = {
        {10 - 2 * scale, 10 + 3 * scale}, {0.5 - 0.1 * scale, 0.5 + 0.1 * scale}, {5, 5}, {2, 4}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(rows[i].ci95.low, widened[i].first, 1e-5) << rows[i].label;
        EXPECT_NEAR(rows[i].ci95.high, widened[i].second, 1e-5) << rows[i].label;
    }
    EXPECT_NEAR(jointLevel(13), 1 - 0.05 / 13, 1e-12);
}

// A column whose every value is "—" keeps the room its heading needs, on show or not yet.
TEST(WindowNumbersTest, AColumnOfDashesKeepsItsHeading) {
    for (const bool shownFirst : {false, true}) {
        SCOPED_TRACE(shownFirst);
        FiguresPanel panel;
        if (shownFirst) {
            panel.resize(600, 400);
            panel.QWidget::show();
        }
        panel.show({{"差枚", Unit::Coins, std::nullopt, std::nullopt, {}},
                    {"勝ち越す確率", Unit::Share, std::nullopt, std::nullopt, {}}},
                   QString(), false);
        QApplication::processEvents();
        const QTableWidget& table = panel.table();
        const QFontMetrics metrics(table.horizontalHeader()->font());
        for (int column = 0; column < table.columnCount(); ++column) {
            const QString heading = table.horizontalHeaderItem(column)->text();
            EXPECT_GE(table.columnWidth(column), metrics.horizontalAdvance(heading) + 6)
                << heading.toStdString();
        }
    }
}

// ハマり分布's logarithmic share axis labels every power of ten it shows, its lowest included.
TEST(WindowNumbersTest, TheLogarithmicAxisLabelsItsLowestTick) {
    DroughtPanel panel;
    panel.resize(640, 520);
    panel.show();
    for (int i = 0; i < 4; ++i) {
        QTest::qWait(10);
    }
    QStringList drawn;
    for (const QChartView* view : panel.findChildren<QChartView*>()) {
        for (const QGraphicsItem* item : view->scene()->items()) {
            if (const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(item);
                text != nullptr && text->isVisible()) {
                drawn.append(text->toPlainText());
            }
        }
    }
    for (const char* tick : {"0.001", "0.01", "0.1", "1", "10", "100"}) {
        EXPECT_TRUE(drawn.contains(QString::fromUtf8(tick))) << tick;
    }
}

TEST(WindowNumbersTest, ASavedGraphSaysWhichRunItIsFrom) {
    const QDateTime when(QDate(2026, 12, 8), QTime(15, 50));
    EXPECT_EQ(graphCaption(RunSetup{true, false, 3, "300", "100"}, when).toStdString(),
              "設定４・通常（終了条件なし）・2026-12-08 15:50");
    // The end conditions as the run read them: 0.5 games rounds to 0, halves to even.
    EXPECT_EQ(graphCaption(RunSetup{true, true, 0, "300.5", "0.5"}, when).toStdString(),
              "設定１・特別（BIG後300.5G以上・REG後0G以上で終了）・2026-12-08 15:50");
    EXPECT_EQ(graphCaption(RunSetup{true, true, 5, "abc", "2.5"}, when).toStdString(),
              "設定６・特別（BIG後0G以上・REG後2G以上で終了）・2026-12-08 15:50");
    // A hundred typed digits stay short; a REG end past 32 bits, which the run refuses, is named.
    EXPECT_EQ(
        graphCaption(RunSetup{true, true, 0, "1" + std::string(100, '0'), "99999999999"}, when)
            .toStdString(),
        "設定１・特別（BIG後1×10¹⁰⁰G以上・REG後は読めない値で終了）・2026-12-08 15:50");
    // Eleven digits as typed, not "1e+11" (which is not even the number typed).
    EXPECT_EQ(graphCaption(RunSetup{true, true, 0, "99999999999", "1500"}, when).toStdString(),
              "設定１・特別（BIG後99,999,999,999G以上・REG後1,500G以上で終了）・2026-12-08 15:50");

    // The caption sits in a band above the graph, which is drawn as it is below it.
    QLabel graph(QStringLiteral("グラフ"));
    graph.resize(300, 120);
    graph.setStyleSheet("background: rgb(10, 200, 30)");
    const QImage picture = captionedPicture(graph, QStringLiteral("設定１・通常"));
    ASSERT_EQ(picture.width(), 300);
    const int band = picture.height() - 120;
    EXPECT_GT(band, 8);
    EXPECT_EQ(picture.pixelColor(299, band + 119), QColor(10, 200, 30));
    EXPECT_EQ(picture.pixelColor(299, 0), QColor(Qt::white));
    bool written = false;  // some of the band's pixels are the caption's
    for (int x = 0; x < 150 && !written; ++x) {
        for (int y = 0; y < band && !written; ++y) {
            written = picture.pixelColor(x, y) != QColor(Qt::white);
        }
    }
    EXPECT_TRUE(written);
}

}  // namespace
}  // namespace korvale::testing
