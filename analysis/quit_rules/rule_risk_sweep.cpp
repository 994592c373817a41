#include "analysis/quit_rules/rule_risk_sweep.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>

#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/efficient_frontier.h"
#include "common/parallel_work.h"

namespace korvale {

namespace {

// How far the q-quantile can move when every chance of the law may be off by `error`.
std::int64_t quantileBound(const IntegerLaw& law, double q, double error) {
    const std::int64_t at = law.quantile(q);
    const std::int64_t low = law.quantile(std::max(q - error, 1e-300));
    const std::int64_t high = law.quantile(std::min(q + error, 1.0 - 1e-16));
    return std::max(at - low, high - at);
}

}  // namespace

RuleRisk solveRuleRisk(std::int32_t setting, EndConditions end, const std::atomic<bool>* cancel) {
    RuleRisk risk;
    if (!outcomeLawCovers(end)) {
        return risk;
    }
    const OutcomeLaw law = solveOutcomeLaw(setting, end, 1, cancel);
    risk.known = true;
    risk.pAhead = law.pAhead;
    risk.netP50 = law.net.quantile(0.5);
    risk.netP10 = law.net.quantile(0.1);
    risk.errorBound = law.errorBound;
    risk.netP50Bound = quantileBound(law.net, 0.5, law.errorBound);
    risk.netP10Bound = quantileBound(law.net, 0.1, law.errorBound);
    return risk;
}

std::vector<SettingRuleRisks> sweepRuleRisks(const SweepGrid& grid, unsigned threads,
                                             const SweepProgress& progress,
                                             std::vector<std::int32_t> settings,
                                             const std::atomic<bool>* cancel) {
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
    // One law a task, one thread a law; the longest attempts (the largest BIG ends) first, so
    // that no long law is left to run alone at the end.
    struct Task {
        std::size_t setting;
        std::size_t point;
    };
    std::vector<Task> tasks;
    for (std::size_t s = 0; s < sweeps.size(); ++s) {
        for (std::size_t p = 0; p < sweeps[s].risks.size(); ++p) {
            tasks.push_back({s, p});
        }
    }
    auto bigEnd = [&](const Task& t) {
        return sweeps[t.setting].figures.points[t.point].end.bigEnd;
    };
    std::stable_sort(tasks.begin(), tasks.end(),
                     [&](const Task& a, const Task& b) { return bigEnd(a) > bigEnd(b); });
    std::atomic<std::size_t> done{0};
    shareTasks(tasks.size(), threads, [&](std::size_t i) {
        const Task& t = tasks[i];
        const SettingRuleRisks& sweep = sweeps[t.setting];
        sweeps[t.setting].risks[t.point] =
            solveRuleRisk(sweep.figures.setting, sweep.figures.points[t.point].end, cancel);
        const std::size_t finished = ++done;
        if (progress && currentWorker() == 0U) {
            progress(static_cast<double>(finished) / static_cast<double>(tasks.size()));
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
