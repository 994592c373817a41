#pragma once

// The stopping rules of the ヤメ時 tab, worked out on workers at the lowest priority: the sweep of
// rule_risk_sweep.h one setting at a time (so that what is done is kept when the rest is called
// off, and the setting on show comes first), and one rule off the grid on a worker of its own.
// The sweep does not depend on the run: what is worked out is kept, by grid and setting, while
// the program runs.

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "machine/attempt_end.h"

namespace korvale {

// One setting's sweep over a grid.
struct RuleSweepSetup {
    SweepGrid grid;
    std::int32_t setting = 0;
    bool operator==(const RuleSweepSetup&) const = default;
};

struct RuleSweep {
    RuleSweepSetup setup;
    SettingRuleRisks risks;
    QString failure;  // why there is none
    bool cancelled = false;
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
    bool cancelled = false;
};

// What is being worked out, shared with the worker: it reads the call-off flag and raises the
// share done.
struct RuleWork {
    std::atomic<bool> cancel{false};
    std::atomic<double> done{0.0};
};

class QuitRuleService final : public QObject {
    Q_OBJECT

  public:
    explicit QuitRuleService(const SweepGrid& grid, QObject* parent = nullptr);
    // The work in hand is called off; nothing waits for it.
    ~QuitRuleService() override;

    const SweepGrid& grid() const { return grid_; }

    // Works out every setting's sweep not yet kept, `first` first; nothing when all are in.
    void start(std::int32_t first);
    // The setting to work out next, once the one in hand is done.
    void preferNext(std::int32_t setting) { preferred_ = setting; }
    // Calls off the work in hand (the sweep and the one rule); what is done stays kept.
    void callOff();

    // A setting's sweep, once worked out (or found not to be), else nullptr.
    const RuleSweep* sweep(std::int32_t setting) const;
    bool sweepPending() const { return sweepWork_ != nullptr; }
    // The setting being worked out, and how far all six are (0 to 1).
    std::int32_t settingInHand() const { return inHand_; }
    double sweepDone() const;

    // Wants the figures of one rule off the grid from now on (the last asked is the one kept
    // in hand; work for another is called off).
    void requestRule(const OneRuleSetup& setup);
    const OneRule* rule(const OneRuleSetup& setup) const;
    bool rulePending() const { return ruleWork_ != nullptr; }

    // For tests: waits until a setting's sweep is in, or the rule asked last.
    void waitForSweep(std::int32_t setting);
    void waitForRule();

  signals:
    // A sweep or a rule came in.
    void arrived();

  private:
    void startNext();
    void takeSweep(const std::shared_ptr<const RuleSweep>& sweep);
    void takeRule(const std::shared_ptr<const OneRule>& rule);

    SweepGrid grid_;
    std::vector<std::shared_ptr<const RuleSweep>> sweeps_;  // by setting
    bool wanted_ = false;
    std::int32_t preferred_ = 0;
    std::int32_t inHand_ = -1;
    std::shared_ptr<RuleWork> sweepWork_;
    QFutureWatcher<std::shared_ptr<const RuleSweep>> sweepWatcher_;

    std::optional<OneRuleSetup> wantedRule_;
    std::shared_ptr<const OneRule> rule_;
    std::shared_ptr<RuleWork> ruleWork_;
    QFutureWatcher<std::shared_ptr<const OneRule>> ruleWatcher_;
};

}  // namespace korvale
