#include "analysis/attempt/attempt_start.h"

#include "analysis/long_run/long_run.h"

namespace korvale {

AttemptStart morningStart() { return {}; }

AttemptStart foundStart(const MachineModel& model, std::int32_t gamesSinceBig) {
    AttemptStart start;
    start.gamesSinceBig = gamesSinceBig;
    start.modeLaw = foundMachineState(model, gamesSinceBig).modeLaw;
    start.found = true;
    return start;
}

}  // namespace korvale
