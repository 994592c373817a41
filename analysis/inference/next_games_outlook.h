#pragma once

// What the next games are worth from where a history leaves the machine: for each setting, the
// expected BIGs over the next `games` games from every state the next game can begin in (games
// since the last BIG, mode), worked out once by a backward pass over the games left. The REG
// chance is the same in every state, so the expected REGs are games times that chance.

#include <cstdint>
#include <vector>

#include "analysis/inference/filter_tables.h"
#include "analysis/inference/setting_filter.h"

namespace korvale {

class NextGamesOutlook {
  public:
    NextGamesOutlook(const SettingModels& models, std::int32_t games);

    std::int32_t games() const { return games_; }

    // Expected BIGs over the next games from one state.
    double expectedBigs(std::size_t setting, std::int32_t sinceBig, std::size_t mode) const;
    // Expected BIGs and net coins (coins paid out less coins put in, the cost per game taken
    // as its average, unrounded) over the next games from a filtered state, by setting.
    SettingVector expectedBigs(const FilteredState& state) const;
    SettingVector expectedNet(const FilteredState& state) const;

  private:
    std::int32_t games_;
    SettingModels models_;
    // bigs_[k][mode][setting] for k = 0..ceilingGame-1.
    std::vector<ModeSettingMatrix> bigs_;
};

}  // namespace korvale
