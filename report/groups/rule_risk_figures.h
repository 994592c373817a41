#pragma once

// A sweep rule's risk as figures beside its means: the chance to end ahead and the median and
// 10% point of the net coins, under the keys `exact --laws` gives them, with their error
// bounds as details. A risk that is not known gives figures with no value, never 0.

#include "analysis/quit_rules/rule_risk_sweep.h"
#include "report/model/report_model.h"

namespace korvale {

// p_ahead, net_coins_p50, net_coins_p10; details outcome_law_error_bound,
// net_coins_p50_error_bound, net_coins_p10_error_bound.
void addRuleRisk(FigureGroup& group, const RuleRisk& risk);

}  // namespace korvale
