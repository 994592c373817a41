#pragma once

// What playing on is worth from where a watched bonus history leaves the machine: for each
// setting, the attempt from the state the setting filter leaves it in (the games since the
// last BIG, or their law before a BIG was seen from a joined start, and the mode's law), and
// the settings mixed by the history's posterior.

#include <array>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/inference/setting_filter.h"
#include "common/work_control.h"

namespace korvale {

// One place the attempt may start from, with its chance.
struct WeightedStart {
    AttemptStart start;
    double chance = 0.0;
};

// The starts of setting s (0..5) after the history: one per entry of the state with a chance
// above 0, its mode law that entry's; the chances add up to 1. None when the history is
// impossible at that setting.
std::vector<WeightedStart> historyEndStarts(const FilteredState& state, std::size_t setting);

struct HistoryWorth {
    // 設定１..設定６: the attempt's figures from where the history leaves that setting's
    // machine (its starts' figures weighed by their chances); none where it is impossible.
    std::array<std::optional<AttemptFigures>, settingCount> bySetting;
    // The settings' figures mixed by `posterior` (mixAttemptFigures).
    AttemptFigures mixture;
};

// One pass of the attempt's chain per setting for all its starts (solveAttemptStarts), the
// settings shared out over `control.threads` threads. `control.progress` hears the share of the six
// settings done, one call at a time. Throws like solveAttempt, and WorkCancelled once
// `*control.cancel` is set.
HistoryWorth solveHistoryWorth(const SettingModels& models, const FilteredState& state,
                               const SettingVector& posterior, EndConditions end,
                               CostRounding rounding, const WorkControl& control = {});

}  // namespace korvale
