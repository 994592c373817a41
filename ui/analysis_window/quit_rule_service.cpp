#include "ui/analysis_window/quit_rule_service.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <new>

#include "common/runtime_error.h"
#include "machine/korvale_tables.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/kept_results.h"

namespace korvale {

namespace {

// Six settings of two grids; a setting's sweep of the default grid is some tens of kilobytes.
KeptResults<RuleSweep>& keptSweeps() {
    static auto* kept = new KeptResults<RuleSweep>(2 * settingCount);
    return *kept;
}

KeptResults<OneRule>& keptRules() {
    static auto* kept = new KeptResults<OneRule>(16);
    return *kept;
}

// One worker each, made once and kept while the program runs: a rule typed in is not held up
// by the minutes of the sweep.
QThreadPool& pool(bool sweep) {
    static auto* const pools = [] {
        auto* made = new QThreadPool[2];
        made[0].setMaxThreadCount(1);
        made[1].setMaxThreadCount(1);
        return made;
    }();
    return pools[sweep ? 0 : 1];
}

// Whatever goes wrong is said, not thrown into the window's thread.
template <typename Result, typename Work>
void solveInto(Result& result, Work work) {
    try {
        work();
    } catch (const WorkCancelled&) {
        result.cancelled = true;
    } catch (const RuntimeError& error) {
        result.failure = figuresFailure(error);
    } catch (const std::bad_alloc&) {
        result.failure = QStringLiteral("メモリが足りず、求められません。");
    } catch (const std::exception& error) {
        result.failure =
            QStringLiteral("求められませんでした（%1）。").arg(QString::fromUtf8(error.what()));
    }
}

std::shared_ptr<const RuleSweep> sweepAtLowPriority(const RuleSweepSetup& setup,
                                                    const std::shared_ptr<RuleWork>& work) {
    lowerThisThreadsPriority();
    auto result = std::make_shared<RuleSweep>();
    result->setup = setup;
    solveInto(*result, [&] {
        std::vector<SettingRuleRisks> swept = sweepRuleRisks(
            setup.grid, 0, [&](double share) { work->done.store(share); }, {setup.setting},
            &work->cancel);
        result->risks = std::move(swept.front());
    });
    if (!result->cancelled) {
        keptSweeps().keep(result);
    }
    return result;
}

std::shared_ptr<const OneRule> ruleAtLowPriority(const OneRuleSetup& setup,
                                                 const std::shared_ptr<RuleWork>& work) {
    lowerThisThreadsPriority();
    auto result = std::make_shared<OneRule>();
    result->setup = setup;
    solveInto(*result, [&] {
        // The mean first (seconds), as the sweep has it; then the law (longer).
        result->figures =
            solveAttempt(setup.setting, setup.end, CostRounding::Unrounded, {&work->cancel, {}});
        work->done.store(0.1);
        result->risk = solveRuleRisk(setup.setting, setup.end, &work->cancel);
    });
    if (!result->cancelled) {
        keptRules().keep(result);
    }
    return result;
}

}  // namespace

QuitRuleService::QuitRuleService(const SweepGrid& grid, QObject* parent)
    : QObject(parent), grid_(grid), sweeps_(settingCount) {
    connect(&sweepWatcher_, &QFutureWatcherBase::finished, this,
            [this] { takeSweep(sweepWatcher_.result()); });
    connect(&ruleWatcher_, &QFutureWatcherBase::finished, this,
            [this] { takeRule(ruleWatcher_.result()); });
}

QuitRuleService::~QuitRuleService() {
    // The workers hold nothing of the service; their results are simply not taken.
    sweepWatcher_.disconnect();
    ruleWatcher_.disconnect();
    callOff();
}

void QuitRuleService::callOff() {
    wanted_ = false;
    inHand_ = -1;
    for (std::shared_ptr<RuleWork>* work : {&sweepWork_, &ruleWork_}) {
        if (*work) {
            (*work)->cancel = true;
            work->reset();
        }
    }
    if (!rule_) {
        wantedRule_.reset();  // asked again, it is worked out again
    }
}

void QuitRuleService::start(std::int32_t first) {
    preferred_ = first;
    wanted_ = true;
    if (!sweepWork_) {
        startNext();
    }
}

void QuitRuleService::startNext() {
    // Those kept before (by another window, or before a call-off) come at once.
    for (std::int32_t s = 0; s < settingCount; ++s) {
        auto& sweep = sweeps_[static_cast<std::size_t>(s)];
        if (!sweep) {
            sweep = keptSweeps().find(RuleSweepSetup{grid_, s});
        }
    }
    std::int32_t next = -1;
    for (std::int32_t i = 0; i < settingCount && next < 0; ++i) {
        const std::int32_t s = (preferred_ + i) % settingCount;
        if (!sweeps_[static_cast<std::size_t>(s)]) {
            next = s;
        }
    }
    inHand_ = next;
    if (next < 0) {
        wanted_ = false;
        return;
    }
    sweepWork_ = std::make_shared<RuleWork>();
    sweepWatcher_.setFuture(QtConcurrent::run(&pool(true), sweepAtLowPriority,
                                              RuleSweepSetup{grid_, next}, sweepWork_));
}

void QuitRuleService::takeSweep(const std::shared_ptr<const RuleSweep>& sweep) {
    if (!sweepWork_ || sweep->setup.setting != inHand_ || sweep->cancelled) {
        return;  // called off
    }
    sweepWork_.reset();
    sweeps_[static_cast<std::size_t>(sweep->setup.setting)] = sweep;
    if (wanted_) {
        startNext();
    }
    emit arrived();
}

const RuleSweep* QuitRuleService::sweep(std::int32_t setting) const {
    if (setting < 0 || setting >= settingCount) {
        return nullptr;
    }
    return sweeps_[static_cast<std::size_t>(setting)].get();
}

double QuitRuleService::sweepDone() const {
    double done = 0;
    for (const auto& sweep : sweeps_) {
        done += sweep ? 1.0 : 0.0;
    }
    if (sweepWork_) {
        done += sweepWork_->done.load();
    }
    return done / settingCount;
}

void QuitRuleService::requestRule(const OneRuleSetup& setup) {
    if (wantedRule_ == setup) {
        return;
    }
    if (ruleWork_) {
        ruleWork_->cancel = true;
        ruleWork_.reset();
    }
    wantedRule_ = setup;
    rule_ = keptRules().find(setup);
    if (rule_) {
        return;
    }
    ruleWork_ = std::make_shared<RuleWork>();
    ruleWatcher_.setFuture(QtConcurrent::run(&pool(false), ruleAtLowPriority, setup, ruleWork_));
}

void QuitRuleService::takeRule(const std::shared_ptr<const OneRule>& rule) {
    if (!wantedRule_ || !(rule->setup == *wantedRule_) || rule->cancelled) {
        return;
    }
    ruleWork_.reset();
    rule_ = rule;
    emit arrived();
}

const OneRule* QuitRuleService::rule(const OneRuleSetup& setup) const {
    return rule_ && rule_->setup == setup ? rule_.get() : nullptr;
}

void QuitRuleService::waitForSweep(std::int32_t setting) {
    while (sweep(setting) == nullptr && sweepWork_) {
        sweepWatcher_.waitForFinished();
        QCoreApplication::processEvents();
    }
}

void QuitRuleService::waitForRule() {
    while (ruleWork_) {
        ruleWatcher_.waitForFinished();
        QCoreApplication::processEvents();
    }
}

}  // namespace korvale
