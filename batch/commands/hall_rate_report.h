#pragma once

// The hall's rates in a command's report: the facts that say them, and beside exact figures
// the seeded simulation that measures the cash put in (--pay cash).

#include <cstdint>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/measured/cash_totals.h"
#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

// The seeded simulation of the cash put in: its attempts per setting (or rule) and its seed.
struct CashSimulation {
    std::int64_t attempts = 0;
    std::uint64_t seed = 0;
};

// The simulation asked for, its seed settled (the clock's when none was given); none unless
// the attempts are paid for with cash.
std::optional<CashSimulation> cashSimulation(const BatchOptions& options,
                                             std::int64_t defaultAttempts);

// The rates, and the simulation when there is one.
std::vector<Fact> hallRateFacts(const HallRates& rates, const std::optional<CashSimulation>& cash);

// Plays the simulation's attempts of one rule, as `simulate special` plays them. Ctrl-C calls it
// off (WorkCancelled).
CashTotals simulateCash(std::int32_t setting, const EndConditions& end, const BatchOptions& options,
                        const CashSimulation& simulation);

// To the groups of exact attempt figures: the hours and yen, and from cash the measured group.
void addYenGroups(std::vector<FigureGroup>& groups, FigureGroup exactGroup,
                  const AttemptFigures& figures, const BatchOptions& options,
                  const std::optional<CashSimulation>& cash);

}  // namespace korvale
