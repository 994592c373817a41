#pragma once

// The analysis window: a second top-level window beside the main one, opened from its 表示
// menu, that shows the run on the main window as figures and graphs. It reads what the run has
// published (its record: the setup Start read, the rows the grid shows, the games) at most ten
// times a second while it is open, and nothing while it is closed; the run does not know it is
// there. It follows the main window's choice of the next run by that window's signals. Its tabs
// are listed in analysis_tabs.cpp and reached only through their interface (analysis_tab.h). Exact
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
#include <stdexcept>

#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/attempt_reach_text.h"
#include "ui/analysis_window/cash_service.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/hall_rates_panel.h"
#include "ui/analysis_window/run_feed.h"
#include "ui/analysis_window/run_view.h"
#include "ui/main_window/frm_main.h"

namespace korvale {

class frmAnalysis final : public QWidget, private RunView {
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
    const RunFeed& feed() const override { return feed_; }
    QTabWidget& tabs() { return *tabs_; }
    HallRatesPanel& hallRatesPanel() { return *rates_; }
    // The tab of that type, and the one of that title (nullptr when there is none).
    template <class Tab>
    Tab& tab() const {
        for (AnalysisTab* each : list_) {
            if (auto* found = dynamic_cast<Tab*>(each)) {
                return *found;
            }
        }
        throw std::logic_error("frmAnalysis: no tab of that type");
    }
    AnalysisTab* tabTitled(const QString& title) const;
    // Puts a tab on show.
    void showTab(AnalysisTab& tab) { tabs_->setCurrentWidget(&tab.page()); }
    // The line above the tabs that names the setup of the figures on show.
    const QLabel& heading() const { return *heading_; }
    // Whether the exact figures of the run on show are still being worked out; waits for them.
    bool exactPending() const { return service_->figuresPending(); }
    void waitForExact() { service_->waitForFigures(); }
    // The exact figures of the run on show, once worked out.
    const ExactFigures* exact() const override { return service_->figures(exactSetup_); }
    // The same for the law of an attempt (attempt runs only; it follows the figures).
    bool lawPending() const { return service_->lawPending(); }
    void waitForLaw() { service_->waitForLaw(); }
    std::shared_ptr<const OutcomeLaw> law() const override;
    // Why there is no law of an attempt to draw, when there is none.
    QString noLawReason() const override;
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
        std::vector<const AnalysisTab*> tabs;
        std::function<bool()> pending;
        std::function<void(bool)> hold;
    };
    void listWork();

    // The tabs follow the main window's setting and end boxes as they are chosen and typed.
    void followMainWindow();
    void endTyped();
    AnalysisTab& onShow() const;
    // Names the setup of the run on show, and says so when the main window's choice differs.
    void updateHeading();
    void restart();
    void exactArrived();
    void redrawCurrent();

    // The run on show, for the tabs that draw it.
    void catchUpFilter() override;
    std::int64_t gamesShown() const override;
    std::vector<FigureRow> figureRows() const override;
    bool figuresPending() const override { return exactPending() || lawPending(); }
    std::vector<FigureRow> attemptRows(const ExactFigures* figures) const;
    // From cash: asks for the simulation of the run on show once its figures say it can end.
    void requestCash();
    std::optional<CashSetup> cashSetup() const;
    std::vector<FigureRow> cashRows(const ExactFigures* figures) const;
    // How far the exact work is, and a warning when no attempt of the run can end.
    QString exactStatus() const override;
    QString exactWorkStatus() const;
    std::optional<double> expectedNetPerStep() const override;

    const frmMain& source_;
    RunFeed feed_;
    QLabel* heading_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    HallRatesPanel* rates_ = nullptr;
    // The tabs in their order (the tab bar owns them).
    std::vector<AnalysisTab*> list_;
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
    // Why no attempt of the run on show can end within its counters, if so.
    std::optional<UnreachableEnds> unreachable_;
    LongWork<CashWork> cash_{[this] { exactArrived(); }};
};

}  // namespace korvale
