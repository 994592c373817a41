#pragma once

// Numbers as the analysis window writes them: thousands grouped, a fixed number of decimals
// for each kind of figure (so that a column's figures line up), percentages written one way,
// and the ticks of a graph's axis at round values.

#include <QString>
#include <initializer_list>
#include <optional>
#include <vector>

#include "report/model/report_model.h"

namespace korvale {

// "-1,234,567.8": grouped by thousands, `decimals` after the point; never "-0".
QString groupedNumber(double value, int decimals = 0);

// The same with "+" before a gain: "+1,234.5", "-12.0", "0".
QString signedNumber(double value, int decimals);

// A duration as the window says how long work takes: "45秒", "1分05秒", "1時間02分".
QString durationText(double seconds);

// A share (0.1234) as "12.34%".
QString percentText(double share, int decimals = 2);

// The decimals a figure of the unit is written with in the window's tables.
int unitDecimals(Unit unit);

// A figure for a table cell: "1/287.34", "104.11%", "12.34%", "-1,234.5"; "—" for none.
QString figureCell(Unit unit, std::optional<double> value);
// The same with `decimals` after the point.
QString figureCell(Unit unit, std::optional<double> value, int decimals);

// The decimals a row of figures of one unit is written with, so that they line up: the unit's,
// but none for coins when every figure of the row is whole (the net coins of a run, a
// percentile of an attempt's net): "-117", not "-117.0". Figures not known are passed over.
int rowDecimals(Unit unit, std::initializer_list<std::optional<double>> figures);

// Round ticks for an axis: a range holding [low, high], from a multiple of a step of 1, 2 or 5
// times a power of ten, with at most `most` steps.
struct AxisTicks {
    double low = 0;
    double high = 1;
    double step = 1;
    bool operator==(const AxisTicks&) const = default;
};
AxisTicks roundTicks(double low, double high, int most = 6);

// The label of a tick: grouped, with as many decimals as the step needs.
QString tickLabel(double value, double step);

}  // namespace korvale
