#include "analysis/quit_rules/rule_risk_sweep.h"

#include "common/status.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <numeric>

#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/efficient_frontier.h"
#include "analysis/quit_rules/rule_cost.h"
#include "common/parallel_work.h"

namespace korvale {

namespace {

// How far the q-quantile of the table can be from the true one when every cumulative chance
// may be off by `error`.
std::int64_t quantileBound(const IntegerLaw& law, double q, double error) {
    const std::int64_t at = law.quantile(q);
    const std::int64_t low = law.quantile(std::max(q - error, 1e-300));
    const std::int64_t high = law.quantile(std::min(q + error, 1.0 - 1e-16));
    return std::max(at - low, high - at);
}

// The chance of net = from .. to in the table, with what its error can add.
double massNear(const NetLawHead& head, std::int64_t from, std::int64_t to) {
    double mass = 0.0;
    for (std::int64_t k = from; k <= to; ++k) {
        mass += head.net.at(k) + 2.0 * head.errorBound;
    }
    return mass;
}

// The error bound on P(net <= k) near k: the table's, and the long attempts' whose net may
// be one coin off, at most those with a net next to k.
double cumulativeBound(const NetLawHead& head, std::int64_t from, std::int64_t to) {
    return head.errorBound + std::min(head.beyondRounding, massNear(head, from, to));
}

}  // namespace

RuleRisk solveRuleRisk(std::int32_t setting, EndConditions end, const AttemptStart& start,
                       const WorkControl& control) {
    try {
        return ruleRiskOf(solveNetLawHead(setting, end, start, control));
    } catch (const StatusError& error) {
        // Attempts too long for the law's tables: this rule has no figures, the others do.
        if (error.reason() == StatusReason::AttemptsTooLong) {
            return {};
        }
        throw;
    }
}

RuleRisk ruleRiskOf(const NetLawHead& head) {
    RuleRisk risk;
    risk.errorBound = cumulativeBound(head, 0, 1);
    if (risk.errorBound > riskBoundLimit) {
        return risk;
    }
    risk.known = true;
    risk.pAhead = head.pAhead;
    risk.netP50 = head.net.quantile(0.5);
    risk.netP10 = head.net.quantile(0.1);
    risk.netP50Bound =
        quantileBound(head.net, 0.5, cumulativeBound(head, risk.netP50 - 2, risk.netP50 + 2));
    risk.netP10Bound =
        quantileBound(head.net, 0.1, cumulativeBound(head, risk.netP10 - 2, risk.netP10 + 2));
    return risk;
}

namespace {

// One rule's risk: a task of the sweep.
struct RiskTask {
    std::size_t setting;
    std::size_t point;
    double cost;  // ruleRiskSeconds
};

// The share of a sweep's work done, weighed by the cost model so that it tracks the time: the
// work finished, and of each law under way the part its time so far makes likely (by the pace
// of the laws finished against their model), never all of it; none of it before a law has
// finished (a loaded machine may take many times the model's seconds: a share run ahead would
// stand still later).
class SweepShare {
  public:
    SweepShare(double total, unsigned workers) : total_(total), running_(workers) {}

    // Work finished without a law under way: the means, or a risk known before.
    void finishMeans(double cost) {
        const std::lock_guard<std::mutex> lock(lock_);
        done_ += cost;
    }
    void begin(unsigned worker, double cost) {
        const std::lock_guard<std::mutex> lock(lock_);
        running_[worker] = {Clock::now(), cost};
    }
    void finish(unsigned worker) {
        const std::lock_guard<std::mutex> lock(lock_);
        Running& task = running_[worker];
        done_ += task.cost;
        modelDone_ += task.cost;
        secondsDone_ += std::chrono::duration<double>(Clock::now() - task.since).count();
        task.cost = 0.0;
    }
    // The share with `meansShare` of `meansCost` under way besides.
    double share(double meansCost = 0.0, double meansShare = 0.0) {
        const std::lock_guard<std::mutex> lock(lock_);
        const double pace = modelDone_ > 0.0 ? secondsDone_ / modelDone_ : 0.0;
        double going = meansCost * meansShare;
        for (const Running& task : running_) {
            if (task.cost > 0.0 && pace > 0.0) {
                const double seconds =
                    std::chrono::duration<double>(Clock::now() - task.since).count();
                going += task.cost * std::min(seconds / (task.cost * pace), 0.9);
            }
        }
        shown_ = std::max(shown_, std::min((done_ + going) / total_, 1.0));
        return shown_;
    }

