#pragma once

// 設定判別: during and after a per-mode run, the posterior over 設定１..設定６ from the bonuses
// so far (their kinds and games, never the logged mode), with the run's true setting marked,
// the answer from the counts alone beside it, and the expected net coins of the next 1000 games.

#include <QLabel>
#include <QTableWidget>
#include <QWidget>
#include <optional>

#include "analysis/inference/setting_estimate.h"
#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/history_posterior.h"
#include "ui/analysis_window/run_feed.h"
#include "ui/analysis_window/run_view.h"

namespace korvale {

class PosteriorPanel final : public QWidget, public AnalysisTab {
    Q_OBJECT

  public:
    enum Column {
        SettingColumn,
        PosteriorColumn,
        CountOnlyColumn,
        TrueColumn
    };  // as posterior_table.h

    explicit PosteriorPanel(QWidget* parent = nullptr);

    // `estimator`: made on the worker thread with the exact figures (nullptr until then).
    // `gamesShown`: the run's games as the window shows them (Text1); those after the last
    // logged bonus count as games without a bonus.
    void redraw(const RunFeed& feed, const SettingEstimator* estimator, std::int64_t gamesShown);

    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("設定判別"); }
    void setMainEnd(const QString& bigEnd, const QString& regEnd) override {
        history_->setMainEnd(bigEnd, regEnd);
    }
    void onShow(RunView& run) override;
    RunWork drawsOn() const override { return {.exact = true}; }
    bool workPending() const override { return history_->workPending(); }
    void holdWork(bool held) override { history_->holdWork(held); }

    const std::optional<SettingEstimate>& estimate() const { return estimate_; }
    const QTableWidget& table() const { return *table_; }
    HistoryPosterior& history() { return *history_; }

  private:
    std::optional<SettingEstimate> estimate_;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    HistoryPosterior* history_ = nullptr;
};

}  // namespace korvale
