#include "ui/analysis_window/posterior_table.h"

#include <QHeaderView>

#include "ui/analysis_window/setup_caption.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

void setCell(QTableWidget& table, int row, int column, const QString& text) {
    setTableCell(
        table, row, column, text,
        column == PosteriorColumn || column == CountOnlyColumn ? Qt::AlignRight : Qt::AlignLeft);
}

}  // namespace

void setTableCell(QTableWidget& table, int row, int column, const QString& text,
                  Qt::Alignment alignment) {
    QTableWidgetItem* item = table.item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setTextAlignment(alignment | Qt::AlignVCenter);
        table.setItem(row, column, item);
    }
    if (item->text() != text) {
        item->setText(text);  // an unchanged text is not repainted
    }
}

QTableWidget* makePosteriorTable(QWidget* parent, bool markColumn) {
    auto* table = new QTableWidget(settingCount, markColumn ? 4 : 3, parent);
    QStringList headings = {QStringLiteral("設定"), QStringLiteral("事後確率"),
                            QStringLiteral("回数だけの答え")};
    if (markColumn) {
        headings.append(QString());
    }
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->hide();
    // Rows as low as the text allows: the live table and a history's fit the tab together.
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          settingCount * table->verticalHeader()->defaultSectionSize() + 4);
    return table;
}

void fillPosteriorTable(QTableWidget& table, const SettingEstimate& estimate, int marked,
                        const QString& mark) {
    for (int s = 0; s < settingCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        setCell(table, s, SettingColumn, settingText(s));
        setCell(table, s, PosteriorColumn, percentText(estimate.posterior[i]));
        setCell(table, s, CountOnlyColumn, percentText(estimate.countOnlyPosterior[i]));
        if (!mark.isEmpty()) {
            setCell(table, s, MarkColumn, s == marked ? mark : QString());
        }
    }
}

QString posteriorSummary(const SettingEstimate& estimate) {
    return QStringLiteral("P(設定４以上) %1　P(設定５以上) %2\n次の1000Gの差枚の期待値 %3枚")
        .arg(percentText(estimate.atLeast4), percentText(estimate.atLeast5),
             groupedNumber(estimate.expectedNet, 1));
}

}  // namespace korvale
