#include "batch/commands/exact_figures.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/long_run/gap_law.h"
#include "analysis/long_run/long_run.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/parallel_work.h"
#include "report/format/table_text.h"
#include "report/groups/exact_groups.h"
#include "report/groups/law_figures.h"
#include "report/groups/rule_risk_figures.h"
#include "report/model/figure_catalogue.h"

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

// Redraws the bar with the share done, when there is a bar and the share has moved.
class ShareShown {
  public:
    explicit ShareShown(ProgressBar* bar) : bar_(bar) {}
    void show(double share) {
        if (bar_ != nullptr && share >= shown_ + 0.001) {
            bar_->showShare(share);
            shown_ = share;
        }
    }

  private:
    ProgressBar* bar_;
    double shown_ = -1.0;
};

// What an attempt is worth at each setting, with the cost rounded per attempt. That takes a few
// seconds a setting, so the settings are solved side by side; the bar shows their shares done,
// counting for `weight` of the whole. Ctrl-C calls the solves off (WorkCancelled).
std::vector<AttemptFigures> solveAttempts(const std::vector<std::int32_t>& settings,
                                          EndConditions end, unsigned threads, ShareShown& shown,
                                          double weight) {
    std::vector<AttemptFigures> figures(settings.size());
    std::vector<std::atomic<double>> shares(settings.size());
    const auto showShares = [&] {
        double done = 0.0;
        for (const std::atomic<double>& share : shares) {
            done += share.load(std::memory_order_relaxed);
        }
        shown.show(weight * done / static_cast<double>(settings.size()));
    };
    for (std::size_t first = 0; first < settings.size(); first += threads) {
        // The first solve that fails calls off the others of its wave and ends the figures.
        Workers wave([&](unsigned worker) {
            const std::size_t i = first + worker;
            const AttemptControl control{interruptFlag(), [&shares, i](double share) {
                                             shares[i].store(share, std::memory_order_relaxed);
                                         }};
            figures[i] = solveAttempt(settings[i], end, CostRounding::Exact, control);
        });
        for (std::size_t i = first; i < std::min(settings.size(), first + threads); ++i) {
            wave.start(static_cast<unsigned>(i - first));
        }
        while (!wave.waitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(200))) {
            showShares();
        }
        wave.join();
        showShares();
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
    if (options.laws && !outcomeLawCovers(options.end)) {
        facts.push_back({.key = "laws",
                         .label = "分布",
                         .value = "head",
                         .shown = "勝ち越す確率と差枚の50%点・10%点のみ",
                         .isNumber = false});
    }
    return facts;
}

// The values a sweep's grid takes along one axis, and the axis as typed (first:last:step).
Fact gridFact(std::string key, std::string label, std::int32_t first, std::int32_t last,
              std::int32_t step) {
    Fact fact{.key = std::move(key),
              .label = std::move(label),
              .shown = fmt::format("{}:{}:{}", first, last, step),
              .isNumber = false};
    for (std::int32_t value = first; value <= last && step > 0; value += step) {
        fact.numbers.push_back(value);
    }
    return fact;
}

// One rule of a sweep: its means, its risk, and whether it is one of its setting's best rules
// and on its frontier.
FigureGroup sweepRuleGroup(const SettingRuleRisks& sweep, std::size_t i) {
    FigureGroup group = exactAttemptGroup(sweep.figures.points[i]);
    addRuleRisk(group, sweep.risks[i]);
    const auto mark = [&group](std::string_view key, bool on) {
        group.details.push_back(makeFigure(key, on ? 1.0 : 0.0));
    };
    mark("best_per_attempt", i == sweep.figures.bestPerAttempt);
    mark("best_per_1000_games", i == sweep.figures.bestPer1000Games);
    mark("on_frontier", sweep.onFrontier[i]);
    return group;
}

