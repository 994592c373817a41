#include "ui/analysis_window/slump_panel.h"

#include <QLegendMarker>
#include <QVBoxLayout>
#include <algorithm>

namespace korvale {

SlumpPanel::SlumpPanel(QWidget* parent) : QWidget(parent) {
    netGraph_ = makeGraph(QStringLiteral("スランプグラフ"), QStringLiteral("プレイ数 (G)"),
                          QStringLiteral("差枚 (枚)"), this);
    zero_ = addLine(netGraph_, QStringLiteral("0"), Qt::gray, LineKind::Guide);
    net_ = addLine(netGraph_, QStringLiteral("実測"), QColor(0x1f, 0x5f, 0xbf), LineKind::Measured);
    expected_ = addLine(netGraph_, QStringLiteral("理論値（期待値）"), QColor(0x10, 0x70, 0x10),
                        LineKind::Exact);
    netGraph_.chart->legend()->markers(zero_).front()->setVisible(false);

    spreadGraph_ =
        makeGraph(QStringLiteral("一回の立ち回りの差枚の分布"),
                  QStringLiteral("一回の差枚 (枚, 100枚ごと)"), QStringLiteral("回数 (回)"), this);
    spreadZero_ = addLine(spreadGraph_, QStringLiteral("0"), Qt::gray, LineKind::Guide);
    spread_ =
        addLine(spreadGraph_, QStringLiteral("実測"), QColor(0xd0, 0x50, 0x20), LineKind::Measured);
    exactSpread_ = addLine(spreadGraph_, QStringLiteral("理論値（分布）"), QColor(0x10, 0x60, 0x10),
                           LineKind::Exact);
    spreadGraph_.chart->legend()->markers(spreadZero_).front()->setVisible(false);

    // An attempt run shows both graphs, each with half the height: the histogram's bins need
    // the room as much as the curve.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(netGraph_.view, 1);
    layout->addWidget(spreadGraph_.view, 1);
}

void SlumpPanel::redraw(const RunFeed& feed, std::optional<double> expectedPerStep,
                        std::shared_ptr<const OutcomeLaw> law, const QString& noLaw) {
    const bool attempts = feed.attempts();
    spreadGraph_.view->setVisible(attempts);
    const MinMaxEnvelope& envelope =
        attempts ? feed.attemptTally().slump() : feed.modeTally().slump();
    netGraph_.chart->setTitle(attempts ? QStringLiteral("スランプグラフ（立ち回りの累計差枚）")
                                       : QStringLiteral("スランプグラフ（ボーナスごとの差枚）"));
    netGraph_.xAxis->setTitleText(attempts ? QStringLiteral("挑戦回数 (回)")
                                           : QStringLiteral("プレイ数 (G)"));
    drawEnvelope(net_, envelope, plotColumns(netGraph_));
    const double lastX = std::max<double>(1.0, static_cast<double>(envelope.lastX()));
    fitAxis(netGraph_.xAxis, 0.0, lastX, true);
    const double expectedEnd = expectedPerStep.value_or(0.0) * lastX;
    fitAxis(netGraph_.yAxis, std::min(envelope.lowest(), expectedEnd),
            std::max(envelope.highest(), expectedEnd), true);
    if (expectedPerStep) {
        expected_->replace({QPointF(0, 0), QPointF(lastX, expectedEnd)});
    } else {
        expected_->clear();
    }
    zero_->replace({QPointF(netGraph_.xAxis->min(), 0), QPointF(netGraph_.xAxis->max(), 0)});

    if (!attempts) {
        return;
    }
    const CountHistogram& spread = feed.attemptTally().netPerAttempt();
    std::int64_t most = 0;
    for (const std::int64_t count : spread.counts()) {
        most = std::max(most, count);
    }
    // Empty bins drop below the axis (as far as it is high), out of the plot, rather than
    // along its floor.
    drawSteps(spread_, spread, 1.0, -static_cast<double>(std::max<std::int64_t>(most, 1)));
    if (law != binnedFrom_) {
        binnedFrom_ = law;
        binned_ = law ? binLaw(law->net.first, law->net.chance, spread.binWidth()) : BinnedLaw{};
    }
    if (law && spread.total() > 0) {
        drawSteps(exactSpread_, binned_, static_cast<double>(spread.total()));
    } else {
        exactSpread_->clear();
    }
    // No exact curve: no legend entry for one, and the title says why.
    const bool exactDrawn = exactSpread_->count() > 0;
    spreadGraph_.chart->legend()->markers(exactSpread_).front()->setVisible(exactDrawn);
    QString title = QStringLiteral("一回の立ち回りの差枚の分布");
    if (!law && !noLaw.isEmpty()) {
        title += QStringLiteral("<br><small>") + noLaw.toHtmlEscaped() + QStringLiteral("</small>");
    }
    if (spreadGraph_.chart->title() != title) {
        spreadGraph_.chart->setTitle(title);
    }
    // The middle 98% of the attempts: the long right tail (the 1% that win most) would squeeze
    // the rest.
    double first = static_cast<double>(spread.firstBinStart());
    double last = first;
    std::int64_t seen = 0;
    for (const std::int64_t count : spread.counts()) {
        if (static_cast<double>(seen) < 0.01 * static_cast<double>(spread.total())) {
            first = last;
        }
        seen += count;
        last += static_cast<double>(spread.binWidth());
        if (static_cast<double>(seen) >= 0.99 * static_cast<double>(spread.total())) {
            break;
        }
    }
    fitAxis(spreadGraph_.xAxis, first, last, true);
    fitAxis(spreadGraph_.yAxis, 0.0, static_cast<double>(std::max<std::int64_t>(most, 1)), true);
    spreadZero_->replace(
        {QPointF(0, spreadGraph_.yAxis->min()), QPointF(0, spreadGraph_.yAxis->max())});
}

}  // namespace korvale
