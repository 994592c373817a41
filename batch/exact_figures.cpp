#include "batch/exact_figures.h"

#include <fmt/format.h>

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

#include "analysis/attempt.h"
#include "analysis/end_sweep.h"
#include "analysis/long_run.h"
#include "batch/progress_bar.h"
#include "report/exact_groups.h"
#include "report/figure_catalogue.h"
#include "report/table_text.h"

namespace korvale {
namespace {

std::vector<std::int32_t> chosenSettings(const BatchOptions& options) {
    if (options.settingGiven) {
        return {options.setting};
    }
    return {0, 1, 2, 3, 4, 5};
}

unsigned threadCount(const BatchOptions& options) {
    if (options.threads) {
        return static_cast<unsigned>(*options.threads);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

// What an attempt is worth at each setting, with the cost rounded per attempt. That takes a few
// seconds a setting, so the settings are solved side by side.
std::vector<AttemptFigures> solveAttempts(const std::vector<std::int32_t>& settings,
                                          EndConditions end, unsigned threads, ProgressBar* bar) {
    std::vector<AttemptFigures> figures(settings.size());
    std::vector<std::future<void>> running;
    for (std::size_t first = 0; first < settings.size(); first += threads) {
        if (bar != nullptr) {
            bar->showShare(static_cast<double>(first) / static_cast<double>(settings.size()));
        }
        running.clear();
        for (std::size_t i = first; i < std::min(settings.size(), first + threads); ++i) {
            running.push_back(std::async(std::launch::async, [&, i] {
                figures[i] = solveAttempt(settings[i], end, CostRounding::Exact);
            }));
        }
        for (auto& task : running) {
            task.get();
        }
    }
    if (bar != nullptr) {
        bar->clear();
    }
    return figures;
}

std::vector<Fact> exactFacts(const BatchOptions& options) {
    std::vector<Fact> facts;
    if (options.settingGiven) {
        facts.push_back(
            {"setting", "設定", std::to_string(options.setting + 1), settingName(options.setting)});
    }
    if (options.endGiven) {
        facts.push_back({"big_end", "BIG後", fmt::format("{}", options.end.bigEnd)});
        facts.push_back({"reg_end", "REG後", std::to_string(options.end.regEnd)});
    }
    return facts;
}

}  // namespace

Report exactReport(const BatchOptions& options, ProgressBar* bar) {
    const std::vector<std::int32_t> settings = chosenSettings(options);
    Report report{.command = "exact", .facts = exactFacts(options)};
    for (const std::int32_t setting : settings) {
        report.groups.push_back(exactLongRunGroup(solveLongRun(setting)));
    }
    if (options.endGiven) {
        for (const AttemptFigures& figures :
             solveAttempts(settings, options.end, threadCount(options), bar)) {
            report.groups.push_back(exactAttemptGroup(figures));
        }
    }
    return report;
}

Report sweepReport(const BatchOptions& options, ProgressBar* bar) {
    const std::vector<std::int32_t> settings = chosenSettings(options);
    SweepProgress progress;
    if (bar != nullptr) {
        progress = [bar](double share) { bar->showShare(share); };
    }
    const std::vector<SettingSweep> sweeps =
        sweepEndConditions(options.grid, threadCount(options), progress, settings);
    if (bar != nullptr) {
        bar->clear();
    }
    Report report{.command = "sweep", .facts = exactFacts(options)};
    for (const SettingSweep& sweep : sweeps) {
        for (std::size_t i = 0; i < sweep.points.size(); ++i) {
            FigureGroup group = exactAttemptGroup(sweep.points[i]);
            group.details.push_back(
                makeFigure("best_per_attempt", i == sweep.bestPerAttempt ? 1.0 : 0.0));
            group.details.push_back(
                makeFigure("best_per_1000_games", i == sweep.bestPer1000Games ? 1.0 : 0.0));
            report.groups.push_back(std::move(group));
        }
    }
    return report;
}

}  // namespace korvale