  private:
    using Clock = std::chrono::steady_clock;
    struct Running {
        Clock::time_point since{};
        double cost = 0.0;  // 0: no law under way
    };
    std::mutex lock_;
    double total_;
    double done_ = 0.0;
    double modelDone_ = 0.0;
    double secondsDone_ = 0.0;
    double shown_ = 0.0;
    std::vector<Running> running_;
};

// Every rule's risk task not yet solved: the settings in the order asked, each setting's rules
// from the highest mean net per 1000 games down. A rule is on the frontier when no rule of a
// higher rate ends ahead more often, so the frontier of the rules done is final down to the
// lowest rate done: it grows from its top as the risks come in and never takes back a rule it
// has shown.
std::vector<RiskTask> riskTasks(const std::vector<SettingRuleRisks>& sweeps) {
    std::vector<RiskTask> tasks;
    for (std::size_t s = 0; s < sweeps.size(); ++s) {
        const SettingSweep& figures = sweeps[s].figures;
        std::vector<std::size_t> points(figures.points.size());
        std::iota(points.begin(), points.end(), std::size_t{0});
        std::stable_sort(points.begin(), points.end(), [&](std::size_t a, std::size_t b) {
            return figures.points[a].netPer1000Games > figures.points[b].netPer1000Games;
        });
        for (const std::size_t p : points) {
            if (sweeps[s].solved[p]) {
                continue;
            }
            tasks.push_back({s, p, ruleRiskSeconds(figures.setting, figures.points[p].end)});
        }
    }
    return tasks;
}

// The means of each setting in turn, as far as the work gets before it is called off; false
// when it was. `work.threads` is a count already (not 0).
bool solveMeans(RuleRiskSweep& sweep, const std::vector<std::int32_t>& settings,
                const SweepGrid& grid, const WorkControl& work, SweepShare& share) {
    const double cost = meansSeconds(grid);
    for (const std::int32_t setting : settings) {
        const WorkControl means{.cancel = work.cancel,
                                .progress =
                                    [&](double done) {
                                        if (work.progress) {
                                            work.progress(share.share(cost, done));
                                        }
                                    },
                                .threads = work.threads};
        try {
            SettingRuleRisks one;
            one.figures = sweepEndConditions(grid, {setting}, means).front();
            one.risks.resize(one.figures.points.size());
            one.solved.resize(one.figures.points.size(), false);
            one.onFrontier.resize(one.figures.points.size(), false);
            sweep.settings.push_back(std::move(one));
        } catch (const WorkCancelled&) {
            return false;
        }
        share.finishMeans(cost);
    }
    return true;
}

// The risks known before, taken as solved.
void takeKnown(RuleRiskSweep& sweep, const KnownRisks& known, SweepShare& share) {
    for (std::size_t s = 0; s < std::min(sweep.settings.size(), known.size()); ++s) {
        SettingRuleRisks& one = sweep.settings[s];
        for (std::size_t p = 0; p < std::min(one.risks.size(), known[s].size()); ++p) {
            if (known[s][p]) {
                one.risks[p] = *known[s][p];
                one.solved[p] = true;
                share.finishMeans(ruleRiskSeconds(one.figures.setting, one.figures.points[p].end));
            }
        }
    }
}

// Every rule's risk, one law a thread, the share told on the calling thread as it goes; false
// when the work was called off (the risks finished by then are kept). `work.threads` is a
// count already (not 0).
bool solveRisks(RuleRiskSweep& sweep, const SweepGrid& grid, const WorkControl& work,
                SweepShare& share, const RuleRiskArrived& arrived) {
    const std::vector<RiskTask> tasks = riskTasks(sweep.settings);
    std::vector<char> solved(tasks.size(), 0);  // written by the workers, one element each
    std::atomic<std::size_t> next{0};
    std::mutex arrivedLock;
    // One worker runs on the calling thread (where there are no threads to start, as in a
    // page's engine), telling the share itself after each rule.
    const auto started = static_cast<unsigned>(std::min<std::size_t>(work.threads, tasks.size()));
    const bool alone = started <= 1;
    Workers workers([&](unsigned worker) {
        for (std::size_t i = next++; i < tasks.size() && !workStopped(); i = next++) {
            const RiskTask& t = tasks[i];
            SettingRuleRisks& setting = sweep.settings[t.setting];
            share.begin(worker, t.cost);
            const std::int32_t index = setting.figures.setting;
            const AttemptStart start =
                grid.sinceBig ? foundStart(machineModel(index), *grid.sinceBig) : morningStart();
            setting.risks[t.point] = solveRuleRisk(index, setting.figures.points[t.point].end,
                                                   start, {.cancel = work.cancel, .threads = 1});
            solved[i] = 1;
            share.finish(worker);
            if (alone && work.progress) {
                work.progress(share.share());
            }
            if (arrived) {
                const std::lock_guard<std::mutex> lock(arrivedLock);
                arrived(setting.figures.setting, t.point, setting.figures.points[t.point],
                        setting.risks[t.point]);
            }
        }
    });
    if (alone) {
        workers.runHere(0);
    } else {
        for (unsigned worker = 0; worker < started; ++worker) {
            workers.start(worker);
        }
    }
    while (!workers.waitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(200))) {
        if (work.progress) {
            work.progress(share.share());
        }
    }
    bool whole = true;
    try {
        workers.join();
    } catch (const WorkCancelled&) {
        whole = false;
    }
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        sweep.settings[tasks[i].setting].solved[tasks[i].point] = solved[i] != 0;
    }
    return whole;
}

}  // namespace

