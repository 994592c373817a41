#pragma once

// The hall's rates in a command's report: the facts that say them, and beside exact figures
// the seeded simulation that measures the cash put in (--pay cash).

#include <cstdint>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/measured/cash_totals.h"
#include "analysis/outcome/cash_lots.h"
#include "batch/options/batch_options.h"
#include "batch/run/progress_bar.h"
#include "report/model/report_model.h"

namespace korvale {

// The seeded simulation of the cash put in: its attempts per setting (or rule) and its seed.
struct CashSimulation {
    std::int64_t attempts = 0;
    std::uint64_t seed = 0;
};

// The simulation asked for, its seed settled (the clock's when none was given); none unless
// the attempts are paid for with cash, nor when every rule's lots are worked out exactly
// (`exactLots`) and neither --attempts nor --seed asks for the simulation beside them.
std::optional<CashSimulation> cashSimulation(const BatchOptions& options,
                                             std::int64_t defaultAttempts, bool exactLots = false);

// Whether the lots bought from cash are worked out exactly for the options' rule: from cash,
// with a rule that ends at the first BIG and no game limit (cash_lots.h).
bool cashLotsExact(const BatchOptions& options, EndConditions end);

// The expected lots of an attempt of the setting from `start`, when cashLotsExact.
std::optional<CashLots> exactCashLots(std::int32_t setting, EndConditions end,
                                      const AttemptStart& start, const BatchOptions& options);

// The rates, and the simulation when there is one.
std::vector<Fact> hallRateFacts(const HallRates& rates, const std::optional<CashSimulation>& cash);

// Plays the simulation's attempts of one rule, as `simulate special` plays them from the
// morning; a found machine's mode is drawn from the law the exact figures take (attempt_run.h).
// Redraws `bar` while it plays when given. Ctrl-C calls it off (WorkCancelled).
CashTotals simulateCash(std::int32_t setting, const EndConditions& end, const BatchOptions& options,
                        const CashSimulation& simulation, ProgressBar* bar = nullptr);

// To the groups of exact attempt figures: the hours and yen (from cash with `lots` when they
// are exact), and with `cash` the measured group, whose measure it returns.
std::optional<CashTotals> addYenGroups(std::vector<FigureGroup>& groups, FigureGroup exactGroup,
                                       const AttemptFigures& figures, const BatchOptions& options,
                                       const std::optional<CashSimulation>& cash,
                                       const std::optional<CashLots>& lots = std::nullopt,
                                       ProgressBar* bar = nullptr);

}  // namespace korvale
