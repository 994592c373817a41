#pragma once

// What the filter over the hidden mode needs of the six settings' models, worked out once: the
// logs of every per-game chance, the chance of a run of games without a bonus by its length, and
// the mode lotteries. Everything is laid out with the setting innermost, so that one loop over a
// row serves all six settings.

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/inference/bonus_history.h"
#include "analysis/model/machine_model.h"

namespace korvale {

using SettingVector = std::array<double, settingCount>;
using ModeSettingMatrix = std::array<SettingVector, modeCount>;  // [mode][setting]

struct FilterTables {
    // Throws std::invalid_argument unless the six models share one ceiling game of at least 1.
    explicit FilterTables(const SettingModels& models);

    std::int32_t ceilingGame = 0;

    // Logs of the chance that a game is a REG, a BIG under the ceiling, and quiet (no bonus)
    // under the ceiling.
    SettingVector logReg{};
    SettingVector logCeilingBig{};
    SettingVector logCeilingQuiet{};
    // Before the ceiling, by mode: the BIG chance, its log, and the log of a quiet game.
    ModeSettingMatrix big{};
    ModeSettingMatrix logBig{};
    ModeSettingMatrix logQuiet{};

    // A run of n quiet games before the ceiling has chance quiet[m]^n. Exponentials of long runs
    // underflow (a mode with BIG chance 3/4 is below 1e-308 after some 500 games), so the run is
    // taken relative to the mode with the likeliest quiet game, the reference: its log is
    // n * logReferenceQuiet and quietRunRelative[n][m] = (quiet[m] / quiet[reference])^n, for
    // n = 0..ceilingGame-1, never above 1. Entries below 1e-250 are stored as 0: after every
    // bonus the reference mode keeps a share of at least about 1e-5 of the mass, so what they
    // would add is below 1e-240 of the total, and they cannot turn into subnormal numbers, which
    // are slow.
    SettingVector logReferenceQuiet{};
    std::vector<ModeSettingMatrix> quietRunRelative;

    // The next mode's chances after a bonus: next[kind][from][to][setting]. A model's row of
    // zeros (no lottery) keeps the mode.
    std::array<std::array<ModeSettingMatrix, modeCount>, 2> next{};

    static std::size_t kindIndex(BonusKind kind) { return kind == BonusKind::Big ? 0 : 1; }
};

// n * logValue, and 0 for n = 0 even when the log is -inf (a chance of 0 to the power 0).
inline double timesLog(std::int64_t n, double logValue) {
    return n == 0 ? 0.0 : static_cast<double>(n) * logValue;
}

}  // namespace korvale