// The rules of a setting the report holds: every one in grid order, or those on the frontier
// from the highest net per 1000 games down (and so from the lowest chance to end ahead up).
std::vector<std::size_t> reportedRules(const SettingRuleRisks& sweep, bool frontierOnly) {
    std::vector<std::size_t> rules;
    for (std::size_t i = 0; i < sweep.figures.points.size(); ++i) {
        if (!frontierOnly || sweep.onFrontier[i]) {
            rules.push_back(i);
        }
    }
    if (frontierOnly) {
        const auto rate = [&](std::size_t i) { return sweep.figures.points[i].netPer1000Games; };
        std::stable_sort(rules.begin(), rules.end(), [&](std::size_t a, std::size_t b) {
            return rate(a) != rate(b) ? rate(a) > rate(b)
                                      : sweep.risks[a].pAhead > sweep.risks[b].pAhead;
        });
    }
    return rules;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

Report exactReport(const BatchOptions& options, ProgressBar* bar) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = chosenSettings(options);
    Report report{.command = "exact", .facts = exactFacts(options)};
    for (const std::int32_t setting : settings) {
        FigureGroup group = exactLongRunGroup(solveLongRun(setting));
        addLongRunGaps(group, solveLongRunGaps(setting));
        report.groups.push_back(std::move(group));
    }
    if (!options.endGiven) {
        return report;
    }
    // With the laws, the attempt figures count for a tenth of the work and each setting's
    // law for an equal share of the rest.
    const double attemptsWeight = options.laws ? 0.1 : 1.0;
    const double lawWeight = (1.0 - attemptsWeight) / static_cast<double>(settings.size());
    ShareShown shown(bar);
    try {
        const std::vector<AttemptFigures> attempts =
            solveAttempts(settings, options.end, threadCount(options), shown, attemptsWeight);
        for (std::size_t i = 0; i < settings.size(); ++i) {
            FigureGroup group = exactAttemptGroup(attempts[i]);
            if (options.laws && !outcomeLawCovers(options.end)) {
                // A REG wait that can outlast the BIG's: the head of the net's law only.
                addRuleRisk(group, solveRuleRisk(settings[i], options.end, interruptFlag(),
                                                 threadCount(options)));
                shown.show(attemptsWeight + lawWeight * static_cast<double>(i + 1));
            } else if (options.laws) {
                const double before = attemptsWeight + lawWeight * static_cast<double>(i);
                addOutcomeLaw(group, solveOutcomeLaw(settings[i], options.end, threadCount(options),
                                                     interruptFlag(), [&](double share) {
                                                         shown.show(before + lawWeight * share);
                                                     }));
            }
            report.groups.push_back(std::move(group));
        }
    } catch (const WorkCancelled&) {
        // Ctrl-C: the settings finished so far, marked partial.
        report.partial = true;
    }
    if (bar != nullptr) {
        bar->clear();
    }
    report.timing = Timing{.seconds = secondsSince(start)};
    return report;
}

Report sweepReport(const BatchOptions& options, ProgressBar* bar) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = chosenSettings(options);
    SweepProgress progress;
    if (bar != nullptr) {
        progress = [bar](double share) { bar->showShare(share); };
    }
    // Ctrl-C throws WorkCancelled: nothing of the sweep is printed.
    const std::vector<SettingRuleRisks> sweeps =
        sweepRuleRisks(options.grid, threadCount(options), progress, settings, interruptFlag());
    if (bar != nullptr) {
        bar->clear();
    }
    Report report{.command = "sweep", .facts = exactFacts(options)};
    const SweepGrid& grid = options.grid;
    report.facts.push_back(
        gridFact("big_ends", "BIG後の格子", grid.bigEndFirst, grid.bigEndLast, grid.bigEndStep));
    report.facts.push_back(
        gridFact("reg_ends", "REG後の格子", grid.regEndFirst, grid.regEndLast, grid.regEndStep));
    if (options.frontier) {
        report.facts.push_back({"frontier", "効率的フロンティアのみ", "1", "はい"});
    }
    for (const SettingRuleRisks& sweep : sweeps) {
        for (const std::size_t i : reportedRules(sweep, options.frontier)) {
            report.groups.push_back(sweepRuleGroup(sweep, i));
        }
    }
    report.timing = Timing{.seconds = secondsSince(start)};
    return report;
}

}  // namespace korvale