RuleRiskSweep sweepRuleRisksSoFar(const SweepGrid& grid, const std::vector<std::int32_t>& settings,
                                  bool withRisk, const RuleRiskArrived& arrived,
                                  const WorkControl& control, const KnownRisks& known) {
    withRisk = withRisk && !grid.maxGames;
    const WorkControl work{
        .cancel = control.cancel, .progress = control.progress, .threads = control.workers()};
    double total = meansSeconds(grid) * static_cast<double>(settings.size());
    if (withRisk) {
        for (const std::int32_t setting : settings) {
            for (const EndConditions& end : sweepPoints(grid)) {
                total += ruleRiskSeconds(setting, end);
            }
        }
    }
    SweepShare share(total, work.threads);
    RuleRiskSweep sweep;
    sweep.complete = solveMeans(sweep, settings, grid, work, share);
    if (sweep.complete && withRisk) {
        takeKnown(sweep, known, share);
        sweep.complete = solveRisks(sweep, grid, work, share, arrived);
    }
    for (SettingRuleRisks& one : sweep.settings) {
        std::vector<FrontierCandidate> candidates;
        for (std::size_t p = 0; p < one.risks.size(); ++p) {
            candidates.push_back(
                {one.figures.points[p].netPer1000Games, one.risks[p].pAhead, one.risks[p].known});
        }
        one.onFrontier = efficientFrontier(candidates);
    }
    if (control.progress && sweep.complete) {
        control.progress(1.0);
    }
    return sweep;
}

std::vector<SettingRuleRisks> sweepRuleRisks(const SweepGrid& grid,
                                             std::vector<std::int32_t> settings,
                                             const RuleRiskArrived& arrived,
                                             const WorkControl& control, const KnownRisks& known) {
    RuleRiskSweep sweep = sweepRuleRisksSoFar(grid, settings, true, arrived, control, known);
    if (!sweep.complete) {
        throw WorkCancelled();
    }
    return std::move(sweep.settings);
}

}  // namespace korvale
