#pragma once

// 設定判別: during and after a per-mode run, the posterior over 設定１..設定６ from the bonuses
// so far (their kinds and games, never the logged mode), with the run's true setting marked,
// the answer from the counts alone beside it, and the expected net coins of the next 1000 games.

#include <QLabel>
#include <QTableWidget>
#include <QWidget>
#include <memory>
#include <optional>

#include "analysis/setting_estimate.h"
#include "ui/run_feed.h"

namespace korvale {

class PosteriorPanel final : public QWidget {
    Q_OBJECT

  public:
    enum Column { SettingColumn, PosteriorColumn, CountOnlyColumn, TrueColumn };

    explicit PosteriorPanel(QWidget* parent = nullptr);

    // `gamesShown`: the run's games as the window shows them (Text1); those after the last
    // logged bonus count as games without a bonus.
    void redraw(const RunFeed& feed, std::int64_t gamesShown);

    const std::optional<SettingEstimate>& estimate() const { return estimate_; }
    const QTableWidget& table() const { return *table_; }

  private:
    // Made at the first redraw: its backward pass takes some 50 ms, once.
    std::unique_ptr<SettingEstimator> estimator_;
    std::optional<SettingEstimate> estimate_;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace korvale
