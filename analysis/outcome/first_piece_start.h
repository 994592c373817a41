#pragma once

// What the attempt's start changes in its outcome law: only the first piece, from the start to
// the first BIG, where the end test cannot yet hold. That piece begins with the start's mode
// law, and the BIG ceiling binds from the attempt's own game ceilingGame on (the machine's
// counter carries over: game 1 of an attempt found G games after a BIG is the machine's game
// G + 1). From the first BIG on the attempt no longer depends on its start.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"

namespace korvale {

struct FirstPieceStart {
    ModeVector modeLaw{1.0};
    // The first game of the attempt, counted from 1, played at the ceiling's chance: 1 for a
    // machine found at gamesSinceBig >= ceilingGame - 1.
    std::int32_t ceilingGame = 1;
};

// std::invalid_argument for a negative count of games since the BIG, or a mode law that is no
// law (a negative chance, or chances that do not add up to 1).
inline FirstPieceStart firstPieceStart(const MachineModel& model, const AttemptStart& start) {
    if (start.gamesSinceBig < 0) {
        throw std::invalid_argument("a machine is found at least 0 games after its last BIG");
    }
    double sum = 0.0;
    for (const double p : start.modeLaw) {
        if (!(p >= 0.0)) {
            throw std::invalid_argument("a mode's chance is at least 0");
        }
        sum += p;
    }
    if (!(std::abs(sum - 1.0) <= 1e-9)) {
        throw std::invalid_argument("the modes' chances add up to 1");
    }
    return {start.modeLaw, std::max(model.ceilingGame - start.gamesSinceBig, 1)};
}

}  // namespace korvale
