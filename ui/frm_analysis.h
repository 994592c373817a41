#pragma once

// The analysis window: a second top-level window beside the main one, opened from its 表示
// menu, that shows the run on the main window as figures and graphs. It reads what the run has
// handed to the main window (the grid's rows, the setup Start read) at most ten times a second
// while it is open, and nothing while it is closed; the run does not know it is there. Exact
// figures are worked out on a worker thread; the window says so while they are.

#include <QFutureWatcher>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

#include "analysis/attempt.h"
#include "analysis/gap_law.h"
#include "analysis/long_run.h"
#include "analysis/outcome_law.h"
#include "analysis/setting_estimate.h"
#include "ui/drought_panel.h"
#include "ui/figures_panel.h"
#include "ui/frm_main.h"
#include "ui/posterior_panel.h"
#include "ui/run_feed.h"
#include "ui/slump_panel.h"

namespace korvale {

// The exact figures for one run's setup.
struct ExactFigures {
    bool attempts = false;
    std::int32_t setting = 0;
    EndConditions end;
    std::optional<LongRunFigures> longRun;
    std::optional<AttemptFigures> attempt;
    // Per-mode run: what the setting posterior needs of the models (a backward pass), and the
    // laws of the waits between BIGs and between bonuses.
    std::shared_ptr<const SettingEstimator> estimator;
    std::shared_ptr<const LongRunGaps> gaps;
    QString failure;  // why there are none
};

// Works out the exact figures for a setup (seconds for an attempt run), or takes them from the
// figures this program has worked out before.
ExactFigures solveExactFigures(const RunSetup& setup);

// The exact law of one attempt for an attempt run's setup: it takes longer than the figures
// (up to some tens of seconds for long end conditions), so it comes after them.
struct ExactLaw {
    std::shared_ptr<const OutcomeLaw> law;
    QString failure;         // why there is none
    bool cancelled = false;  // called off before it was done
};

// Works out the law, or takes it from the laws this program has worked out before; stops early
// (cancelled) once `*cancel` is set.
ExactLaw solveExactLaw(const RunSetup& setup, const std::atomic<bool>* cancel);

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
    // Whether the exact figures of the current setup are still being worked out; waits for them.
    bool exactPending() const { return computing_; }
    void waitForExact();
    const std::optional<ExactFigures>& exact() const { return exact_; }
    // The same for the law of an attempt (attempt runs only; it follows the figures).
    bool lawPending() const { return lawComputing_; }
    void waitForLaw();
    std::shared_ptr<const OutcomeLaw> law() const { return law_ ? law_->law : nullptr; }
    // Panels redrawn so far (at most one a refresh).
    std::int64_t redraws() const { return redraws_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void restart();
    void startExact();
    void exactDone();
    void startLaw();
    void lawDone();
    void redrawCurrent();
    std::vector<FigureRow> figureRows() const;
    QString exactStatus() const;
    // Net coins per game (per-mode run) or per attempt to be expected, once worked out.
    std::optional<double> expectedNetPerStep() const;

    const frmMain& source_;
    RunFeed feed_;
    QTabWidget* tabs_ = nullptr;
    FiguresPanel* figures_ = nullptr;
    SlumpPanel* slump_ = nullptr;
    DroughtPanel* drought_ = nullptr;
    PosteriorPanel* posterior_ = nullptr;
    QTimer timer_;
    bool stale_ = true;
    std::int64_t redraws_ = 0;
    std::chrono::steady_clock::time_point lastRedraw_{};
    std::chrono::milliseconds redrawInterval_{refreshMilliseconds};

    QFutureWatcher<ExactFigures> watcher_;
    bool computing_ = false;
    RunSetup computingFor_;
    std::optional<ExactFigures> exact_;

    QFutureWatcher<ExactLaw> lawWatcher_;
    bool lawComputing_ = false;
    RunSetup lawFor_;
    std::shared_ptr<std::atomic<bool>> lawCancel_;
    std::optional<ExactLaw> law_;
};

}  // namespace korvale
