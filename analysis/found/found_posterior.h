#pragma once

// Which setting a machine found at the hall is on, from the one thing its counter shows: the
// games since its last BIG.

#include <cstdint>

#include "analysis/inference/filter_tables.h"
#include "analysis/model/machine_model.h"

namespace korvale {

// The settings' chances for a machine found at a random moment of its long run showing
// gamesSinceBig >= 0 games since its last BIG: prior[s] times the share of setting s's games
// that begin at that count (its BIG rate times the chance that a wait from one BIG to the next
// outlasts the count), made to add up to 1. Worked with logarithms, so that a wait however
// long keeps its weights. The prior's weights are at least 0, not all 0.
SettingVector foundSettingPosterior(const SettingModels& models, const SettingVector& prior,
                                    std::int32_t gamesSinceBig);

}  // namespace korvale
