#pragma once

// The net's law of an attempt, played forward game by game over the machine's full state,
// straight from the rules: a machine (new, in mode 0, unless told otherwise) plays until, after a
// game, a BIG has fallen, at least bigEnd games have followed the last BIG, and either no REG has
// fallen or at least regEnd games have followed the last REG; the net is 388 BIG + 127 REG -
// round(c G). Meant for small hand-built models (short ceilings, high bonus chances): its cost
// grows with the attempts' length and with the spread of their bonus counts.

#include <cstdint>
#include <map>

#include "analysis/model/machine_model.h"

namespace korvale {

struct ReferenceNetLaw {
    std::map<std::int64_t, double> net;  // net coins -> chance
    double unfinished = 0.0;             // still playing when the pass stopped
    double dropped = 0.0;                // tiny entries left out along the way

    double pAhead() const;  // P(net > 0)
    double atMost(std::int64_t value) const;
    // The smallest net whose cumulative chance reaches q.
    std::int64_t quantile(double q) const;
};

// Where the attempt takes the machine over: by default the new machine, mode 0; else a machine
// `gamesSinceBig` games after its last BIG, in mode m with chance modeLaw[m].
struct ReferenceStart {
    ModeVector modeLaw{1.0};
    std::int32_t gamesSinceBig = 0;
};

// The end conditions in whole games; stops once less than `stopBelow` is still playing.
ReferenceNetLaw referenceNetLaw(const MachineModel& model, std::int32_t bigEndGames,
                                std::int32_t regEndGames, double stopBelow = 1e-13,
                                const ReferenceStart& start = {});

// A small machine for the reference: three modes (ordinary, hot, cold), REGs one game in
// thirty, a ceiling at game 12 by default, setting index 0's coins and a cost of 16.604 a game.
MachineModel smallReferenceMachine(std::int32_t ceilingGame = 12);

}  // namespace korvale
