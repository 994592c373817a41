#pragma once

// The hall's rates in a command's report: beside exact figures the seeded simulation that
// measures the cash put in (--pay cash).

#include <cstdint>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/measured/cash_totals.h"
#include "analysis/outcome/cash_lots.h"
#include "batch/options/batch_options.h"
#include "batch/run/progress_bar.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/report_model.h"

namespace korvale {

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

// Plays the simulation's attempts of one rule, as `simulate special` plays them from the
// morning; a found machine's mode is drawn from the law the exact figures take (attempt_run.h).
// Redraws `bar` while it plays when given. Ctrl-C calls it off (WorkCancelled).
CashTotals simulateCash(std::int32_t setting, const EndConditions& end, const BatchOptions& options,
                        const CashSimulation& simulation, ProgressBar* bar = nullptr);

// The measure of the cash put in beside exact figures (addYenGroups): `cash` played for each
// rule (simulateCash, `bar` redrawn while it plays), or none without it.
MeasureCash cashMeasure(const BatchOptions& options, const std::optional<CashSimulation>& cash,
                        ProgressBar* bar = nullptr);

}  // namespace korvale
