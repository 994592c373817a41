#pragma once

// 理論値と実測値: each figure's exact value beside its measured value and the measured value's
// 95% interval, marked when the exact value lies outside it. Each kind of figure is written
// with its own fixed number of decimals, so that the exact value, the measured one and the
// interval line up.

#include <QLabel>
#include <QString>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/model/report_model.h"

namespace korvale {

// One line: a figure of the exact group and the same key's figure of the measured group.
struct FigureRow {
    std::string label;
    Unit unit = Unit::Number;
    std::optional<double> exact;
    std::optional<double> measured;
    Interval ci95;
    // Whether the exact figures hold this one at all (a run's counts, say, have no exact value).
    bool theory = true;
};

// A line's key, and whether the exact figures hold it.
struct FigureKey {
    // From a catalogue constant (figureKey::...) or a key made of one (percentileKey).
    FigureKey(std::string_view name, bool fromTheory = true) : key(name), theory(fromTheory) {}
    std::string key;
    bool theory = true;
};

// The rows of `keys` in that order, from the two groups (either may lack a key).
std::vector<FigureRow> joinFigures(const std::vector<FigureKey>& keys, const FigureGroup* exact,
                                   const FigureGroup& measured);

// Widens the rows' 95% intervals about their measured values so that together they hold all
// the exact values with 95%: each at 1 - 0.05/k for the k rows that are judged (an interval and
// an exact value; Bonferroni). A table of many rows from one fixed sample then marks a row by
// chance in one table in twenty, not in most. Returns k.
int widenJointly(std::vector<FigureRow>& rows);
// The level each of the k rows is held at then, and its normal quantile.
double jointLevel(int judged);
double jointQuantile(int judged);

// The normal law's two-sided quantile z with P(|Z| > z) = `tail` (0 < tail < 1).
double normalTwoSided(double tail);

class FiguresPanel : public QWidget {
    Q_OBJECT

  public:
    enum Column { LabelColumn, ExactColumn, MeasuredColumn, IntervalColumn, MarkColumn };

    explicit FiguresPanel(QWidget* parent = nullptr);

    // `status` says where the exact values stand (worked out, being worked out, not available);
    // while they are being worked out (`exactPending`) the exact column says so, on the lines
    // that will have one.
    void show(const std::vector<FigureRow>& rows, const QString& status, bool exactPending);

    // Puts `top` above the status line (the hall's rates).
    void setTop(QWidget* top);
    // The interval column's heading ("95%区間" unless set).
    void setIntervalHeading(const QString& heading);

    const QTableWidget& table() const { return *table_; }
    const QLabel& status() const { return *status_; }

  private:
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace korvale
