#pragma once

// 一日の収支: a day at the hall, a new machine from the morning played for a day's games. The
// graph draws the net after each game of a few simulated days (the day's スランプ) over the
// exact band of the day's net at each game (its 5%–95% and 25%–75% points, and its mean); the
// table below gives the whole day's exact figures beside those of many seeded days, in coins
// and at the window's hall rates (from cash measured only, as the cash put in follows how deep
// each day goes). The figures do not depend on the run: they are worked out when the tab is
// first shown (some seconds, a minute or so at 8000 games); the work waits while the window
// does not show it.

#include <QAreaSeries>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/hall/hall_rates.h"
#include "analysis/measured/min_max_envelope.h"
#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/chart_parts.h"
#include "ui/analysis_window/day_service.h"
#include "ui/analysis_window/figures_panel.h"
#include "ui/controls/range_spin_box.h"

namespace korvale {

class DayPanel final : public QWidget, public AnalysisTab {
    Q_OBJECT

  public:
    static constexpr int mostDrawnDays = 20;

    explicit DayPanel(QWidget* parent = nullptr);

    // The hall's rates of the table's yen and hourly figures (the window's one rates panel).
    void setHallRates(const HallRates& rates) override;
    // The main window's setting (0 to 5): shown until another is chosen here.
    void setChosenSetting(std::int32_t setting) override;
    // The tab is on show: the work begins (or goes on) and the graph is drawn.
    void activate();
    // While the tab is not on show the window may hold its work (long_work.h).
    void holdWork(bool held) override { work_.hold(held); }
    bool workPending() const override { return work_.pending(); }

    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("一日の収支"); }
    std::optional<QString> heading() const override {
        return QStringLiteral("一日の収支は、実行の結果によらない理論値と、別に試行した日々です。");
    }
    void onShow(RunView& /*run*/) override { activate(); }  // it draws itself as its work comes
    QWidget* graph() override { return &graphView(); }

    DaySetup setup() const;

    // The graph alone, as グラフをPNGで保存 saves it.
    QWidget& graphView() { return *graph_.view; }

    // For tests.
    QComboBox& settingChoice() { return *setting_; }
    QSpinBox& dayGames() { return *dayGames_; }
    QSpinBox& drawnDays() { return *drawnDays_; }
    const QLabel& refusedNote() const { return *refusedNote_; }
    QPushButton& drawAgain() { return *drawAgain_; }
    // The simulated days drawn, and what they are drawn from (each day's net after every game).
    int slumpsShown() const;
    const QLineSeries& slump(int day) const { return *slumps_[static_cast<std::size_t>(day)]; }
    const std::vector<std::vector<std::int32_t>>& slumpNets() const { return slumpNets_; }
    std::uint64_t slumpSeed() const { return slumpDraw_; }
    const QAreaSeries& outerBand() const { return *outer_; }
    const QAreaSeries& innerBand() const { return *inner_; }
    const QLineSeries& meanLine() const { return *mean_; }
    FiguresPanel& figures() { return *figures_; }
    const QProgressBar& progress() const { return *progress_; }
    void waitForFigures() { work_.waitForResult(); }

  protected:
    // Shown again, it says how far its work is.
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* makeSetupRow();
    void request();
    void redraw();
    void playSlumps();
    void drawBand(const DayFigures* figures);
    void drawSlumps();
    void showFigures(const DayFigures* figures);
    void showProgress();

    Graph graph_;
    QAreaSeries* outer_ = nullptr;
    QAreaSeries* inner_ = nullptr;
    QLineSeries* mean_ = nullptr;
    QLineSeries* zero_ = nullptr;
    std::vector<QLineSeries*> slumps_;
    QComboBox* setting_ = nullptr;
    RangeSpinBox* dayGames_ = nullptr;
    QLabel* refusedNote_ = nullptr;  // a day's games typed past the range
    int refusalKept_ = 0;            // the value kept then
    QSpinBox* drawnDays_ = nullptr;
    QPushButton* drawAgain_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    FiguresPanel* figures_ = nullptr;
    QTimer progressTimer_;
    LongWork<DayWork> work_{[this] { redraw(); }};
    HallRates rates_;

    // The days drawn: played for slumpSetup_ from the draw's seed, each also as its envelope.
    std::vector<std::vector<std::int32_t>> slumpNets_;
    std::vector<MinMaxEnvelope> slumpEnvelopes_;
    DaySetup slumpSetup_{-1, 0};
    std::uint64_t draw_ = 1;
    std::uint64_t slumpDraw_ = 0;

    bool active_ = false;
};

}  // namespace korvale
