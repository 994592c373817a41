#pragma once

// The sweep over end conditions with each rule's risk beside its mean: the chance that an
// attempt ends ahead, the median and the 10% point of its net coins, from the attempt's
// outcome law; and per setting the rules on the efficient frontier (efficient_frontier.h).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/outcome/outcome_law.h"
#include "machine/attempt_end.h"

namespace korvale {

// What the sweep's chances to end ahead are good to: a rule whose law leaves its chance less
// certain than this (a long REG end, whose attempts reach the ceiling after a BIG more often
// than the law's bound can keep small) has no figures, only its bound.
inline constexpr double riskBoundLimit = 1e-4;

struct RuleRisk {
    // False when the law's tables cannot hold the rule's attempts (they are too long), or when
    // its bound is above riskBoundLimit: the figures below are then not known, but for the
    // bound in the second case.
    bool known = false;
    double pAhead = 0;        // P(net > 0)
    std::int64_t netP50 = 0;  // the median of the net coins
    std::int64_t netP10 = 0;  // their 10% point
    // A bound on the error of pAhead (and of any chance of the net's law); 0 when no law was had.
    double errorBound = 0;
    // How far, in coins, each percentile can be from the true one given that bound: 0 when
    // the law leaves no doubt.
    std::int64_t netP50Bound = 0;
    std::int64_t netP10Bound = 0;
};

struct SettingRuleRisks {
    SettingSweep figures;          // the sweep's figures, BIG end major, REG end minor
    std::vector<RuleRisk> risks;   // one per point of figures
    std::vector<bool> solved;      // one per point: its risk was worked out (else not known)
    std::vector<bool> onFrontier;  // one per point: no other rule beats it on both counts
};

// What a sweep worked out: every setting asked for, or when it was called off, the settings
// whose means were done, with the risks finished by then.
struct RuleRiskSweep {
    std::vector<SettingRuleRisks> settings;
    bool complete = false;
};

// One rule's risk, from the head of its net's law (solveNetLawHead) on `control.threads`, for
// an attempt from `start` (the morning's by default); throws like it for end conditions beyond
// the tables (but not for attempts too long: those are not known), and WorkCancelled once
// `*control.cancel` is set.
RuleRisk solveRuleRisk(std::int32_t setting, EndConditions end, const AttemptStart& start = {},
                       const WorkControl& control = {});

// The same from a head already worked out (solveNetLawHeads gives many at once).
RuleRisk ruleRiskOf(const NetLawHead& head);

// Hears each rule as soon as its risk is worked out: its setting (0 to 5), its index in the
// grid's points, its figures and its risk. Called on any of the sweep's threads, one call at a
// time; the settings in the order asked, each setting's rules from the highest mean net per
// 1000 games down (with one thread exactly so), so that the frontier of the rules heard is
// final from its top down to the lowest rate heard.
using RuleRiskArrived = std::function<void(std::int32_t setting, std::size_t point,
                                           const AttemptFigures& figures, const RuleRisk& risk)>;

// Risks worked out before, by setting (in the order asked for) and by point: a sweep called off
// and asked again takes them and works out only the others.
using KnownRisks = std::vector<std::vector<std::optional<RuleRisk>>>;

// The sweep of end_sweep.h for the given settings, each setting's means then (withRisk) every
// rule's risk (one law a thread), on `control.threads`; with the grid's game limit the means
// alone (the law of an attempt cut at a limit is not worked out: its risk is not known).
// `control.progress` hears the share done (0 to 1, rising, weighed by the cost model of rule_cost.h
// so that it tracks the time) on the calling thread; `arrived`, when given, hears each rule.
// Setting `*control.cancel` stops the work soon after with what it had finished (complete false);
// the frontier is then that of the rules whose risk was worked out. The rules of `known` are taken
// as they are (and not heard by `arrived`).
RuleRiskSweep sweepRuleRisksSoFar(const SweepGrid& grid, const std::vector<std::int32_t>& settings,
                                  bool withRisk, const RuleRiskArrived& arrived = {},
                                  const WorkControl& control = {}, const KnownRisks& known = {});

// The sweep of end_sweep.h with every rule's risk. As sweepRuleRisksSoFar, but setting
// `*control.cancel` ends the work with WorkCancelled.
std::vector<SettingRuleRisks> sweepRuleRisks(
    const SweepGrid& grid = {}, std::vector<std::int32_t> settings = {0, 1, 2, 3, 4, 5},
    const RuleRiskArrived& arrived = {}, const WorkControl& control = {},
    const KnownRisks& known = {});

}  // namespace korvale
