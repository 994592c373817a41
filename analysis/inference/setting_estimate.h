#pragma once

// Which setting a machine is on, given what a player saw of it: the posterior over the six
// settings from the filter's likelihoods and a prior, and what the player acts on, the expected
// net coins of the next games, a mixture over the settings of what each would give from the
// state the history leaves the machine in. The answer from the counts alone is given beside it.

#include <array>
#include <cstdint>

#include "analysis/inference/count_only.h"
#include "analysis/inference/next_games_outlook.h"
#include "analysis/inference/setting_filter.h"
#include "common/status.h"

namespace korvale {

struct SettingEstimate {
    std::int64_t games = 0;  // trailing games included
    std::int64_t bigs = 0;
    std::int64_t regs = 0;
    SettingVector prior{};
    SettingVector logLikelihood{};
    SettingVector posterior{};
    double atLeast4 = 0.0;  // P(設定≥4)
    double atLeast5 = 0.0;  // P(設定≥5)
    // The law of the mode the next game begins in, if the machine is on each setting.
    std::array<ModeVector, settingCount> modeLaw{};
    std::int32_t outlookGames = 0;
    SettingVector expectedNetBySetting{};
    double expectedNet = 0.0;
    SettingVector countOnlyPosterior{};
};

inline constexpr SettingVector uniformPrior = {1.0 / 6, 1.0 / 6, 1.0 / 6,
                                               1.0 / 6, 1.0 / 6, 1.0 / 6};

// A prior's chances divided by their sum. Throws std::invalid_argument unless all six are finite
// and at least 0 and their sum is above 0.
SettingVector normalizedPrior(const SettingVector& weights);

// The posterior from log-likelihoods and a normalized prior, or ImpossibleHistory when the
// history is impossible under every setting the prior allows.
StatusOr<SettingVector> posteriorOf(const SettingVector& logLikelihood, const SettingVector& prior);

// What the estimate needs that depends on the models alone, worked out once (the outlook's
// backward pass takes a few tens of milliseconds).
class SettingEstimator {
  public:
    explicit SettingEstimator(const SettingModels& models, std::int32_t outlookGames = 1000);

    // The estimate, or ImpossibleHistory as posteriorOf gives it.
    StatusOr<SettingEstimate> estimate(const SettingFilter& filter, std::int32_t trailingGames,
                                       const SettingVector& prior = uniformPrior) const;

    const CountOnlyRates& countRates() const { return rates_; }
    const NextGamesOutlook& outlook() const { return outlook_; }

  private:
    NextGamesOutlook outlook_;
    CountOnlyRates rates_;
};

}  // namespace korvale
