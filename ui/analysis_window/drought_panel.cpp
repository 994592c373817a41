#include "ui/analysis_window/drought_panel.h"

#include <QHeaderView>
#include <QLegendMarker>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

// The lowest share the scale shows, in percent.
constexpr double smallestShare = 0.001;
// Where an empty bin's outline drops to: far below the scale, so that it leaves the plot
// rather than drawing a line along its floor.
constexpr double belowScale = smallestShare / 1000;
// The machine's ceiling: no BIG gap in the long run is expected past it but rarely.
constexpr double ceilingGames = 1500;

QString percent(std::int64_t part, std::int64_t whole) {
    if (whole == 0) {
        return QStringLiteral("—");
    }
    return percentText(static_cast<double>(part) / static_cast<double>(whole));
}

// The end of the last bin of a law that the scale shows.
double lastShownBinEnd(const QLineSeries& line) {
    const QList<QPointF> points = line.points();
    return points.isEmpty() ? 0.0 : points.back().x();
}

double highestShare(const CountHistogram& histogram) {
    std::int64_t most = 0;
    for (const std::int64_t count : histogram.counts()) {
        most = std::max(most, count);
    }
    return histogram.total() == 0
               ? 0.0
               : 100.0 * static_cast<double>(most) / static_cast<double>(histogram.total());
}

}  // namespace

DroughtPanel::DroughtPanel(QWidget* parent) : QWidget(parent) {
    // A logarithmic scale: the short gaps and the tail past the 1500-game ceiling both show.
    // The ceiling is named in the title, not the legend: the legend keeps its room for telling
    // what was measured from the exact laws.
    graph_ = makeGraph(QStringLiteral("ハマり分布（20Gごとの割合・点線は天井1500G）"),
                       QStringLiteral("ゲーム数 (G)"), QStringLiteral("割合 (%)"), this, true);
    // A hair below the lowest tick: Qt finds the first tick as 10^ceil(log10(min)), and
    // log10(0.001) is a little above -3 in doubles, so that 0.001 would go unlabelled.
    graph_.logAxis->setRange(smallestShare * (1 - 1e-9), 100.0);
    ceiling_ =
        addLine(graph_, QStringLiteral("天井 1500G"), QColor(0x60, 0x60, 0x60), LineKind::Guide);
    graph_.chart->legend()->markers(ceiling_).front()->setVisible(false);
    bigGaps_ =
        addLine(graph_, QStringLiteral("BIG間"), QColor(0xe0, 0x60, 0x60), LineKind::Measured);
    bonusGaps_ =
        addLine(graph_, QStringLiteral("ボーナス間"), QColor(0x50, 0x90, 0xe0), LineKind::Measured);
    // The exact laws dark and on top: the measurement shows around them where they differ.
    exactBigGaps_ = addLine(graph_, QStringLiteral("BIG間（理論値）"), QColor(0x90, 0x00, 0x00),
                            LineKind::Exact);
    exactBonusGaps_ = addLine(graph_, QStringLiteral("ボーナス間（理論値）"),
                              QColor(0x00, 0x30, 0x90), LineKind::Exact);

    table_ = new QTableWidget(static_cast<int>(droughtMarks.size()), 4, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("BIG間"), QStringLiteral("回数"),
                                       QStringLiteral("実測"), QStringLiteral("理論値")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (std::size_t mark = 0; mark < droughtMarks.size(); ++mark) {
        const int row = static_cast<int>(mark);
        table_->setItem(row, 0,
                        new QTableWidgetItem(QStringLiteral("%1G以上").arg(droughtMarks[mark])));
        for (int col = 1; col < 4; ++col) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, col, item);
        }
        table_->item(row, 3)->setText(QStringLiteral("—"));
    }
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           3 * table_->verticalHeader()->defaultSectionSize() + 4);

    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(note_);
    layout->addWidget(graph_.view, 1);
    layout->addWidget(table_);
}

void DroughtPanel::redraw(const RunFeed& feed, std::shared_ptr<const LongRunGaps> exact) {
    if (feed.attempts()) {
        note_->setText(QStringLiteral(
            "ハマり分布は「通常」の実行で記録されるボーナスごとの回転数から求めます。"));
        note_->show();
        graph_.view->hide();
        table_->hide();
        return;
    }
    note_->hide();
    graph_.view->show();
    table_->show();
    const ModeRunTally& tally = feed.modeTally();
    const CountHistogram& big = tally.bigGaps();
    const CountHistogram& bonus = tally.bonusGaps();
    drawExact(exact, big.binWidth(), feed.setup().started);
    drawSteps(bigGaps_, big, big.total() == 0 ? 0.0 : 100.0 / static_cast<double>(big.total()),
              belowScale);
    drawSteps(bonusGaps_, bonus,
              bonus.total() == 0 ? 0.0 : 100.0 / static_cast<double>(bonus.total()), belowScale);
    // Up to the longest gap seen or the exact laws' last shown bin, the ceiling always in view.
    const double shownEnd =
        std::max({lastFilledBinEnd(big), lastFilledBinEnd(bonus), lastShownBinEnd(*exactBigGaps_),
                  lastShownBinEnd(*exactBonusGaps_), ceilingGames + 100});
    fitAxis(graph_.xAxis, 0.0, shownEnd, true);
    graph_.logAxis->setMax(highestShare(big) > 10.0 || highestShare(bonus) > 10.0 ? 100.0 : 10.0);
    ceiling_->replace({QPointF(ceilingGames, smallestShare), QPointF(ceilingGames, 100.0)});
    for (std::size_t mark = 0; mark < droughtMarks.size(); ++mark) {
        const int row = static_cast<int>(mark);
        table_->item(row, 1)->setText(
            groupedNumber(static_cast<double>(tally.bigGapsAtLeast(mark))));
        table_->item(row, 2)->setText(percent(tally.bigGapsAtLeast(mark), tally.bigs()));
    }
}

void DroughtPanel::drawExact(const std::shared_ptr<const LongRunGaps>& exact, std::int64_t binWidth,
                             bool started) {
    if (exact == nullptr) {
        // Being worked out for this run (or no run yet).
        exactBigGaps_->clear();
        exactBonusGaps_->clear();
        for (int row = 0; row < table_->rowCount(); ++row) {
            table_->item(row, 3)->setText(started ? QStringLiteral("計算中…")
                                                  : QStringLiteral("—"));
        }
        drawnExact_ = nullptr;
        return;
    }
    if (exact == drawnExact_) {
        return;  // the exact laws do not change during a run
    }
    drawnExact_ = exact;
    // In the bins of the run's histograms, up to the last bin the scale shows.
    const auto drawLaw = [binWidth](QLineSeries* line, const GapLaw& law) {
        BinnedLaw binned = binLaw(0, law.chance, binWidth);
        while (!binned.chance.empty() && 100.0 * binned.chance.back() < smallestShare) {
            binned.chance.pop_back();
        }
        drawSteps(line, binned, 100.0, belowScale);
    };
    drawLaw(exactBigGaps_, exact->bigGap);
    drawLaw(exactBonusGaps_, exact->bonusGap);
    for (std::size_t mark = 0; mark < droughtMarks.size(); ++mark) {
        table_->item(static_cast<int>(mark), 3)
            ->setText(
                percentText(exact->bigGap.atLeast(static_cast<std::int32_t>(droughtMarks[mark]))));
    }
}

}  // namespace korvale
