#include "ui/analysis_window/chart_parts.h"

#include <QPen>
#include <algorithm>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

QCategoryAxis* makeAxis(const QString& title) {
    auto* axis = new QCategoryAxis;
    axis->setTitleText(title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    return axis;
}

}  // namespace

Graph makeGraph(const QString& title, const QString& xTitle, const QString& yTitle, QWidget* parent,
                bool logarithmic) {
    Graph graph;
    graph.chart = new QChart;
    graph.chart->setTitle(title);
    graph.chart->setAnimationOptions(QChart::NoAnimation);
    graph.chart->legend()->setAlignment(Qt::AlignTop);
    // Room on the right for the last label of the x axis, which is centred on its tick.
    graph.chart->setMargins(QMargins(4, 4, 20, 4));
    graph.xAxis = makeAxis(xTitle);
    graph.chart->addAxis(graph.xAxis, Qt::AlignBottom);
    fitAxis(graph.xAxis, 0, 1, true);
    if (logarithmic) {
        graph.logAxis = new QLogValueAxis;
        graph.logAxis->setTitleText(yTitle);
        graph.logAxis->setLabelFormat(QStringLiteral("%g"));
        graph.chart->addAxis(graph.logAxis, Qt::AlignLeft);
    } else {
        graph.yAxis = makeAxis(yTitle);
        graph.chart->addAxis(graph.yAxis, Qt::AlignLeft);
        fitAxis(graph.yAxis, 0, 1, true);
    }
    graph.view = new QChartView(graph.chart, parent);
    graph.view->setRenderHint(QPainter::Antialiasing, false);
    return graph;
}

QLineSeries* addLine(const Graph& graph, const QString& name, const QColor& colour, LineKind kind) {
    auto* line = new QLineSeries;
    line->setName(name);
    QPen pen(colour);
    switch (kind) {
        case LineKind::Measured:
            pen.setWidthF(3.0);
            pen.setColor(colour.lighter(135));
            break;
        case LineKind::Exact:
            pen.setWidthF(1.5);
            break;
        case LineKind::Guide:
            pen.setWidthF(1.0);
            pen.setStyle(Qt::DashLine);
            break;
    }
    line->setPen(pen);
    graph.chart->addSeries(line);
    line->attachAxis(graph.xAxis);
    line->attachAxis(graph.logAxis != nullptr ? static_cast<QAbstractAxis*>(graph.logAxis)
                                              : graph.yAxis);
    return line;
}

QScatterSeries* addPoints(const Graph& graph, const QString& name, const QColor& colour,
                          QScatterSeries::MarkerShape shape, double size) {
    auto* points = new QScatterSeries;
    points->setName(name);
    points->setMarkerShape(shape);
    points->setMarkerSize(size);
    points->setColor(colour);
    points->setBorderColor(colour.darker(130));
    graph.chart->addSeries(points);
    points->attachAxis(graph.xAxis);
    points->attachAxis(graph.logAxis != nullptr ? static_cast<QAbstractAxis*>(graph.logAxis)
                                                : graph.yAxis);
    return points;
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
        const double y = height > 0 ? std::max(floor, static_cast<double>(height) * scale) : floor;
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

double lastFilledBinEnd(const CountHistogram& histogram) {
    const std::vector<std::int64_t>& counts = histogram.counts();
    std::size_t filled = counts.size();
    while (filled > 0 && counts[filled - 1] == 0) {
        --filled;
    }
    return static_cast<double>(histogram.firstBinStart() +
                               histogram.binWidth() * static_cast<std::int64_t>(filled));
}

void fitAxis(QCategoryAxis* axis, double low, double high, bool withZero) {
    if (withZero) {
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
    }
    const AxisTicks ticks = roundTicks(low, high);
    const auto count = static_cast<int>(std::lround((ticks.high - ticks.low) / ticks.step)) + 1;
    if (axis->min() == ticks.low && axis->max() == ticks.high && axis->count() == count) {
        return;  // the same ticks: nothing to relabel
    }
    for (const QString& label : axis->categoriesLabels()) {
        axis->remove(label);
    }
    axis->setRange(ticks.low, ticks.high);
    axis->setStartValue(ticks.low);
    for (int i = 0; i < count; ++i) {
        const double value = ticks.low + i * ticks.step;
        axis->append(tickLabel(value, ticks.step), value);
    }
}

}  // namespace korvale
