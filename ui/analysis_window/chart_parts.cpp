#include "ui/analysis_window/chart_parts.h"

#include <QFontMetricsF>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <optional>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

// What an axis keeps of its fit: its chart, whose plot it spans, and the range last asked for,
// so that its ticks can be fitted again when the plot's size changes.
constexpr char chartProperty[] = "korvaleChart";
constexpr char rangeProperty[] = "korvaleRange";

// Qt Charts gives each label of a category axis an equal share of the axis, one share more than
// there are labels, less 4 pixels of padding either side; a label wider than its share is cut
// ("10,00..."). A little more is kept for the text's own bounds.
constexpr double labelPadding = 4.0;
constexpr double labelSlack = 3.0;
// The chart's room right of the plot, at least: the x axis's last label is centred on its tick.
constexpr int rightMargin = 20;
// A graph's least height, in lines of its text.
constexpr int minimumGraphLines = 17;

QCategoryAxis* makeAxis(const QString& title, QChart* chart) {
    auto* axis = new QCategoryAxis;
    axis->setTitleText(title);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setProperty(chartProperty, QVariant::fromValue(static_cast<QObject*>(chart)));
    return axis;
}

// The axis's length in pixels, once the chart is laid out.
std::optional<double> axisLength(const QCategoryAxis& axis) {
    const auto* chart = qobject_cast<const QChart*>(axis.property(chartProperty).value<QObject*>());
    if (chart == nullptr) {
        return std::nullopt;
    }
    const QRectF plot = chart->plotArea();
    const double length = axis.orientation() == Qt::Horizontal ? plot.width() : plot.height();
    return length > 16 ? std::optional(length) : std::nullopt;
}

struct FittedTicks {
    AxisTicks ticks;
    QStringList labels;
    double widest = 0;  // the widest label's advance, in pixels
};

FittedTicks ticksWithLabels(double low, double high, int most, const QFontMetricsF& metrics) {
    FittedTicks fitted{roundTicks(low, high, most), {}, 0};
    const AxisTicks& ticks = fitted.ticks;
    const auto count = static_cast<int>(std::lround((ticks.high - ticks.low) / ticks.step)) + 1;
    for (int i = 0; i < count; ++i) {
        fitted.labels.append(tickLabel(ticks.low + i * ticks.step, ticks.step));
        fitted.widest = std::max(fitted.widest, metrics.horizontalAdvance(fitted.labels.back()));
    }
    return fitted;
}

// The densest round ticks (at most 6 steps) whose labels all fit their share of the axis.
FittedTicks fittingTicks(const QCategoryAxis& axis, double low, double high) {
    const QFontMetricsF metrics(axis.labelsFont());
    const std::optional<double> length = axisLength(axis);
    FittedTicks fitted;
    for (int most = 6; most >= 1; --most) {
        fitted = ticksWithLabels(low, high, most, metrics);
        if (!length) {
            break;  // not laid out yet: fitted again once it is
        }
        const double share = *length / static_cast<double>(fitted.labels.size() + 1);
        const double needed =
            (axis.orientation() == Qt::Horizontal ? fitted.widest : metrics.height()) +
            2 * labelPadding + labelSlack;
        if (share >= needed) {
            break;
        }
    }
    return fitted;
}

// Fits the axis's ticks to the range it was last given.
void refit(QCategoryAxis* axis) {
    const QPointF range = axis->property(rangeProperty).toPointF();
    const FittedTicks fitted = fittingTicks(*axis, range.x(), range.y());
    const AxisTicks& ticks = fitted.ticks;
    if (axis->min() == ticks.low && axis->max() == ticks.high &&
        axis->categoriesLabels() == fitted.labels) {
        return;  // the same ticks: nothing to relabel
    }
    for (const QString& label : axis->categoriesLabels()) {
        axis->remove(label);
    }
    axis->setRange(ticks.low, ticks.high);
    axis->setStartValue(ticks.low);
    for (qsizetype i = 0; i < fitted.labels.size(); ++i) {
        axis->append(fitted.labels[i], ticks.low + static_cast<double>(i) * ticks.step);
    }
    // Room for the half of the x axis's last label that lies right of the plot.
    auto* chart = qobject_cast<QChart*>(axis->property(chartProperty).value<QObject*>());
    if (chart != nullptr && axis->orientation() == Qt::Horizontal) {
        QMargins margins = chart->margins();
        const int right = std::max(rightMargin, static_cast<int>(std::ceil(fitted.widest / 2)) + 6);
        if (margins.right() != right) {
            margins.setRight(right);
            chart->setMargins(margins);
        }
    }
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
    graph.chart->setMargins(QMargins(4, 4, rightMargin, 4));
    graph.xAxis = makeAxis(xTitle, graph.chart);
    graph.chart->addAxis(graph.xAxis, Qt::AlignBottom);
    fitAxis(graph.xAxis, 0, 1, true);
    if (logarithmic) {
        graph.logAxis = new QLogValueAxis;
        graph.logAxis->setTitleText(yTitle);
        graph.logAxis->setLabelFormat(QStringLiteral("%g"));
        graph.chart->addAxis(graph.logAxis, Qt::AlignLeft);
    } else {
        graph.yAxis = makeAxis(yTitle, graph.chart);
        graph.chart->addAxis(graph.yAxis, Qt::AlignLeft);
        fitAxis(graph.yAxis, 0, 1, true);
    }
    // A plot of another size may want fewer ticks, or allow more: fitted again once the layout
    // that changed it is done.
    QObject::connect(
        graph.chart, &QChart::plotAreaChanged, graph.chart,
        [x = graph.xAxis, y = graph.yAxis] {
            refit(x);
            if (y != nullptr) {
                refit(y);
            }
        },
        Qt::QueuedConnection);
    graph.view = new QChartView(graph.chart, parent);
    graph.view->setRenderHint(QPainter::Antialiasing, false);
    // Never so low that the y axis has no room for two numbers (fittingTicks can go no lower):
    // the title, the legend, the x axis's numbers and title, and a plot as high as the y axis's
    // title.
    graph.view->setMinimumHeight(static_cast<int>(
        std::ceil(minimumGraphLines * QFontMetricsF(graph.xAxis->labelsFont()).height())));
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

QAreaSeries* addBand(const Graph& graph, const QString& name, const QColor& colour) {
    // The area does not own its lines: they are its children.
    auto* band = new QAreaSeries;
    band->setUpperSeries(new QLineSeries(band));
    band->setLowerSeries(new QLineSeries(band));
    band->setName(name);
    band->setColor(colour);
    band->setBorderColor(colour.darker(110));
    graph.chart->addSeries(band);
    band->attachAxis(graph.xAxis);
    band->attachAxis(graph.yAxis);
    return band;
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
    axis->setProperty(rangeProperty, QPointF(low, high));
    refit(axis);
}

}  // namespace korvale
