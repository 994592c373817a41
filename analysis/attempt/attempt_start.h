#pragma once

// Where an attempt begins. A morning attempt plays a new machine (mode 0, nothing played); a
// found one takes over a machine of the hall's long run that shows gamesSinceBig games since
// its last BIG, its mode as the long run leaves it at such a moment. Either way the attempt's
// own counters (its games, BIGs and REGs, the end rule's) start at zero; only the machine's
// ceiling counter and its mode carry over.

#include <cstdint>

#include "analysis/model/machine_model.h"

namespace korvale {

struct AttemptStart {
    // The ceiling counter at the player's first game: that game is game gamesSinceBig + 1
    // after the machine's last BIG, so from 1499 on it plays under the ceiling.
    std::int32_t gamesSinceBig = 0;
    ModeVector modeLaw{1.0};  // the chance of each mode at the first game
    bool found = false;       // false: the morning's new machine
};

AttemptStart morningStart();

// A machine found gamesSinceBig >= 0 games after its last BIG (foundMachineState).
AttemptStart foundStart(const MachineModel& model, std::int32_t gamesSinceBig);

}  // namespace korvale
