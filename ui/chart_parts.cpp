#include "ui/chart_parts.h"

#include <QPen>
#include <algorithm>

namespace korvale {

Graph makeGraph(const QString& title, const QString& xTitle, const QString& yTitle, QWidget* parent,
                bool logarithmic) {
    Graph graph;
    graph.chart = new QChart;
    graph.chart->setTitle(title);
    graph.chart->setAnimationOptions(QChart::NoAnimation);
    graph.chart->legend()->setAlignment(Qt::AlignTop);
    graph.chart->setMargins(QMargins(4, 4, 4, 4));
    graph.xAxis = new QValueAxis;
    graph.xAxis->setTitleText(xTitle);
    graph.xAxis->setLabelFormat(QStringLiteral("%.0f"));
    graph.chart->addAxis(graph.xAxis, Qt::AlignBottom);
    if (logarithmic) {
        graph.logAxis = new QLogValueAxis;
        graph.logAxis->setTitleText(yTitle);
        graph.logAxis->setLabelFormat(QStringLiteral("%g"));
        graph.chart->addAxis(graph.logAxis, Qt::AlignLeft);
    } else {
        graph.yAxis = new QValueAxis;
        graph.yAxis->setTitleText(yTitle);
        graph.yAxis->setLabelFormat(QStringLiteral("%.0f"));
        graph.chart->addAxis(graph.yAxis, Qt::AlignLeft);
    }
    graph.view = new QChartView(graph.chart, parent);
    graph.view->setRenderHint(QPainter::Antialiasing, false);
    return graph;
}

QLineSeries* addLine(const Graph& graph, const QString& name, const QColor& colour, bool dashed) {
    auto* line = new QLineSeries;
    line->setName(name);
    QPen pen(colour);
    pen.setWidthF(dashed ? 1.0 : 1.5);
    if (dashed) {
        pen.setStyle(Qt::DashLine);
    }
    line->setPen(pen);
    graph.chart->addSeries(line);
    line->attachAxis(graph.xAxis);
    line->attachAxis(graph.logAxis != nullptr ? static_cast<QAbstractAxis*>(graph.logAxis)
                                              : graph.yAxis);
    return line;
}

int plotColumns(const Graph& graph) {
    const int width = static_cast<int>(graph.chart->plotArea().width());
    return width > 16 ? width : 1024;
}

qsizetype drawEnvelope(QLineSeries* line, const MinMaxEnvelope& envelope, int columns) {
    const std::vector<EnvelopePoint> points = envelope.polyline(columns);
    QList<QPointF> drawn;
    drawn.reserve(static_cast<qsizetype>(points.size()) + 1);
    drawn.append(QPointF(0, 0));
    for (const EnvelopePoint& point : points) {
        drawn.append(QPointF(static_cast<double>(point.x), point.y));
    }
    line->replace(drawn);
    return drawn.size();
}

namespace {

// Bins from `start`, `width` wide, with the heights given: an outline of steps from and back to
// `floor`.
template <typename Heights>
void drawBinSteps(QLineSeries* line, double start, double width, const Heights& heights,
                  double scale, double floor) {
    QList<QPointF> steps;
    steps.reserve(2 * static_cast<qsizetype>(heights.size()) + 2);
    double x = start;
    if (!heights.empty()) {
        steps.append(QPointF(x, floor));
    }
    for (const auto height : heights) {
        const double y = std::max(floor, static_cast<double>(height) * scale);
        steps.append(QPointF(x, y));
        steps.append(QPointF(x + width, y));
        x += width;
    }
    if (!heights.empty()) {
        steps.append(QPointF(x, floor));
    }
    line->replace(steps);
}

}  // namespace

void drawSteps(QLineSeries* line, const CountHistogram& histogram, double scale, double floor) {
    drawBinSteps(line, static_cast<double>(histogram.firstBinStart()),
                 static_cast<double>(histogram.binWidth()), histogram.counts(), scale, floor);
}

void drawSteps(QLineSeries* line, const BinnedLaw& law, double scale, double floor) {
    drawBinSteps(line, static_cast<double>(law.firstBinStart), static_cast<double>(law.binWidth),
                 law.chance, scale, floor);
}

void fitAxis(QValueAxis* axis, double low, double high, bool withZero) {
    if (withZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    if (high <= low) {
        high = low + 1;
    }
    const double margin = (high - low) * 0.03;
    axis->setRange(low - (withZero && low == 0 ? 0 : margin), high + margin);
    axis->applyNiceNumbers();
}

}  // namespace korvale
