#pragma once

// A sweep of end conditions as a report: what was asked, and a group for each rule reported,
// with its means, its risk, its marks (best, on the frontier) and its yen.

#include <cstdint>
#include <optional>

#include "analysis/attempt/end_sweep.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/report_model.h"

namespace korvale {

// What the sweep was asked.
struct SweepAsked {
    std::optional<std::int32_t> setting{};  // none: all six
    SweepGrid grid{};
    std::optional<std::int32_t> maxGames{};
    std::optional<std::int32_t> sinceBig{};
    bool frontier = false;   // only the rules on each setting's frontier
    bool meansOnly = false;  // no rule's risk
    HallRates rates{};
    std::optional<CashSimulation> cash{};
};

// The report of `sweep`: every rule in grid order, or with `asked.frontier` those on each
// frontier from the highest net per 1000 games down; beside each, the cash `measure` measures.
// Ctrl-C during a measure ends it with the rules done so far, marked partial. No timing yet.
Report sweepReport(const SweepAsked& asked, const RuleRiskSweep& sweep, const MeasureCash& measure);

}  // namespace korvale
