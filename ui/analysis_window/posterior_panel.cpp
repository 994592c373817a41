#include "ui/analysis_window/posterior_panel.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/analysis_window/posterior_table.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale {

PosteriorPanel::PosteriorPanel(QWidget* parent) : QWidget(parent) {
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    table_ = makePosteriorTable(this, true);
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

void PosteriorPanel::onShow(RunView& run) {
    run.catchUpFilter();
    const ExactFigures* exact = run.exact();
    redraw(run.feed(), exact != nullptr ? exact->estimator.get() : nullptr, run.gamesShown());
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
    // A run's own history is possible under the uniform prior.
    estimate_ = estimator->estimate(*filter, trailing).value();
    const SettingEstimate& e = *estimate_;
    summary_->setText(QStringLiteral("プレイ数 %1G（最後のボーナスから %2G）\nBIG %3回　REG %4回　")
                          .arg(groupedNumber(static_cast<double>(e.games)),
                               groupedNumber(static_cast<double>(trailing)),
                               groupedNumber(static_cast<double>(e.bigs)),
                               groupedNumber(static_cast<double>(e.regs))) +
                      posteriorSummary(e));
    fillPosteriorTable(*table_, e, feed.setup().setting, QStringLiteral("◀ 実際の設定"));
}

}  // namespace korvale
