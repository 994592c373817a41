#pragma once

// What an attempt is worth in yen and in hours at the hall's rates, as figures: exact from stored
// coins (the exact net exchanged), and from cash measured, since the cash put in follows how
// deep each attempt goes below its start.

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/inference/filter_tables.h"
#include "analysis/measured/simulated_totals.h"
#include "analysis/outcome/cash_lots.h"
#include "report/model/report_model.h"

namespace korvale {

// To an exact attempt group: its hours, and its yen and yen per hour: from stored coins the
// net exchanged, from cash, given the expected lots bought (cash_lots.h), the net exchanged
// less what the lots lose at the exchange, with the cash put in and, as a detail, the bound on
// the yen that the lots' bound gives.
void addExactYen(FigureGroup& group, const AttemptFigures& figures, const HallRates& rates,
                 const std::optional<CashLots>& lots = std::nullopt);

// From cash, beside the exact figures: a measured group whose yen are the exact net exchanged
// less what the lots bought lose at the exchange, measured by `cash` (a seeded simulation of
// the same rule at the same rates), with the law of how deep the attempts go.
FigureGroup cashGroup(const AttemptFigures& figures, const CashTotals& cash);

// The settings' measured groups (cashGroup) mixed by `chances`, beside the exact mixture
// `mixture` of the same settings: the yen, the cash put in and the yen per hour, each interval
// with it.
FigureGroup cashMixtureGroup(const AttemptFigures& mixture,
                             const std::array<CashTotals, settingCount>& bySetting,
                             const SettingVector& chances);

// Measures the cash put in by attempts of the rule `figures` are of (a seeded simulation), or
// gives nothing when no measure was asked for.
using MeasureCash = std::function<std::optional<CashTotals>(const AttemptFigures& figures)>;

// To `groups`: `exactGroup` with its hours and yen (from cash with `lots` when they are
// exact), then the measured group when `measure` gives a measure, which it returns.
std::optional<CashTotals> addYenGroups(std::vector<FigureGroup>& groups, FigureGroup exactGroup,
                                       const AttemptFigures& figures, const HallRates& rates,
                                       const std::optional<CashLots>& lots,
                                       const MeasureCash& measure);

// To a measured attempt group of a run that saw only the attempts' coins (the window's): the
// hours, and from stored coins the yen, its measured net exchanged, each interval with it.
void addYenOfMeasuredCoins(FigureGroup& group, const HallRates& rates);

// To a measured attempt group: the yen and hours of the run's own attempts, and from cash the
// cash put in and how deep the attempts went.
void addMeasuredYen(FigureGroup& group, const AttemptTotals& totals);

}  // namespace korvale
