#pragma once

// The stopping rules of the ヤメ時 tab, worked out on workers at the lowest priority
// (long_work.h): the sweep of rule_risk_sweep.h one setting at a time (so that what is done is
// kept when the rest is called off), each rule handed over as it comes in, and one rule off
// the grid on a worker of its own. The setting on show is worked out first, then the main
// window's, then the others; work in hand for a setting that is neither gives way to the one
// on show, while the main window's is always finished. The sweep does not depend on the run:
// what is worked out is kept, by grid and setting, while the program runs.

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "machine/attempt_end.h"
#include "ui/analysis_window/long_work.h"

namespace korvale {

// One setting's sweep over a grid.
struct RuleSweepSetup {
    SweepGrid grid;
    std::int32_t setting = 0;
    bool operator==(const RuleSweepSetup&) const = default;
};

struct RuleSweep {
    RuleSweepSetup setup;
    // The grid's rules, BIG end major; the frontier once every rule is in.
    SettingRuleRisks risks;
    std::vector<bool> ruleIn;  // which rules are worked out (so far, while the sweep goes on)
    std::size_t rulesIn = 0;
    QString failure;  // why there is none
    bool complete() const { return rulesIn == ruleIn.size() && !risks.onFrontier.empty(); }
};

// The sweep of one setting (a minute or more), each rule shown as it comes in.
struct RuleSweepWork {
    using Setup = RuleSweepSetup;
    using Result = RuleSweep;
    // Six settings of two grids; a setting's sweep of the default grid is some tens of kilobytes.
    static constexpr std::size_t keptCount = 12;
    static constexpr const char* subject = "";
    static QString failure(const Status& status);
    static RuleSweep solve(const RuleSweepSetup& setup, const LongWorkControl<RuleSweep>& control);
};

// One rule of one setting, as the sweep works out each of its own.
struct OneRuleSetup {
    std::int32_t setting = 0;
    EndConditions end{0.0, 0};
    bool operator==(const OneRuleSetup& other) const {
        return setting == other.setting && end.bigEnd == other.end.bigEnd &&
               end.regEnd == other.end.regEnd;
    }
};

struct OneRule {
    OneRuleSetup setup;
    AttemptFigures figures;
    RuleRisk risk;
    QString failure;  // why there are no figures
};

// A rule typed in that is not on the grid; a rule typed in is not held up by the sweep.
struct OneRuleWork {
    using Setup = OneRuleSetup;
    using Result = OneRule;
    static constexpr std::size_t keptCount = 16;
    static constexpr const char* subject = "";
    static QString failure(const Status& status);
    static OneRule solve(const OneRuleSetup& setup, const LongWorkControl<OneRule>& control);
};

// The setting whose sweep to work on, given which are done (by setting), the one on show, the
// main window's and the one in hand (-1: none): the one on show first, then the main window's,
// then the others from the one on show on. The one in hand goes on unless the one on show
// waits and the one in hand is not the main window's. -1 when all are done.
std::int32_t settingToSweep(const std::vector<bool>& done, std::int32_t shown, std::int32_t chosen,
                            std::int32_t inHand);

class QuitRuleService final : public QObject {
    Q_OBJECT

  public:
    explicit QuitRuleService(const SweepGrid& grid, QObject* parent = nullptr);

    const SweepGrid& grid() const { return grid_; }

    // Works out every setting's sweep not yet kept; nothing when all are in.
    void start();
    // The setting on show and the main window's (0 to 5): the order of the work.
    void setShown(std::int32_t setting);
    void setChosen(std::int32_t setting);
    // Calls off the work in hand (the sweep and the one rule); what is done stays kept.
    void callOff();
    // Holds the work in hand and any begun later, or lets it go on (long_work.h).
    void hold(bool held) {
        sweepWork_.hold(held);
        ruleWork_.hold(held);
    }
    bool held() const { return sweepWork_.held() || ruleWork_.held(); }
    bool pending() const { return sweepWork_.pending() || ruleWork_.pending(); }

    // A setting's sweep once worked out (or found not to be), else nullptr.
    const RuleSweep* sweep(std::int32_t setting) const;
    // The same, or while it is in hand the rules so far (nullptr before the first).
    std::shared_ptr<const RuleSweep> sweepSoFar(std::int32_t setting) const;
    bool sweepPending() const { return sweepWork_.pending(); }
    // The setting being worked out (-1: none), how far it is (0 to 1), about how many seconds
    // it still takes and how long it has taken; how far all six are.
    std::int32_t settingInHand() const;
    double sweepDone() const { return sweepWork_.done(); }
    std::optional<double> sweepSecondsLeft() const { return sweepWork_.secondsLeft(); }
    double sweepSecondsTaken() const { return sweepWork_.secondsTaken(); }
    double allDone() const;

    // Wants the figures of one rule off the grid from now on (the last asked is the one kept
    // in hand; work for another is called off).
    void requestRule(const OneRuleSetup& setup) { ruleWork_.request(setup); }
    const OneRule* rule(const OneRuleSetup& setup) const { return ruleWork_.result(setup).get(); }
    bool rulePending() const { return ruleWork_.pending(); }

    // For tests: waits until a setting's sweep is in, or the rule asked last.
    void waitForSweep(std::int32_t setting);
    void waitForRule() { ruleWork_.waitForResult(); }

  signals:
    // A sweep or a rule came in.
    void arrived();

  private:
    void startNext();
    void sweepArrived();

    SweepGrid grid_;
    std::vector<std::shared_ptr<const RuleSweep>> sweeps_;  // by setting
    bool wanted_ = false;
    std::int32_t shown_ = 0;
    std::int32_t chosen_ = 0;
    LongWork<RuleSweepWork> sweepWork_{[this] { sweepArrived(); }};
    LongWork<OneRuleWork> ruleWork_{[this] { emit arrived(); }};
};

}  // namespace korvale
