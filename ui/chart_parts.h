#pragma once

// The pieces every graph of the analysis window is made of: a chart with titled value axes, a
// zero line, a curve drawn from a min/max envelope and a histogram drawn as steps.

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QString>
#include <QValueAxis>
#include <cstdint>
#include <vector>

#include "analysis/count_histogram.h"
#include "analysis/law_bins.h"
#include "analysis/min_max_envelope.h"

namespace korvale {

struct Graph {
    QChartView* view = nullptr;
    QChart* chart = nullptr;
    QValueAxis* xAxis = nullptr;
    QValueAxis* yAxis = nullptr;
    QLogValueAxis* logAxis = nullptr;  // instead of yAxis, for a logarithmic scale
};

Graph makeGraph(const QString& title, const QString& xTitle, const QString& yTitle, QWidget* parent,
                bool logarithmic = false);

// A line of the graph, attached to its axes; a dashed grey one for the zero line.
QLineSeries* addLine(const Graph& graph, const QString& name, const QColor& colour,
                     bool dashed = false);

// The plot's width in pixels (a default before the first layout).
int plotColumns(const Graph& graph);

// Sets a line to the envelope's polyline at one point pair per pixel column; returns the points.
qsizetype drawEnvelope(QLineSeries* line, const MinMaxEnvelope& envelope, int columns);

// A histogram's outline as steps; each bin's count scaled by `scale` (1 / total for shares),
// and drawn at `floor` at least (an empty bin on a logarithmic scale).
void drawSteps(QLineSeries* line, const CountHistogram& histogram, double scale,
               double floor = 0.0);
// The same for a law's chances per bin (an exact law drawn over a histogram).
void drawSteps(QLineSeries* line, const BinnedLaw& law, double scale, double floor = 0.0);

// Axis ranges that hold [low, high] with 0 in view, rounded to nice numbers.
void fitAxis(QValueAxis* axis, double low, double high, bool withZero);

}  // namespace korvale
