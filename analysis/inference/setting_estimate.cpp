#include "analysis/inference/setting_estimate.h"

#include <cmath>
#include <stdexcept>

#include "analysis/inference/log_weights.h"
#include "common/status.h"

namespace korvale {

SettingVector normalizedPrior(const SettingVector& weights) {
    double total = 0.0;
    for (const double weight : weights) {
        if (!std::isfinite(weight) || weight < 0.0) {
            throw std::invalid_argument("prior weights must be finite and at least 0");
        }
        total += weight;
    }
    if (!(total > 0.0) || !std::isfinite(total)) {
        throw std::invalid_argument("prior weights must not all be 0");
    }
    SettingVector prior;
    for (std::size_t s = 0; s < settingCount; ++s) {
        prior[s] = weights[s] / total;
    }
    return prior;
}

StatusOr<SettingVector> posteriorOf(const SettingVector& logLikelihood,
                                    const SettingVector& prior) {
    SettingVector logs;
    for (std::size_t s = 0; s < settingCount; ++s) {
        logs[s] = prior[s] > 0.0 ? std::log(prior[s]) + logLikelihood[s] : -INFINITY;
    }
    SettingVector posterior;
    if (chancesOfLogWeights(logs, posterior) == -INFINITY) {
        return Status(StatusReason::ImpossibleHistory,
                      "the history is impossible under every setting of the prior");
    }
    return posterior;
}

SettingEstimator::SettingEstimator(const SettingModels& models, std::int32_t outlookGames)
    : outlook_(models, outlookGames), rates_(countOnlyRates(models)) {}

StatusOr<SettingEstimate> SettingEstimator::estimate(const SettingFilter& filter,
                                                     std::int32_t trailingGames,
                                                     const SettingVector& prior) const {
    const FilteredState state = filter.state(trailingGames);
    SettingEstimate result;
    result.games = filter.games() + trailingGames;
    result.bigs = filter.bigs();
    result.regs = filter.regs();
    result.prior = normalizedPrior(prior);
    result.logLikelihood = state.logLikelihood;
    StatusOr<SettingVector> posterior = posteriorOf(state.logLikelihood, result.prior);
    if (!posterior) {
        return posterior.status();
    }
    result.posterior = *posterior;
    result.atLeast4 = result.posterior[3] + result.posterior[4] + result.posterior[5];
    result.atLeast5 = result.posterior[4] + result.posterior[5];
    result.modeLaw = state.modeLaw();
    result.outlookGames = outlook_.games();
    result.expectedNetBySetting = outlook_.expectedNet(state);
    for (std::size_t s = 0; s < settingCount; ++s) {
        result.expectedNet += result.posterior[s] * result.expectedNetBySetting[s];
    }
    StatusOr<SettingVector> countOnly = posteriorOf(
        countOnlyLogLikelihoods(rates_, result.games, result.bigs, result.regs), result.prior);
    if (!countOnly) {
        return countOnly.status();
    }
    result.countOnlyPosterior = *countOnly;
    return result;
}

}  // namespace korvale
