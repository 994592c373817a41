#include "ui/analysis_window/figures_panel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

// Sets a cell's text, making the item the first time; an unchanged text is left alone, so
// that a refresh repaints only what changed.
QTableWidgetItem* setCell(QTableWidget& table, int row, int column, const QString& text,
                          bool right) {
    QTableWidgetItem* item = table.item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        table.setItem(row, column, item);
    }
    if (item->text() != text) {
        item->setText(text);
    }
    return item;
}

}  // namespace

std::vector<FigureRow> joinFigures(const std::vector<FigureKey>& keys, const FigureGroup* exact,
                                   const FigureGroup& measured) {
    std::vector<FigureRow> rows;
    for (const auto& [key, hasTheory] : keys) {
        const Figure* found = measured.find(key);
        const Figure* theory = exact != nullptr ? exact->find(key) : nullptr;
        const Figure* named = found != nullptr ? found : theory;
        if (named == nullptr) {
            continue;
        }
        FigureRow row{named->label, named->unit, std::nullopt, std::nullopt, {}, hasTheory};
        if (theory != nullptr) {
            row.exact = theory->value;
        }
        if (found != nullptr) {
            row.measured = found->value;
            row.ci95 = found->ci95;
        }
        rows.push_back(row);
    }
    return rows;
}

double normalTwoSided(double tail) {
    // P(|Z| > z) = erfc(z / √2) falls from 1 at 0: halved until it holds.
    double low = 0.0;
    double high = 40.0;
    for (int step = 0; step < 100; ++step) {
        const double middle = 0.5 * (low + high);
        (std::erfc(middle / std::sqrt(2.0)) > tail ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

double jointLevel(int judged) {
    return 1.0 - 0.05 / std::max(judged, 1);
}

double jointQuantile(int judged) {
    return normalTwoSided(1.0 - jointLevel(judged));
}

int widenJointly(std::vector<FigureRow>& rows) {
    // A figure the measurement cannot miss (its interval a point) is no test.
    const auto judged = [](const FigureRow& row) {
        return row.ci95.known && row.ci95.high > row.ci95.low && row.measured && row.exact &&
               std::isfinite(*row.exact);
    };
    const auto k = static_cast<int>(std::count_if(rows.begin(), rows.end(), judged));
    const double scale = jointQuantile(k) / jointQuantile(1);
    for (FigureRow& row : rows) {
        if (judged(row)) {
            const double measured = *row.measured;
            row.ci95.low = measured - scale * (measured - row.ci95.low);
            row.ci95.high = measured + scale * (row.ci95.high - measured);
        }
    }
    return k;
}

FiguresPanel::FiguresPanel(QWidget* parent) : QWidget(parent) {
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("exactStatus"));
    status_->setWordWrap(true);
    table_ = new QTableWidget(0, 5, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("理論値"),
                                       QStringLiteral("実測値"), QStringLiteral("95%区間"),
                                       QStringLiteral("判定")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
}

void FiguresPanel::setIntervalHeading(const QString& heading) {
    table_->horizontalHeaderItem(IntervalColumn)->setText(heading);
}

void FiguresPanel::setTop(QWidget* top) {
    top->setParent(this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, top);
}

void FiguresPanel::show(const std::vector<FigureRow>& rows, const QString& status,
                        bool exactPending) {
    if (status_->text() != status) {
        status_->setText(status);
    }
    const bool newRows = table_->rowCount() != static_cast<int>(rows.size());
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
        const FigureRow& row = rows[static_cast<std::size_t>(index)];
        QTableWidget& table = *table_;
        setCell(table, index, LabelColumn, QString::fromStdString(row.label), false);
        const std::optional<double> low =
            row.ci95.known ? std::optional(row.ci95.low) : std::nullopt;
        const std::optional<double> high =
            row.ci95.known ? std::optional(row.ci95.high) : std::nullopt;
        const int decimals = rowDecimals(row.unit, {row.exact, row.measured, low, high});
        const auto cell = [&row, decimals](std::optional<double> value) {
            return figureCell(row.unit, value, decimals);
        };
        setCell(
            table, index, ExactColumn,
            exactPending && row.theory && !row.exact ? QStringLiteral("計算中…") : cell(row.exact),
            true);
        setCell(table, index, MeasuredColumn, cell(row.measured), true);
        setCell(
            table, index, IntervalColumn,
            row.ci95.known ? cell(low) + QStringLiteral(" 〜 ") + cell(high) : QStringLiteral("—"),
            true);
        QString mark;
        QColor colour = table.palette().color(QPalette::Text);
        if (row.ci95.known && row.exact && std::isfinite(*row.exact)) {
            const bool outside = *row.exact < row.ci95.low || *row.exact > row.ci95.high;
            mark = outside ? QStringLiteral("▲ 理論値が区間外") : QStringLiteral("○ 区間内");
            colour = outside ? QColor(0xc0, 0x10, 0x10) : QColor(0x20, 0x80, 0x20);
        }
        QTableWidgetItem* markItem = setCell(table, index, MarkColumn, mark, false);
        if (markItem->foreground().color() != colour) {
            markItem->setForeground(colour);
        }
    }
    // Widths follow the contents when the rows change, and widen when a figure grows.
    if (newRows) {
        table_->resizeColumnsToContents();
    }
    const QFontMetrics metrics(table_->font());
    const QFontMetrics headingMetrics(table_->horizontalHeader()->font());
    for (int column = LabelColumn; column <= MarkColumn; ++column) {
        // The heading too: a column of "—" alone would be narrower than its name.
        int widest = std::max(
            table_->columnWidth(column),
            headingMetrics.horizontalAdvance(table_->horizontalHeaderItem(column)->text()) + 12);
        for (int index = 0; index < table_->rowCount(); ++index) {
            widest = std::max(widest,
                              metrics.horizontalAdvance(table_->item(index, column)->text()) + 12);
        }
        if (widest > table_->columnWidth(column)) {
            table_->setColumnWidth(column, widest);
        }
    }
}

}  // namespace korvale
