#pragma once

// Every figure key the program reports, with its Japanese label and its unit, in one table, so
// that a key reads the same wherever it appears. Per-mode keys are "mode<m>_..." for m = 0..5.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/model/report_model.h"

namespace korvale {

// The key of every figure and series, spelt here alone: the catalogue lists each with its label
// and unit, and every other file names a key by its constant.
// The per-mode figures' names (modeKey) come first, then the figures, the percentiles' names
// (percentileKey) and the series, in the table's order.
namespace figureKey {
inline constexpr std::string_view share = "share";
inline constexpr std::string_view rtReleaseRate = "rt_release_rate";
inline constexpr std::string_view games = "games";
inline constexpr std::string_view big = "big";
inline constexpr std::string_view chance = "chance";
inline constexpr std::string_view reg = "reg";
inline constexpr std::string_view netCoins = "net_coins";
inline constexpr std::string_view bigOdds = "big_odds";
inline constexpr std::string_view regOdds = "reg_odds";
inline constexpr std::string_view bonusOdds = "bonus_odds";
inline constexpr std::string_view payoutPercent = "payout_percent";
inline constexpr std::string_view attempts = "attempts";
inline constexpr std::string_view gamesPerAttempt = "games_per_attempt";
inline constexpr std::string_view bigPerAttempt = "big_per_attempt";
inline constexpr std::string_view regPerAttempt = "reg_per_attempt";
inline constexpr std::string_view costPerAttempt = "cost_per_attempt";
inline constexpr std::string_view netCoinsPerAttempt = "net_coins_per_attempt";
inline constexpr std::string_view netPer1000Games = "net_per_1000_games";
inline constexpr std::string_view limitReached = "limit_reached";
inline constexpr std::string_view yenPerAttempt = "yen_per_attempt";
inline constexpr std::string_view cashInPerAttempt = "cash_in_per_attempt";
inline constexpr std::string_view hoursPerAttempt = "hours_per_attempt";
inline constexpr std::string_view yenPerHour = "yen_per_hour";
inline constexpr std::string_view deepestMean = "deepest_mean";
inline constexpr std::string_view costRoundedPerAttempt = "cost_rounded_per_attempt";
inline constexpr std::string_view costExactBelowGames = "cost_exact_below_games";
inline constexpr std::string_view costErrorBound = "cost_error_bound";
inline constexpr std::string_view cashYenErrorBound = "cash_yen_error_bound";
inline constexpr std::string_view posterior = "posterior";
inline constexpr std::string_view atLeast4 = "at_least_4";
inline constexpr std::string_view atLeast5 = "at_least_5";
inline constexpr std::string_view expectedNetNext1000Games = "expected_net_next_1000_games";
inline constexpr std::string_view logLikelihood = "log_likelihood";
inline constexpr std::string_view countOnlyPosterior = "count_only_posterior";
inline constexpr std::string_view countOnlyAtLeast4 = "count_only_at_least_4";
inline constexpr std::string_view countOnlyAtLeast5 = "count_only_at_least_5";
inline constexpr std::string_view pAhead = "p_ahead";
inline constexpr std::string_view pEven = "p_even";
inline constexpr std::string_view pBehind = "p_behind";
inline constexpr std::string_view outcomeLawErrorBound = "outcome_law_error_bound";
inline constexpr std::string_view netCoinsP50ErrorBound = "net_coins_p50_error_bound";
inline constexpr std::string_view netCoinsP10ErrorBound = "net_coins_p10_error_bound";
inline constexpr std::string_view bigGapGe500 = "big_gap_ge_500";
inline constexpr std::string_view bigGapGe1000 = "big_gap_ge_1000";
inline constexpr std::string_view bigGapGe1500 = "big_gap_ge_1500";
inline constexpr std::string_view bigGapMean = "big_gap_mean";
inline constexpr std::string_view bigGaps = "big_gaps";
inline constexpr std::string_view gapLawCut = "gap_law_cut";
inline constexpr std::string_view bestPerAttempt = "best_per_attempt";
inline constexpr std::string_view bestPer1000Games = "best_per_1000_games";
inline constexpr std::string_view onFrontier = "on_frontier";
inline constexpr std::string_view breakEven = "break_even";
inline constexpr std::string_view breakEvenYen = "break_even_yen";
inline constexpr std::string_view bigGap = "big_gap";
inline constexpr std::string_view deepest = "deepest";
inline constexpr std::string_view netAtLeast = "net_at_least";
inline constexpr std::string_view bigCountLaw = "big_count_law";
inline constexpr std::string_view bigGapLaw = "big_gap_law";
inline constexpr std::string_view bonusGapLaw = "bonus_gap_law";
inline constexpr std::string_view netHistogram = "net_histogram";
inline constexpr std::string_view netPerHour = "net_per_hour";
// A cost figure or curve worked out with the cost c × games left unrounded: its key with this.
inline constexpr std::string_view unroundedCost = "_unrounded_cost";
// Percentile figures a layout shows by name (percentileKey spells the others).
inline constexpr std::string_view netCoinsP50 = "net_coins_p50";
inline constexpr std::string_view netCoinsP10 = "net_coins_p10";
inline constexpr std::string_view deepestP90 = "deepest_p90";
}  // namespace figureKey

// The figure `key` with its catalogue label and unit. Throws std::logic_error for a key that
// is not in the catalogue (a programming error: every key is listed there).
Figure makeFigure(std::string_view key, std::optional<double> value, Interval ci95 = {});

// The key of a percentile figure: percentileKey("net_coins", 5) is "net_coins_p5".
std::string percentileKey(std::string_view name, double percent);

// The series `key` with its catalogue label and units, no points yet. Throws std::logic_error
// for a key that is not in the catalogue.
Series makeSeries(std::string_view key);

// The key of a cost figure or curve worked out with the cost unrounded: "<key>_unrounded_cost".
std::string unroundedCostKey(std::string_view key);

// The key of a per-mode figure: modeKey(3, "share") is "mode3_share".
std::string modeKey(std::size_t mode, std::string_view name);

// Every key of the catalogue as it is printed, once: a per-mode figure as mode 0's
// ("mode0_share"), a percentile figure by its stem ("net_coins_p"), and each figure or curve
// that also comes with the cost unrounded under that key as well. For what documents the keys.
std::vector<std::string> catalogueKeys();

}  // namespace korvale
