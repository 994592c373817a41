#pragma once

// The analysis window: a second top-level window beside the main one, opened from its 表示
// menu, that shows the run on the main window as figures and graphs. It reads what the run has
// handed to the main window (the grid's rows, the setup Start read) at most ten times a second
// while it is open, and nothing while it is closed; the run does not know it is there. Exact
// figures are worked out on a worker thread for the setup of the run on show (and shown beside
// no other); the window says how far the work is while it goes on. The long work of the tab on
// show goes first: any other waits while it is in hand, and all of it waits, keeping what it
// has done, while the window is closed (long_work.h).

#include <functional>
#include <vector>

#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <optional>

#include "ui/analysis_window/aim_panel.h"
#include "ui/analysis_window/attempt_reach_text.h"
#include "ui/analysis_window/cash_service.h"
#include "ui/analysis_window/day_panel.h"
#include "ui/analysis_window/drought_panel.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/figures_panel.h"
#include "ui/analysis_window/hall_rates_panel.h"
#include "ui/analysis_window/posterior_panel.h"
#include "ui/analysis_window/quit_rule_panel.h"
#include "ui/analysis_window/run_feed.h"
#include "ui/analysis_window/slump_panel.h"
#include "ui/main_window/frm_main.h"

namespace korvale {

class frmAnalysis final : public QWidget {
    Q_OBJECT

  public:
    // Redraws at most every refreshMilliseconds (a graph every second one), and at most one
    // part in costShare of the time (but at least every longestRefreshMilliseconds).
    static constexpr int refreshMilliseconds = 100;
    static constexpr int longestRefreshMilliseconds = 1000;
    static constexpr int costShare = 20;

    explicit frmAnalysis(const frmMain& source, QWidget* parent = nullptr);
    ~frmAnalysis() override;

    // Takes the rows logged since the last look and redraws the panel on show, unless it was
    // redrawn less than refreshMilliseconds ago (then at a later refresh).
    void refresh();
    // The same, redrawn now.
    void refreshNow();
    // The graph of the panel on show, or nullptr when that panel has none.
    QWidget* graphOnShow();

    // For tests and benchmarks.
    const RunFeed& feed() const { return feed_; }
    QTabWidget& tabs() { return *tabs_; }
    FiguresPanel& figuresPanel() { return *figures_; }
    SlumpPanel& slumpPanel() { return *slump_; }
    DroughtPanel& droughtPanel() { return *drought_; }
    PosteriorPanel& posteriorPanel() { return *posterior_; }
    QuitRulePanel& quitRulePanel() { return *quitRules_; }
    HallRatesPanel& hallRatesPanel() { return *rates_; }
    AimPanel& aimPanel() { return *aim_; }
    DayPanel& dayPanel() { return *day_; }
    // The line above the tabs that names the setup of the figures on show.
    const QLabel& heading() const { return *heading_; }
    // Whether the exact figures of the run on show are still being worked out; waits for them.
    bool exactPending() const { return service_->figuresPending(); }
    void waitForExact() { service_->waitForFigures(); }
    // The exact figures of the run on show, once worked out.
    const ExactFigures* exact() const { return service_->figures(exactSetup_); }
    // The same for the law of an attempt (attempt runs only; it follows the figures).
    bool lawPending() const { return service_->lawPending(); }
    void waitForLaw() { service_->waitForLaw(); }
    std::shared_ptr<const OutcomeLaw> law() const;
    // Why there is no law of an attempt to draw, when there is none.
    QString noLawReason() const;
    // From cash, the seeded simulation of the cash an attempt puts in (attempt runs only).
    bool cashPending() const { return cash_.pending(); }
    void waitForCash() { cash_.waitForResult(); }
    // Panels redrawn so far (at most one a refresh).
    std::int64_t redraws() const { return redraws_; }
    // Holds the long work the window does not show now and lets the rest go on: all of it
    // while the window is closed, and while the tab on show has work in hand, that of the
    // other tabs. Done whenever that may have changed (at each refresh).
    void gateWork();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // One piece of long work: the tabs that show it, whether it has work in hand, and its hold.
    struct TabWork {
        std::vector<const QWidget*> tabs;
        std::function<bool()> pending;
        std::function<void(bool)> hold;
    };
    void listWork();

    // The ヤメ時, 狙い目 and 一日の収支 tabs follow the main window's setting and end boxes as they
    // are typed.
    void followMainWindow();
    // Names the setup of the run on show, and says so when the main window's choice differs.
    void updateHeading();
    void restart();
    void exactArrived();
    void redrawCurrent();
    std::vector<FigureRow> figureRows() const;
    std::vector<FigureRow> attemptRows(const ExactFigures* figures) const;
    // From cash: asks for the simulation of the run on show once its figures say it can end.
    void requestCash();
    std::optional<CashSetup> cashSetup() const;
    std::vector<FigureRow> cashRows(const ExactFigures* figures) const;
    // How far the exact work is, and a warning when no attempt of the run can end.
    QString exactStatus() const;
    QString exactWorkStatus() const;
    // Net coins per game (per-mode run) or per attempt to be expected, once worked out.
    std::optional<double> expectedNetPerStep() const;

    const frmMain& source_;
    RunFeed feed_;
    QLabel* heading_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    FiguresPanel* figures_ = nullptr;
    SlumpPanel* slump_ = nullptr;
    DroughtPanel* drought_ = nullptr;
    PosteriorPanel* posterior_ = nullptr;
    QuitRulePanel* quitRules_ = nullptr;
    HallRatesPanel* rates_ = nullptr;
    AimPanel* aim_ = nullptr;
    DayPanel* day_ = nullptr;
    QTimer timer_;
    // Shown and not closed since (minimised it stays open).
    bool open_ = false;
    std::vector<TabWork> work_;
    bool stale_ = true;
    std::int64_t redraws_ = 0;
    std::chrono::steady_clock::time_point lastRedraw_{};
    std::chrono::milliseconds redrawInterval_{refreshMilliseconds};

    ExactService* service_ = nullptr;
    // The setup of the run on show: only its exact figures are shown.
    ExactSetup exactSetup_;
    // The progress the figures tab shows, so that it is redrawn when that changes.
    QString statusShown_;
    // Why no attempt of the run on show can end within its counters, if so.
    std::optional<UnreachableEnds> unreachable_;
    LongWork<CashWork> cash_{[this] { exactArrived(); }};
};

}  // namespace korvale
