#pragma once

// ハマり分布: how many games pass from one BIG to the next, and from one bonus to the next,
// over the per-mode run's logged bonuses, as shares per 20 games, with the share of BIG gaps of
// at least 500, 1000 and 1500 games; the exact laws of the long run drawn over them.

#include <QLabel>
#include <QLineSeries>
#include <QTableWidget>
#include <QWidget>
#include <memory>

#include "analysis/long_run/gap_law.h"
#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/chart_parts.h"
#include "ui/analysis_window/run_feed.h"
#include "ui/analysis_window/run_view.h"

namespace korvale {

class DroughtPanel final : public QWidget, public AnalysisTab {
    Q_OBJECT

  public:
    explicit DroughtPanel(QWidget* parent = nullptr);

    // `exact`: the setting's exact laws of the gaps, once worked out.
    void redraw(const RunFeed& feed, std::shared_ptr<const LongRunGaps> exact);

    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("ハマり分布"); }
    void onShow(RunView& run) override {
        redraw(run.feed(), run.exact() != nullptr ? run.exact()->gaps : nullptr);
    }
    QWidget* graph() override { return this; }  // nothing but graphs
    RunWork drawsOn() const override { return {.exact = true}; }

    const QLineSeries& bigGapLine() const { return *bigGaps_; }
    const QLineSeries& bonusGapLine() const { return *bonusGaps_; }
    const QLineSeries& exactBigGapLine() const { return *exactBigGaps_; }
    const QLineSeries& exactBonusGapLine() const { return *exactBonusGaps_; }
    const QTableWidget& table() const { return *table_; }

  private:
    // The exact laws over the run's bins, and their column of the table.
    void drawExact(const std::shared_ptr<const LongRunGaps>& exact, std::int64_t binWidth,
                   bool started);

    Graph graph_;
    QLineSeries* ceiling_ = nullptr;
    QLineSeries* bigGaps_ = nullptr;
    QLineSeries* bonusGaps_ = nullptr;
    QLineSeries* exactBigGaps_ = nullptr;
    QLineSeries* exactBonusGaps_ = nullptr;
    std::shared_ptr<const LongRunGaps> drawnExact_;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace korvale
