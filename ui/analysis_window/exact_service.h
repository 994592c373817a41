#pragma once

// The exact figures of the analysis window, worked out on workers at a low priority for the
// setup asked last, and for no other: work for any other setup is called off at once, and what
// comes back is taken only for the setup it was worked out for. What is worked out is kept, by
// setup, so that another run or a window opened again finds it: the figures of the last 16
// setups and the laws of the last 4 (long_work.h).

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/attempt/attempt.h"
#include "analysis/inference/setting_estimate.h"
#include "analysis/long_run/gap_law.h"
#include "analysis/long_run/long_run.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "common/status.h"
#include "machine/attempt_end.h"
#include "ui/analysis_window/long_work.h"
#include "ui/runs/run_setup.h"

namespace korvale {

// What exact figures depend on: the run kind, the setting and, for an attempt run, the end
// conditions as the run reads its boxes (the numbers it plays by, not their text). A per-mode
// run has no end conditions: they stay {0, 0}.
struct ExactSetup {
    bool attempts = false;
    std::int32_t setting = 0;
    EndConditions end{0.0, 0};
    // Why the end conditions do not read as the run's numbers (then there are no figures).
    QString unreadable;

    bool operator==(const ExactSetup& other) const;
};

// The setup of a run, its end conditions read as the attempt run reads them.
ExactSetup exactSetupOf(const RunSetup& run);

// The exact figures for one setup.
struct ExactFigures {
    ExactSetup setup;
    std::optional<LongRunFigures> longRun;
    std::optional<AttemptFigures> attempt;
    // Per-mode run: what the setting posterior needs of the models (a backward pass), and the
    // laws of the waits between BIGs and between bonuses.
    std::shared_ptr<const SettingEstimator> estimator;
    std::shared_ptr<const LongRunGaps> gaps;
    QString failure;  // why there are none
};

// The long work of the figures (seconds for an attempt run).
struct ExactFiguresWork {
    using Setup = ExactSetup;
    using Result = ExactFigures;
    // A few kilobytes each.
    static constexpr std::size_t keptCount = 16;
    static constexpr const char* subject = "理論値は";
    static QString failure(const Status& status);
    static ExactFigures solve(const ExactSetup& setup,
                              const LongWorkControl<ExactFigures>& control);
};

// The exact figures for a setup worked out on the calling thread, or taken from those this
// program has worked out before.
ExactFigures solveExactFigures(const ExactSetup& setup);

// The exact law of one attempt for an attempt run's setup: it takes longer than the figures
// (up to some tens of seconds for long end conditions), so it comes after them.
struct ExactLaw {
    ExactSetup setup;
    std::shared_ptr<const OutcomeLaw> law;
    // For a REG end above the BIG end + 1, which no whole law covers: the chance to end ahead
    // and the 50% and 10% points from the head of the net's law, as the sweep gives them (known).
    std::optional<RuleRisk> head;
    QString failure;  // why there is neither
};

// The long work of the law, on a worker of its own: a long law never holds up the figures of
// the next run.
struct ExactLawWork {
    using Setup = ExactSetup;
    using Result = ExactLaw;
    // A law's two tables are at most 2^21 chances each (32 MiB together): 128 MiB at most.
    static constexpr std::size_t keptCount = 4;
    static constexpr const char* subject = "一回の差枚の分布は";
    static QString failure(const Status& status);
    static ExactLaw solve(const ExactSetup& setup, const LongWorkControl<ExactLaw>& control);
};

// An attempt's chance to end ahead and the 50% and 10% points of its net, from the whole law
// or from its head, as the window's rows show them; none while neither is had.
struct AttemptLawPoints {
    std::optional<double> pAhead;
    std::optional<double> netP50;
    std::optional<double> netP10;
};
AttemptLawPoints attemptLawPoints(const ExactLaw* law);

// What the window says when the figures or the law cannot be worked out: the cause the error
// names, in the window's words.
QString figuresFailure(const Status& status);
QString lawFailure(const Status& status);

// Works out the law, or takes it from the laws this program has worked out before, as
// solveExactFigures does.
ExactLaw solveExactLaw(const ExactSetup& setup);

// The figures and the law of the setup asked last, for one window.
class ExactService final : public QObject {
    Q_OBJECT

  public:
    explicit ExactService(QObject* parent = nullptr) : QObject(parent) {}

    // Wants the figures (and, for an attempt run, the law) of `setup` from now on: takes them
    // from those worked out before, or starts the work; work for any other setup is called off.
    void request(const ExactSetup& setup);

    // The figures and the law of `setup`, or nullptr while they are not at hand: never those of
    // another setup.
    const ExactFigures* figures(const ExactSetup& setup) const;
    const ExactLaw* law(const ExactSetup& setup) const;
    // Whether they are being worked out for the setup asked last, and how far (0 to 1).
    bool figuresPending() const { return figures_.pending(); }
    bool lawPending() const { return law_.pending(); }
    double figuresDone() const { return figures_.done(); }
    double lawDone() const { return law_.done(); }
    // Holds the work in hand and any begun later, or lets it go on (long_work.h).
    void hold(bool held) {
        figures_.hold(held);
        law_.hold(held);
    }
    bool pending() const { return figures_.pending() || law_.pending(); }
    // Waits until the figures, or the figures and the law, are in (for tests).
    void waitForFigures() { figures_.waitForResult(); }
    void waitForLaw();

  signals:
    // Figures or a law came in.
    void arrived();

  private:
    void figuresArrived();
    // The law follows the figures of an attempt run.
    void startLaw();

    LongWork<ExactFiguresWork> figures_{[this] { figuresArrived(); }};
    LongWork<ExactLawWork> law_{[this] { emit arrived(); }};
};

}  // namespace korvale
