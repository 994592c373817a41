#pragma once

// The machine as the exact analysis sees it: per-game probabilities and next-mode
// probabilities instead of thresholds and weights. machineModel() derives it from the
// machine's own tables; a test may build one by hand (a degenerate machine with a known answer).

#include <array>
#include <cstdint>

#include "machine/korvale_tables.h"

namespace korvale {

using ModeVector = std::array<double, modeCount>;
using ModeMatrix = std::array<ModeVector, modeCount>;  // [from mode][to mode]

struct MachineModel {
    // Chance that a game is a REG; the same in every mode.
    double regProbability = 0.0;
    // Chance that a game is a BIG, by the mode the game began in, before the ceiling.
    ModeVector bigProbability{};
    // From this game since the last BIG on (the game itself counted), every mode's BIG
    // chance is ceilingBigProbability.
    std::int32_t ceilingGame = bigCeilingGames;
    double ceilingBigProbability = 0.0;
    // Next-mode chances after a REG and after a BIG, by the mode the bonus fell in. A row of
    // zeros keeps the mode (no lottery).
    ModeMatrix regNextMode{};
    ModeMatrix bigNextMode{};
    // Coins.
    double costCoefficient = 0.0;  // the float coefficient, widened exactly
    double coinsInPerGame = 0.0;
    double coinsPerBig = 0.0;
    double coinsPerReg = 0.0;
};

// The model of the machine at setting index 0..5, from machine/korvale_tables.h.
MachineModel machineModel(std::int32_t setting);

// The models of the six settings, by setting index.
using SettingModels = std::array<MachineModel, settingCount>;
SettingModels machineModels();

// A row of weights as chances; a null row (no lottery) keeps `mode`.
ModeVector nextModeChances(const WeightRow* row, int mode);

}  // namespace korvale
