#include "ui/posterior_panel.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

namespace korvale {
namespace {

QString percent(double share) {
    return QString::number(100.0 * share, 'f', 1) + QStringLiteral(" %");
}

void setCell(QTableWidget& table, int row, int column, const QString& text) {
    QTableWidgetItem* item = table.item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setTextAlignment(
            (column == PosteriorPanel::PosteriorColumn || column == PosteriorPanel::CountOnlyColumn
                 ? Qt::AlignRight
                 : Qt::AlignLeft) |
            Qt::AlignVCenter);
        table.setItem(row, column, item);
    }
    if (item->text() != text) {
        item->setText(text);
    }
}

}  // namespace

PosteriorPanel::PosteriorPanel(QWidget* parent) : QWidget(parent) {
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    table_ = new QTableWidget(settingCount, 4, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("設定"), QStringLiteral("事後確率"),
                                       QStringLiteral("回数だけの答え"), QString()});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           settingCount * table_->verticalHeader()->defaultSectionSize() + 4);
    auto* note = new QLabel(
        QStringLiteral("事後確率は、ボーナスの種類とボーナス間の回転数だけから（モードの記録は"
                       "使わずに）、朝一からの台として求めた値です（事前確率は一様）。回数だけの"
                       "答えは、BIGとREGの回数と総回転数だけから求めた値です。"),
        this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(summary_);
    layout->addWidget(table_);
    layout->addWidget(note);
    history_ = new HistoryPosterior(this);
    layout->addWidget(history_);
    layout->addStretch(1);
}

void PosteriorPanel::redraw(const RunFeed& feed, const SettingEstimator* estimator,
                            std::int64_t gamesShown) {
    const SettingFilter* filter = feed.settingFilter();
    if (filter == nullptr) {
        estimate_.reset();
        summary_->setText(feed.setup().started
                              ? QStringLiteral("設定判別は「通常」の実行で表示します（一台を回し"
                                               "続けた時のボーナスの記録から求めます）。")
                              : QStringLiteral("まだ実行していません。"));
        table_->hide();
        return;
    }
    table_->show();
    if (estimator == nullptr) {
        summary_->setText(QStringLiteral("計算中…"));
        return;
    }
    const auto trailing = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(gamesShown - filter->games(), 0, 2147483647));
    estimate_ = estimator->estimate(*filter, trailing);
    const SettingEstimate& e = *estimate_;
    summary_->setText(
        QStringLiteral("プレイ数 %1（最後のボーナスから %2G）　BIG %3　REG %4\n"
                       "P(設定４以上) %5　P(設定５以上) %6　次の1000Gの差枚の期待値 %7枚")
            .arg(e.games)
            .arg(trailing)
            .arg(e.bigs)
            .arg(e.regs)
            .arg(percent(e.atLeast4), percent(e.atLeast5))
            .arg(e.expectedNet, 0, 'f', 1));
    for (int s = 0; s < settingCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        setCell(*table_, s, SettingColumn, QStringLiteral("設定") + QChar(0xFF11 + s));
        setCell(*table_, s, PosteriorColumn, percent(e.posterior[i]));
        setCell(*table_, s, CountOnlyColumn, percent(e.countOnlyPosterior[i]));
        setCell(*table_, s, TrueColumn,
                s == feed.setup().setting ? QStringLiteral("◀ 実際の設定") : QString());
    }
}

}  // namespace korvale
