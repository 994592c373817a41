#include "batch/commands/exact_command.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_start.h"
#include "analysis/attempt/capped_attempt.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/found/figure_mixture.h"
#include "analysis/found/found_posterior.h"
#include "analysis/inference/setting_estimate.h"
#include "analysis/long_run/gap_law.h"
#include "analysis/long_run/long_run.h"
#include "analysis/outcome/day_law.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "batch/commands/exact_setup.h"
#include "batch/commands/hall_rate_report.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/parallel_work.h"
#include "common/status.h"
#include "report/format/table_text.h"
#include "report/groups/day_groups.h"
#include "report/groups/exact_figures.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/law_figures.h"
#include "report/groups/rule_risk_figures.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// What an attempt is worth at each setting, with the cost rounded per attempt, and with a game
// limit the share of attempts it stops. That takes a few seconds a setting, so the settings are
// solved side by side; the bar shows their shares done, counting for `weight` of the whole.
// Ctrl-C calls the solves off (WorkCancelled).
std::vector<CappedAttemptFigures> solveAttempts(const std::vector<std::int32_t>& settings,
                                                EndConditions end, const BatchOptions& options,
                                                ShareShown& shown, double weight) {
    const std::optional<std::int32_t> sinceBig = options.sinceBig;
    const unsigned threads = threadCount(options);
    std::vector<CappedAttemptFigures> figures(settings.size());
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
            // Each solve shares its own work out among every core, as one alone would.
            const WorkControl control{.cancel = interruptFlag(),
                                      .progress =
                                          [&shares, i](double share) {
                                              shares[i].store(share, std::memory_order_relaxed);
                                          },
                                      .threads = 0};
            const AttemptStart start =
                sinceBig ? foundStart(machineModel(settings[i]), *sinceBig) : morningStart();
            if (options.maxGames) {
                figures[i] =
                    solveCappedAttempt(settings[i], end, *options.maxGames, start, control);
            } else {
                figures[i].figures =
                    solveAttempt(settings[i], end, CostRounding::Exact, start, control);
            }
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

// Where the attempts of the command start: the morning's new machine, or one found
// --since-big games after its last BIG.
AttemptStart attemptStart(std::int32_t setting, const BatchOptions& options) {
    return options.sinceBig ? foundStart(machineModel(setting), *options.sinceBig) : morningStart();
}

// The whole laws of an attempt; for attempts too long for the law's tables, their figures
// without values, as the sweep leaves such a rule's risk.
void addWholeLaw(FigureGroup& group, std::int32_t setting, const BatchOptions& options,
                 const WorkControl::Progress& progress) {
    try {
        addOutcomeLaw(group, solveOutcomeLaw(setting, options.end, attemptStart(setting, options),
                                             commandControl(options, progress)));
    } catch (const StatusError& error) {
        if (error.reason() != StatusReason::AttemptsTooLong) {
            throw;
        }
        addUnknownOutcomeLaw(group);
    }
}

// The settings' chances given the games since the last BIG, when the setting is not given.
std::optional<SettingVector> foundPosterior(const BatchOptions& options) {
    if (!options.sinceBig || options.settingGiven) {
        return std::nullopt;
    }
    return foundSettingPosterior(machineModels(), options.prior.value_or(uniformPrior),
                                 *options.sinceBig);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The laws of one setting's attempt, `shown` told the share of them done.
void addAttemptLaws(FigureGroup& group, std::int32_t setting, const BatchOptions& options,
                    const WorkControl::Progress& shown) {
    if (options.maxGames) {
        // The laws of an attempt stopped at a game limit are not worked out.
        addUnknownOutcomeLaw(group);
    } else if (!outcomeLawCovers(options.end)) {
        // A REG wait that can outlast the BIG's: the head of the net's law only.
        addRuleRisk(group, solveRuleRisk(setting, options.end, attemptStart(setting, options),
                                         commandControl(options)));
        shown(1.0);
    } else {
        addWholeLaw(group, setting, options, shown);
    }
}

// What exact was asked, as its report says it.
ExactAsked exactAsked(const BatchOptions& options) {
    return {.setting = chosenSetting(options),
            .end = options.endGiven ? std::optional(options.end) : std::nullopt,
            .maxGames = options.maxGames,
            .sinceBig = options.sinceBig,
            .prior = options.prior,
            .laws = options.laws};
}

}  // namespace

Report exactReport(const BatchOptions& options, ProgressBar* bar) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::int32_t> settings = chosenSettings(options);
    Report report{.kind = ReportKind::Exact};
    addExactFacts(report, exactAsked(options));
    addLongRunGroups(report, settings);
    if (options.dayGames) {
        ShareShown shown(bar);
        addDayGroups(report, *options.dayGames, options.rates, settings,
                     commandControl(options, [&shown](double share) { shown.show(share); }));
        if (bar != nullptr) {
            bar->clear();
        }
    }
    if (!options.endGiven) {
        report.timing = Timing{.seconds = secondsSince(start)};
        return report;
    }
    // With the laws, the attempt figures count for a tenth of the work and each setting's
    // law for an equal share of the rest.
    const double attemptsWeight = options.laws ? 0.1 : 1.0;
    const double lawWeight = (1.0 - attemptsWeight) / static_cast<double>(settings.size());
    ShareShown shown(bar);
    const bool lotsExact = cashLotsExact(options, options.end);
    const std::optional<CashSimulation> cash =
        cashSimulation(options, defaultCashAttempts, lotsExact);
    addHallRates(report, options.rates, cash);
    const MeasureCash measure = cashMeasure(options, cash, bar);
    try {
        const std::vector<CappedAttemptFigures> capped =
            solveAttempts(settings, options.end, options, shown, attemptsWeight);
        std::vector<AttemptFigures> attempts;
        for (const CappedAttemptFigures& one : capped) {
            attempts.push_back(one.figures);
        }
        const std::optional<SettingVector> posterior = foundPosterior(options);
        std::array<std::optional<double>, settingCount> aheads{};
        std::vector<std::optional<CashLots>> lots(settings.size());
        std::vector<CashTotals> measured(settings.size());
        for (std::size_t i = 0; i < settings.size(); ++i) {
            FigureGroup group = exactAttemptGroup(attempts[i]);
            if (options.maxGames) {
                group.figures.push_back(
                    makeFigure(figureKey::limitReached, capped[i].limitReachedChance));
            }
            if (posterior) {
                group.figures.push_back(makeFigure(figureKey::posterior, (*posterior)[i]));
            }
            if (options.laws) {
                const double before = attemptsWeight + lawWeight * static_cast<double>(i);
                addAttemptLaws(group, settings[i], options,
                               [&](double share) { shown.show(before + lawWeight * share); });
            }
            if (const Figure* ahead = group.find(figureKey::pAhead);
                ahead != nullptr && i < settingCount) {
                aheads[i] = ahead->value;
            }
            lots[i] = exactCashLots(settings[i], options.end, attempts[i].start, options);
            if (std::optional<CashTotals> one =
                    addYenGroups(report.groups, std::move(group), attempts[i], options.rates,
                                 lots[i], measure)) {
                measured[i] = std::move(*one);
            }
        }
        if (posterior) {
            addMixtureGroups(report.groups, attempts, lots, measured, *posterior, aheads,
                             options.rates, options.laws);
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

}  // namespace korvale
