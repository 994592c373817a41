#pragma once

// The pieces every graph of the analysis window is made of: a chart with titled axes whose
// numbers are grouped by thousands, a zero line, a curve drawn from a min/max envelope and a
// histogram drawn as steps.

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QString>
#include <cstdint>
#include <vector>

#include "analysis/measured/count_histogram.h"
#include "analysis/measured/min_max_envelope.h"
#include "analysis/outcome/law_bins.h"

namespace korvale {

struct Graph {
    QChartView* view = nullptr;
    QChart* chart = nullptr;
    // Value axes whose labels sit on round values (printf formats have no grouping).
    QCategoryAxis* xAxis = nullptr;
    QCategoryAxis* yAxis = nullptr;
    QLogValueAxis* logAxis = nullptr;  // instead of yAxis, for a logarithmic scale
};

Graph makeGraph(const QString& title, const QString& xTitle, const QString& yTitle, QWidget* parent,
                bool logarithmic = false);

// How a line is drawn: what was measured wide and pale, the exact values narrow and dark (added
// after the measurement, so drawn over it), guides (zero, marks) thin, grey and dashed.
enum class LineKind { Measured, Exact, Guide };

// A line of the graph, attached to its axes.
QLineSeries* addLine(const Graph& graph, const QString& name, const QColor& colour, LineKind kind);

// A band of the graph between two lines (the area's upperSeries() and lowerSeries(), set with
// replace), filled pale in `colour`, attached to its axes.
QAreaSeries* addBand(const Graph& graph, const QString& name, const QColor& colour);

// Points of the graph, unjoined, attached to its axes.
QScatterSeries* addPoints(const Graph& graph, const QString& name, const QColor& colour,
                          QScatterSeries::MarkerShape shape, double size);

// The plot's width in pixels (a default before the first layout).
int plotColumns(const Graph& graph);

// Sets a line to the envelope's polyline at one point pair per pixel column; returns the points.
qsizetype drawEnvelope(QLineSeries* line, const MinMaxEnvelope& envelope, int columns);

// A histogram's outline as steps; each bin's count scaled by `scale` (1 / total for shares).
// An empty bin (or one below `floor`) drops to `floor`: with a floor below the axis, it is not
// drawn as a line along the bottom but left out of the plot.
void drawSteps(QLineSeries* line, const CountHistogram& histogram, double scale,
               double floor = 0.0);
// The same for a law's chances per bin (an exact law drawn over a histogram).
void drawSteps(QLineSeries* line, const BinnedLaw& law, double scale, double floor = 0.0);

// The upper end of a histogram's last bin that holds a count (its first bin's start if none).
double lastFilledBinEnd(const CountHistogram& histogram);

// Sets the axis to round ticks holding [low, high] (and 0 with `withZero`), labelled with
// grouped numbers, as many as have room for their labels along the plot (fitted again when the
// plot's size changes); the labels are made again only when the ticks change.
void fitAxis(QCategoryAxis* axis, double low, double high, bool withZero);

}  // namespace korvale
