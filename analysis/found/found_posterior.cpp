#include "analysis/found/found_posterior.h"

#include <cmath>
#include <limits>

#include "analysis/inference/log_weights.h"
#include "analysis/long_run/long_run.h"

namespace korvale {

SettingVector foundSettingPosterior(const SettingModels& models, const SettingVector& prior,
                                    std::int32_t gamesSinceBig) {
    SettingVector logs{};
    for (std::size_t s = 0; s < settingCount; ++s) {
        logs[s] = prior[s] > 0.0
                      ? std::log(prior[s]) + foundMachineState(models[s], gamesSinceBig).logChance
                      : -std::numeric_limits<double>::infinity();
    }
    SettingVector chances{};
    chancesOfLogWeights(logs, chances);
    return chances;
}

}  // namespace korvale
