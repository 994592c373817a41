#include "analysis/quit_rules/rule_risk_sweep.h"

#include "common/runtime_error.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <numeric>
#include <thread>

#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/efficient_frontier.h"
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

// About how long a rule's law takes, for the order of the work and its progress: it grows
// with the BIG end, a REG end above the BIG end takes the dearer law of its own, and 設定６'s
// rounding period (1000 games, not 250) makes either dearer.
double lawCost(std::int32_t setting, EndConditions end) {
    if (!outcomeLawCovers(end)) {
        return (500.0 + end.regEnd) * (setting == 5 ? 2.5 : 1.0);
    }
    return (std::max(end.bigEnd, 0.0) + 150.0) * (setting == 5 ? 1.5 : 1.0);
}

}  // namespace

RuleRisk solveRuleRisk(std::int32_t setting, EndConditions end, const std::atomic<bool>* cancel,
                       unsigned threads) {
    RuleRisk risk;
    NetLawHead head;
    try {
        head = solveNetLawHead(setting, end, threads, cancel);
    } catch (const RuntimeError& error) {
        // Attempts too long for the law's tables: this rule has no figures, the others do.
        if (error.kind() == ErrorKind::AttemptsTooLong) {
            return risk;
        }
        throw;
    }
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

std::vector<SettingRuleRisks> sweepRuleRisks(const SweepGrid& grid, unsigned threads,
                                             const SweepProgress& progress,
                                             std::vector<std::int32_t> settings,
                                             const std::atomic<bool>* cancel,
                                             const RuleRiskArrived& arrived) {
    if (threads == 0) {
        threads = std::max(1U, std::thread::hardware_concurrency());
    }
    // The means first: a small share of the work.
    const std::vector<SettingSweep> means = sweepEndConditions(grid, threads, {}, settings, cancel);
    std::vector<SettingRuleRisks> sweeps(means.size());
    for (std::size_t s = 0; s < means.size(); ++s) {
        sweeps[s].figures = means[s];
        sweeps[s].risks.resize(means[s].points.size());
    }
    // One law a task, one thread a law; the costliest first, so that no long law is left to
    // run alone at the end. The share done is told by cost too.
    struct Task {
        std::size_t setting;
        std::size_t point;
        double cost;
    };
    std::vector<Task> tasks;
    double totalCost = 0.0;
    for (std::size_t s = 0; s < sweeps.size(); ++s) {
        for (std::size_t p = 0; p < sweeps[s].risks.size(); ++p) {
            const double cost = lawCost(sweeps[s].figures.setting, sweeps[s].figures.points[p].end);
            tasks.push_back({s, p, cost});
            totalCost += cost;
        }
    }
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const Task& a, const Task& b) { return a.cost > b.cost; });
    std::mutex doneLock;
    double costDone = 0.0;
    shareTasks(tasks.size(), threads, [&](std::size_t i) {
        const Task& t = tasks[i];
        const SettingRuleRisks& sweep = sweeps[t.setting];
        const RuleRisk& risk = sweeps[t.setting].risks[t.point] =
            solveRuleRisk(sweep.figures.setting, sweep.figures.points[t.point].end, cancel);
        double share = 0.0;
        {
            const std::lock_guard<std::mutex> lock(doneLock);
            costDone += t.cost;
            share = costDone / totalCost;
            if (arrived) {
                arrived(sweep.figures.setting, t.point, sweep.figures.points[t.point], risk);
            }
        }
        if (progress && currentWorker() == 0U) {
            progress(std::min(share, 1.0));
        }
    });
    if (cancel != nullptr && cancel->load()) {
        throw WorkCancelled();
    }
    for (SettingRuleRisks& sweep : sweeps) {
        std::vector<FrontierCandidate> candidates;
        for (std::size_t p = 0; p < sweep.risks.size(); ++p) {
            candidates.push_back({sweep.figures.points[p].netPer1000Games, sweep.risks[p].pAhead,
                                  sweep.risks[p].known});
        }
        sweep.onFrontier = efficientFrontier(candidates);
    }
    if (progress) {
        progress(1.0);
    }
    return sweeps;
}

}  // namespace korvale
