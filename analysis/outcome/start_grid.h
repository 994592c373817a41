#pragma once

// The head of the net's law (NetLawHead) for one rule from many starts at once: the hunt
// table's chance to end ahead at each count of games since the machine's last BIG. From the
// first BIG on an attempt does not depend on its start, so the pieces after a BIG are
// tabulated once and, at every transform point, their renewal is worked out once for all
// starts; the first piece of every start comes in closed form against it (FirstPieceGrid).
// The starts share one table, wide enough for each.

#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "analysis/outcome/outcome_law.h"
#include "machine/attempt_end.h"

namespace korvale {

// One head per start, in their order, each as solveNetLawHead gives it from that start (its
// table reaches above 0 and the median, its bound covers every cumulative chance up to its
// top). A REG end above the BIG end + 1 solves each start apart (solveRegWaitNetHead). Throws
// as solveNetLawHead does; `control.threads` share the transform out, its progress is not told.
std::vector<NetLawHead> solveNetLawHeads(const MachineModel& model, EndConditions end,
                                         const std::vector<AttemptStart>& starts,
                                         const WorkControl& control = {});

}  // namespace korvale
