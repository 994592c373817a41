#include "analysis/model/machine_model.h"

#include <stdexcept>

namespace korvale {

ModeVector nextModeChances(const WeightRow* row, int mode) {
    ModeVector chances{};
    if (row == nullptr) {
        chances[static_cast<std::size_t>(mode)] = 1.0;
        return chances;
    }
    double total = 0.0;
    for (const std::int32_t weight : *row) {
        total += weight;
    }
    for (std::size_t next = 0; next < chances.size(); ++next) {
        chances[next] = (*row)[next] / total;
    }
    return chances;
}

MachineModel machineModel(std::int32_t setting) {
    if (!isValidIndex(setting)) {
        throw std::invalid_argument("setting index must be 0..5");
    }
    const double draws = drawRange;
    MachineModel model;
    model.regProbability = regThreshold(setting) / draws;
    for (int mode = 0; mode < modeCount; ++mode) {
        const auto m = static_cast<std::size_t>(mode);
        model.bigProbability[m] = bigThreshold(mode, 1) / draws;
        model.regNextMode[m] = nextModeChances(regWeightRow(setting, mode), mode);
        model.bigNextMode[m] = nextModeChances(bigWeightRow(setting, mode), mode);
    }
    model.ceilingGame = bigCeilingGames;
    model.ceilingBigProbability = bigThreshold(0, bigCeilingGames) / draws;
    model.costCoefficient = static_cast<double>(costCoefficient(setting));
    model.coinsInPerGame = coinsInPerGame;
    model.coinsPerBig = coinsPerBig;
    model.coinsPerReg = coinsPerReg;
    return model;
}

SettingModels machineModels() {
    SettingModels models;
    for (std::int32_t s = 0; s < settingCount; ++s) {
        models[static_cast<std::size_t>(s)] = machineModel(s);
    }
    return models;
}

}  // namespace korvale
