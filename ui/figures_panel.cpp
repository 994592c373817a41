#include "ui/figures_panel.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace korvale {
namespace {

QString number(const std::optional<double>& value, int decimals) {
    if (!value || std::isnan(*value)) {
        return QStringLiteral("—");
    }
    return QString::number(*value, 'f', decimals);
}

QTableWidgetItem* cell(const QString& text, bool right) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return item;
}

}  // namespace

FiguresPanel::FiguresPanel(QWidget* parent) : QWidget(parent) {
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("exactStatus"));
    table_ = new QTableWidget(0, 5, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("理論値"),
                                       QStringLiteral("実測値"), QStringLiteral("95%区間"),
                                       QStringLiteral("判定")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
}

void FiguresPanel::show(const std::vector<FigureLine>& lines, const QString& status) {
    status_->setText(status);
    table_->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const FigureLine& line = lines[static_cast<std::size_t>(row)];
        table_->setItem(row, LabelColumn, cell(line.label, false));
        table_->setItem(row, ExactColumn, cell(number(line.exact, line.decimals), true));
        table_->setItem(row, MeasuredColumn, cell(number(line.measured, line.decimals), true));
        const bool interval = line.low && line.high && !std::isnan(*line.low);
        table_->setItem(row, IntervalColumn,
                        cell(interval ? number(line.low, line.decimals) + QStringLiteral(" 〜 ") +
                                            number(line.high, line.decimals)
                                      : QStringLiteral("—"),
                             true));
        QString mark;
        if (interval && line.exact && !std::isnan(*line.exact)) {
            mark = *line.exact < *line.low || *line.exact > *line.high ? QStringLiteral("▲ 区間外")
                                                                       : QStringLiteral("区間内");
        }
        QTableWidgetItem* markItem = cell(mark, false);
        if (mark.startsWith(QChar(0x25B2))) {
            markItem->setForeground(QColor(0xc0, 0x10, 0x10));
        }
        table_->setItem(row, MarkColumn, markItem);
    }
}

}  // namespace korvale
