#pragma once

// The fixed tables of the Korvale machine: thresholds out of 65536 for the per-game draw, the
// weight rows of the mode lottery, and the coin constants. The machine plays from these, and
// anything that studies the machine reads them from here.

#include <array>
#include <cstdint>

namespace korvale {

inline constexpr int settingCount = 6;
inline constexpr int modeCount = 6;

// Every game draws 1..drawRange.
inline constexpr std::int32_t drawRange = 65536;

// REG threshold by setting index 0..5; any other setting index has threshold 0.
inline constexpr std::array<std::int32_t, settingCount> regThresholds = {100, 108, 116,
                                                                         126, 136, 137};

// BIG threshold by mode 0..5, the same for every setting; any other mode has threshold 0.
inline constexpr std::array<std::int32_t, modeCount> bigThresholds = {223,   49528, 2355,
                                                                      49528, 329,   114};

// From this many games since the last BIG (the current game included) the BIG threshold is
// ceilingBigThreshold in every mode.
inline constexpr std::int32_t bigCeilingGames = 1500;
inline constexpr std::int32_t ceilingBigThreshold = 1000;

// Weights of the next mode 0..5; the lottery draws mode k with probability w[k] / sum.
using WeightRow = std::array<std::int32_t, modeCount>;

// REG weights in mode 0 depend on whether the setting index is even or odd.
inline constexpr WeightRow regWeightsMode0EvenSetting = {79994, 2, 5000, 10, 15001, 2};
inline constexpr WeightRow regWeightsMode0OddSetting = {79993, 2, 5000, 2, 15002, 2};

// REG weights by the mode in force when the REG fell, for modes 1..5 (index 0 is unused: mode 0
// takes one of the two rows above).
inline constexpr std::array<WeightRow, modeCount> regWeightsByMode = {{
    {0, 0, 0, 0, 0, 0},
    {0, 99994, 2, 2, 2, 2},
    {0, 25000, 49997, 25000, 2, 2},
    {0, 99994, 2, 2, 2, 2},
    {0, 2, 2, 25000, 74995, 2},
    {0, 2, 5000, 2, 15001, 79995},
}};

// BIG weights by [setting index][mode in force when the BIG fell]. No row leads to mode 0.
inline constexpr std::array<std::array<WeightRow, modeCount>, settingCount> bigWeights = {{
    {{
        {0, 1001, 10001, 10001, 10001, 68997},
        {0, 90001, 4999, 2, 4997, 2},
        {0, 5000, 2, 20001, 10001, 64996},
        {0, 2, 5000, 12500, 15001, 67497},
        {0, 3000, 15001, 20001, 2, 61996},
        {0, 1001, 10001, 10001, 10001, 68997},
    }},
    {{
        {0, 1001, 10001, 15001, 10001, 63997},
        {0, 90001, 4999, 2, 4997, 2},
        {0, 5000, 2, 20001, 10001, 64996},
        {0, 2, 5000, 15001, 15001, 64996},
        {0, 3000, 15001, 20001, 2, 61996},
        {0, 1001, 10001, 15001, 10001, 63997},
    }},
    {{
        {0, 1001, 10001, 10001, 15001, 63997},
        {0, 90001, 4999, 2, 4997, 2},
        {0, 8000, 2, 20001, 12500, 59497},
        {0, 2, 10001, 12500, 15001, 62497},
        {0, 5000, 15001, 20001, 2, 59996},
        {0, 1001, 10001, 10001, 15001, 63997},
    }},
    {{
        {0, 1001, 10001, 20001, 15001, 53996},
        {0, 90001, 4999, 2, 4997, 2},
        {0, 8000, 2, 20001, 12500, 59497},
        {0, 2, 10001, 20001, 15001, 54996},
        {0, 5000, 15001, 20001, 2, 59996},
        {0, 1001, 10001, 20001, 15001, 53996},
    }},
    {{
        {0, 5000, 15001, 10001, 20001, 49997},
        {0, 90001, 4999, 2, 4997, 2},
        {0, 15001, 2, 20001, 12500, 52496},
        {0, 2, 15001, 12500, 15001, 57497},
        {0, 8000, 15001, 20001, 2, 56996},
        {0, 5, 15001, 10001, 15001, 54997},
    }},
    {{
        {0, 1001, 15001, 20001, 50001, 13997},
        {0, 25000, 25000, 2, 50000, 24998},
        {0, 2, 2, 20001, 59999, 19997},
        {0, 2, 15001, 12500, 39999, 32498},
        {0, 2, 20001, 25000, 39999, 14998},
        {0, 1001, 15001, 20001, 50000, 13997},
    }},
}};

// Coins.
inline constexpr std::int32_t coinsInPerGame = 3;
inline constexpr std::int32_t coinsPerBig = 388;
inline constexpr std::int32_t coinsPerReg = 127;

// Average cost of a game apart from its bonuses, held in single precision: the float nearest
// 1.563 for setting index 5, the float nearest 1.604 for every other index.
inline constexpr float costCoefficientSetting6 = 1.563f;
inline constexpr float costCoefficientOther = 1.604f;

inline constexpr bool isValidIndex(std::int32_t index) {
    return index >= 0 && index < 6;
}

// The REG threshold of a setting index (0 outside 0..5).
inline constexpr std::int32_t regThreshold(std::int32_t setting) {
    return isValidIndex(setting) ? regThresholds[static_cast<std::size_t>(setting)] : 0;
}

// The BIG threshold in a mode after `gamesSinceBig` games since the last BIG, this one included.
inline constexpr std::int32_t bigThreshold(std::int32_t mode, std::int32_t gamesSinceBig) {
    if (gamesSinceBig >= bigCeilingGames) {
        return ceilingBigThreshold;
    }
    return isValidIndex(mode) ? bigThresholds[static_cast<std::size_t>(mode)] : 0;
}

// The REG weight row for (setting, mode), or nullptr when a REG holds no lottery there.
inline constexpr const WeightRow* regWeightRow(std::int32_t setting, std::int32_t mode) {
    if (!isValidIndex(mode)) {
        return nullptr;
    }
    if (mode != 0) {
        return &regWeightsByMode[static_cast<std::size_t>(mode)];
    }
    if (!isValidIndex(setting)) {
        return nullptr;
    }
    return setting % 2 == 0 ? &regWeightsMode0EvenSetting : &regWeightsMode0OddSetting;
}

// The BIG weight row for (setting, mode), or nullptr when a BIG holds no lottery there.
inline constexpr const WeightRow* bigWeightRow(std::int32_t setting, std::int32_t mode) {
    if (!isValidIndex(setting) || !isValidIndex(mode)) {
        return nullptr;
    }
    return &bigWeights[static_cast<std::size_t>(setting)][static_cast<std::size_t>(mode)];
}

inline constexpr float costCoefficient(std::int32_t setting) {
    return setting == 5 ? costCoefficientSetting6 : costCoefficientOther;
}

}  // namespace korvale
