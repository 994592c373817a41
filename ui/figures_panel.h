#pragma once

// 理論値と実測値: each figure's exact value beside its measured value and the measured value's
// 95% interval, marked when the exact value lies outside it.

#include <QLabel>
#include <QString>
#include <QTableWidget>
#include <QWidget>
#include <optional>
#include <vector>

namespace korvale {

struct FigureLine {
    QString label;
    std::optional<double> exact;  // none: not known (yet)
    std::optional<double> measured;
    std::optional<double> low;  // the 95% interval, when there is one
    std::optional<double> high;
    int decimals = 2;
};

class FiguresPanel final : public QWidget {
    Q_OBJECT

  public:
    explicit FiguresPanel(QWidget* parent = nullptr);

    // `status` says where the exact values stand (computed, being computed, not available).
    void show(const std::vector<FigureLine>& lines, const QString& status);

    const QTableWidget& table() const { return *table_; }
    const QLabel& status() const { return *status_; }

    // The texts of the columns.
    enum Column { LabelColumn, ExactColumn, MeasuredColumn, IntervalColumn, MarkColumn };

  private:
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace korvale
