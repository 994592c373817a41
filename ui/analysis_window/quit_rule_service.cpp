#include "ui/analysis_window/quit_rule_service.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

#include "machine/korvale_tables.h"
#include "ui/analysis_window/exact_service.h"

namespace korvale {

QString RuleSweepWork::failure(const Status& status) {
    return figuresFailure(status);
}

namespace {

// The rules of sweeps called off before they were done, for as long as the program runs: asked
// again, a sweep goes on from them. A dozen at most (six settings of two grids), the oldest let go.
class UnfinishedSweeps {
  public:
    // The rules kept for `setup` (taken away), or none.
    std::optional<RuleSweep> take(const RuleSweepSetup& setup) {
        const std::lock_guard lock(mutex_);
        const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const RuleSweep& sweep) {
            return sweep.setup == setup;
        });
        if (found == kept_.end()) {
            return std::nullopt;
        }
        RuleSweep sweep = std::move(*found);
        kept_.erase(found);
        return sweep;
    }
    void keep(RuleSweep sweep) {
        const std::lock_guard lock(mutex_);
        if (kept_.size() == 12) {
            kept_.erase(kept_.begin());
        }
        kept_.push_back(std::move(sweep));
    }

  private:
    std::mutex mutex_;
    std::vector<RuleSweep> kept_;
};

UnfinishedSweeps& unfinishedSweeps() {
    static auto* made = new UnfinishedSweeps;
    return *made;
}

// No rule in yet.
RuleSweep emptySweep(const RuleSweepSetup& setup) {
    const std::size_t rules = sweepPoints(setup.grid).size();
    RuleSweep sweep;
    sweep.setup = setup;
    sweep.risks.figures.setting = setup.setting;
    sweep.risks.figures.points.resize(rules);
    sweep.risks.risks.resize(rules);
    sweep.ruleIn.assign(rules, false);
    return sweep;
}

}  // namespace

RuleSweep RuleSweepWork::solve(const RuleSweepSetup& setup,
                               const LongWorkControl<RuleSweep>& control) {
    const std::size_t rules = sweepPoints(setup.grid).size();
    // The rules of a sweep called off before, drawn at once and not worked out again.
    RuleSweep soFar = unfinishedSweeps().take(setup).value_or(emptySweep(setup));
    KnownRisks known(1, std::vector<std::optional<RuleRisk>>(rules));
    for (std::size_t point = 0; point < rules; ++point) {
        if (soFar.ruleIn[point]) {
            known[0][point] = soFar.risks.risks[point];
        }
    }
    if (soFar.rulesIn > 0) {
        control.show(soFar);
    }
    // Each rule as it comes in; the sweep hands them over one at a time.
    const auto arrived = [&](std::int32_t, std::size_t point, const AttemptFigures& figures,
                             const RuleRisk& risk) {
        soFar.risks.figures.points[point] = figures;
        soFar.risks.risks[point] = risk;
        soFar.ruleIn[point] = true;
        ++soFar.rulesIn;
        control.show(soFar);
    };
    std::vector<SettingRuleRisks> swept;
    try {
        swept = sweepRuleRisks(setup.grid, {setup.setting}, arrived, control, known);
    } catch (const WorkCancelled&) {
        unfinishedSweeps().keep(std::move(soFar));
        throw;
    }
    RuleSweep sweep;
    sweep.risks = std::move(swept.front());
    sweep.ruleIn.assign(rules, true);
    sweep.rulesIn = rules;
    return sweep;
}

QString OneRuleWork::failure(const Status& status) {
    return figuresFailure(status);
}

OneRule OneRuleWork::solve(const OneRuleSetup& setup, const LongWorkControl<OneRule>& control) {
    OneRule rule;
    // The mean first (seconds), as the sweep has it; then the law (longer).
    rule.figures = solveAttempt(setup.setting, setup.end, CostRounding::Unrounded, {},
                                {.cancel = control.cancel});
    control.progress(0.1);
    rule.risk =
        solveRuleRisk(setup.setting, setup.end, {}, {.cancel = control.cancel, .threads = 1});
    return rule;
}

std::int32_t settingToSweep(const std::vector<bool>& done, std::int32_t shown, std::int32_t chosen,
                            std::int32_t inHand) {
    const auto count = static_cast<std::int32_t>(done.size());
    std::vector<std::int32_t> order = {shown, chosen};
    for (std::int32_t i = 1; i < count; ++i) {
        order.push_back((shown + i) % count);
    }
    std::int32_t next = -1;
    for (const std::int32_t s : order) {
        if (!done[static_cast<std::size_t>(s)]) {
            next = s;
            break;
        }
    }
    // The main window's setting is always finished; any other gives way to the one on show.
    if (inHand >= 0 && next >= 0 && (inHand == chosen || next != shown)) {
        return inHand;
    }
    return next;
}

QuitRuleService::QuitRuleService(const SweepGrid& grid, QObject* parent)
    : QObject(parent), grid_(grid), sweeps_(settingCount) {}

void QuitRuleService::start() {
    wanted_ = true;
    startNext();
}

void QuitRuleService::setShown(std::int32_t setting) {
    shown_ = setting;
    startNext();
}

void QuitRuleService::setChosen(std::int32_t setting) {
    chosen_ = setting;
    startNext();
}

void QuitRuleService::callOff() {
    wanted_ = false;
    sweepWork_.callOff();
    ruleWork_.callOff();
}

void QuitRuleService::startNext() {
    // Those kept before (by another window, or before a call-off) come at once.
    for (std::int32_t s = 0; s < settingCount; ++s) {
        auto& sweep = sweeps_[static_cast<std::size_t>(s)];
        if (!sweep) {
            sweep = LongWork<RuleSweepWork>::findKept(RuleSweepSetup{grid_, s});
        }
    }
    if (!wanted_) {
        return;
    }
    std::vector<bool> done;
    for (const auto& sweep : sweeps_) {
        done.push_back(sweep != nullptr);
    }
    const std::int32_t inHand = settingInHand();
    const std::int32_t next = settingToSweep(done, shown_, chosen_, inHand);
    if (next >= 0 && next != inHand) {
        sweepWork_.request(RuleSweepSetup{grid_, next});
    }
}

void QuitRuleService::sweepArrived() {
    const std::optional<RuleSweepSetup>& done = sweepWork_.wanted();
    if (done) {
        sweeps_[static_cast<std::size_t>(done->setting)] = sweepWork_.result(*done);
    }
    startNext();
    emit arrived();
}

const RuleSweep* QuitRuleService::sweep(std::int32_t setting) const {
    if (setting < 0 || setting >= settingCount) {
        return nullptr;
    }
    return sweeps_[static_cast<std::size_t>(setting)].get();
}

std::shared_ptr<const RuleSweep> QuitRuleService::sweepSoFar(std::int32_t setting) const {
    if (sweep(setting) != nullptr) {
        return sweeps_[static_cast<std::size_t>(setting)];
    }
    return setting == settingInHand() ? sweepWork_.soFar() : nullptr;
}

std::int32_t QuitRuleService::settingInHand() const {
    return sweepWork_.pending() ? sweepWork_.wanted()->setting : -1;
}

double QuitRuleService::allDone() const {
    double done = 0;
    for (const auto& sweep : sweeps_) {
        done += sweep ? 1.0 : 0.0;
    }
    if (sweepWork_.pending()) {
        done += sweepWork_.done();
    }
    return done / settingCount;
}

void QuitRuleService::waitForSweep(std::int32_t setting) {
    while (sweep(setting) == nullptr && sweepWork_.pending()) {
        sweepWork_.waitForResult();
    }
}

}  // namespace korvale
