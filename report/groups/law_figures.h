#pragma once

// How an attempt can turn out and how long the long run's waits are, as figures and series:
// worked out exactly from the machine's chain, or measured over a run, under the same keys so
// that exact and measured sit side by side.

#include <vector>

#include "analysis/long_run/gap_law.h"
#include "analysis/measured/simulated_totals.h"
#include "analysis/measured/value_tally.h"
#include "analysis/outcome/outcome_law.h"
#include "report/model/report_model.h"

namespace korvale {

// p_ahead, p_even, p_behind, net_coins_p<n>, games_p<n>; series net_at_least, big_count_law.
void addOutcomeLaw(FigureGroup& group, const OutcomeLaw& law);
// The same figures without values (never 0) and no series: attempts too long for the law.
void addUnknownOutcomeLaw(FigureGroup& group);
void addMeasuredOutcomeLaw(FigureGroup& group, const AttemptTotals& totals);

// big_gap_ge_500/1000/1500, big_gap_mean, big_gap_p<n>; series big_gap_law, bonus_gap_law.
void addLongRunGaps(FigureGroup& group, const LongRunGaps& gaps);
// Measured: the intervals of the shares, the mean, the percentiles and each point of the laws
// come from the run's batches (the waits batch by batch), since one wait tells of the next
// (the mode a BIG leads to lasts); with fewer than two batches there are none.
void addMeasuredGaps(FigureGroup& group, const Tally& bigGaps, const Tally& bonusGaps,
                     const std::vector<Tally>& bigGapBatches,
                     const std::vector<Tally>& bonusGapBatches);

}  // namespace korvale
