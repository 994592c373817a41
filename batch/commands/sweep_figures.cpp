#include "batch/commands/sweep_figures.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/quit_rules/rule_cost.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "batch/commands/exact_setup.h"
#include "batch/commands/hall_rate_report.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/work_control.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/rule_risk_figures.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// Risk figures expected to take less than this are not announced.
constexpr double announcedSeconds = 10.0;

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

// One rule of a sweep: its means (with a game limit the share it stopped), its risk (withRisk;
// not known with a limit), and whether it is one of its setting's best rules and on its
// frontier.
FigureGroup sweepRuleGroup(const SettingRuleRisks& sweep, std::size_t i, bool withRisk) {
    FigureGroup group = exactAttemptGroup(sweep.figures.points[i]);
    const bool capped = !sweep.figures.limitReached.empty();
    if (capped) {
        group.figures.push_back(makeFigure("limit_reached", sweep.figures.limitReached[i]));
    }
    if (withRisk) {
        addRuleRisk(group, sweep.risks[i]);  // not known when its risk was not worked out
    }
    const auto mark = [&group](std::string_view key, bool on) {
        group.details.push_back(makeFigure(key, on ? 1.0 : 0.0));
    };
    mark("best_per_attempt", i == sweep.figures.bestPerAttempt);
    mark("best_per_1000_games", i == sweep.figures.bestPer1000Games);
    if (withRisk && capped) {
        group.details.push_back(makeFigure("on_frontier", std::nullopt));
    } else if (withRisk) {
        mark("on_frontier", sweep.onFrontier[i]);
    }
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

// "40 seconds", "14 minutes", "2.5 hours".
std::string durationText(double seconds) {
    if (seconds < 90.0) {
        return fmt::format("{:.0f} seconds", seconds);
    }
    if (seconds < 5400.0) {
        return fmt::format("{:.0f} minutes", seconds / 60.0);
    }
    return fmt::format("{:.1f} hours", seconds / 3600.0);
}

// What the sweep's long work will cost (the risk figures, or with a game limit the means), by
// the cost model, on as many cores as the threads can use; empty for a sweep that takes a few
// seconds.
std::string costNote(const BatchOptions& options, const std::vector<std::int32_t>& settings,
                     unsigned threads) {
    const bool capped = options.maxGames.has_value();
    double seconds =
        capped ? meansSeconds(options.grid) * static_cast<double>(settings.size()) : 0.0;
    std::size_t rules = 0;
    for (const std::int32_t setting : settings) {
        for (const EndConditions& end : sweepPoints(options.grid)) {
            seconds += capped ? 0.0 : ruleRiskSeconds(setting, end);
            ++rules;
        }
    }
    const unsigned cores = std::min(everyCore(), threads);
    const double wall = seconds / cores;
    if (wall < announcedSeconds) {
        return "";
    }
    if (capped) {
        return fmt::format(
            "korvale-batch: the means of {} rules cut at {} games take about {} on {} core{} ({} "
            "of one core's work); Ctrl-C prints the settings done so far",
            rules, *options.maxGames, durationText(wall), cores, cores == 1 ? "" : "s",
            durationText(seconds));
    }
    return fmt::format(
        "korvale-batch: the chance to end ahead and the points of {} rules take about {} on {} "
        "core{} ({} of one core's work); --means-only gives the means alone in under a second, "
        "and Ctrl-C prints the rules done so far",
        rules, durationText(wall), cores, cores == 1 ? "" : "s", durationText(seconds));
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

Report sweepReport(const BatchOptions& options, ProgressBar* bar, std::ostream& notes) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = chosenSettings(options);
    const unsigned threads = threadCount(options);
    const bool withRisk = !options.meansOnly;
    WorkControl::Progress progress;
    if (bar != nullptr) {
        const bool longWork = withRisk || options.maxGames;
        if (const std::string note = longWork ? costNote(options, settings, threads) : "";
            !note.empty()) {
            notes << note << '\n';
        }
        progress = [bar](double share) { bar->showShare(share); };
    }
    const RuleRiskSweep sweep = sweepRuleRisksSoFar(options.grid, settings, withRisk, {},
                                                    commandControl(options, progress));
    if (bar != nullptr) {
        bar->clear();
    }
    Report report{.command = "sweep", .facts = settingFacts(options)};
    const SweepGrid& grid = options.grid;
    report.facts.push_back(
        gridFact("big_ends", "BIG後の格子", grid.bigEndFirst, grid.bigEndLast, grid.bigEndStep));
    report.facts.push_back(
        gridFact("reg_ends", "REG後の格子", grid.regEndFirst, grid.regEndLast, grid.regEndStep));
    if (options.maxGames) {
        report.facts.push_back(maxGamesFact(*options.maxGames));
        if (withRisk) {
            report.facts.push_back(cappedLawsFact());
        }
    }
    if (options.sinceBig) {
        report.facts.push_back(sinceBigFact(*options.sinceBig));
    }
    if (options.frontier) {
        report.facts.push_back({"frontier", "効率的フロンティアのみ", "1", "はい"});
    }
    if (options.meansOnly) {
        report.facts.push_back({"means_only", "平均のみ", "1", "はい"});
    }
    const std::optional<CashSimulation> cash = cashSimulation(options, defaultSweepCashAttempts);
    for (Fact& fact : hallRateFacts(options.rates, cash)) {
        report.facts.push_back(std::move(fact));
    }
    report.partial = !sweep.complete;
    try {
        for (const SettingRuleRisks& one : sweep.settings) {
            for (const std::size_t i : reportedRules(one, options.frontier)) {
                addYenGroups(report.groups, sweepRuleGroup(one, i, withRisk), one.figures.points[i],
                             options, cash);
            }
        }
    } catch (const WorkCancelled&) {
        // Ctrl-C during the cash's simulation: the rules done so far, marked partial.
        report.partial = true;
    }
    report.timing = Timing{.seconds = secondsSince(start)};
    return report;
}

}  // namespace korvale
