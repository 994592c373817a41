#include "ui/figures_panel.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "report/table_text.h"

namespace korvale {
namespace {

QString valueText(Unit unit, std::optional<double> value) {
    return QString::fromStdString(figureText(unit, value));
}

QTableWidgetItem* cell(const QString& text, bool right) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return item;
}

}  // namespace

std::vector<FigureRow> joinFigures(const std::vector<std::string>& keys, const FigureGroup* exact,
                                   const FigureGroup& measured) {
    std::vector<FigureRow> rows;
    for (const std::string& key : keys) {
        const Figure* found = measured.find(key);
        const Figure* theory = exact != nullptr ? exact->find(key) : nullptr;
        const Figure* named = found != nullptr ? found : theory;
        if (named == nullptr) {
            continue;
        }
        FigureRow row{named->label, named->unit, std::nullopt, std::nullopt, {}};
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
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
}

void FiguresPanel::show(const std::vector<FigureRow>& rows, const QString& status) {
    status_->setText(status);
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
        const FigureRow& row = rows[static_cast<std::size_t>(index)];
        table_->setItem(index, LabelColumn, cell(QString::fromStdString(row.label), false));
        table_->setItem(index, ExactColumn, cell(valueText(row.unit, row.exact), true));
        table_->setItem(index, MeasuredColumn, cell(valueText(row.unit, row.measured), true));
        table_->setItem(
            index, IntervalColumn,
            cell(row.ci95.known ? valueText(row.unit, row.ci95.low) + QStringLiteral(" 〜 ") +
                                      valueText(row.unit, row.ci95.high)
                                : QStringLiteral("—"),
                 true));
        QString mark;
        QColor colour;
        if (row.ci95.known && row.exact && std::isfinite(*row.exact)) {
            const bool outside = *row.exact < row.ci95.low || *row.exact > row.ci95.high;
            mark = outside ? QStringLiteral("▲ 理論値が区間外") : QStringLiteral("○ 区間内");
            colour = outside ? QColor(0xc0, 0x10, 0x10) : QColor(0x20, 0x80, 0x20);
        }
        QTableWidgetItem* markItem = cell(mark, false);
        if (colour.isValid()) {
            markItem->setForeground(colour);
        }
        table_->setItem(index, MarkColumn, markItem);
    }
}

}  // namespace korvale
