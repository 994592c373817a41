#include "batch/commands/sweep_command.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "analysis/quit_rules/rule_cost.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "batch/commands/exact_setup.h"
#include "batch/commands/hall_rate_report.h"
#include "batch/run/progress_bar.h"
#include "common/work_control.h"
#include "report/groups/sweep_figures.h"

namespace korvale {
namespace {

// Risk figures expected to take less than this are not announced.
constexpr double announcedSeconds = 10.0;

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
    const std::optional<CashSimulation> cash = cashSimulation(options, defaultSweepCashAttempts);
    Report report = sweepReport({.setting = chosenSetting(options),
                                 .grid = options.grid,
                                 .maxGames = options.maxGames,
                                 .sinceBig = options.sinceBig,
                                 .frontier = options.frontier,
                                 .meansOnly = options.meansOnly,
                                 .rates = options.rates,
                                 .cash = cash},
                                sweep, cashMeasure(options, cash));
    report.timing = Timing{.seconds = secondsSince(start)};
    return report;
}

}  // namespace korvale
