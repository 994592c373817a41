#pragma once

#include "ui/runs/run_displays.h"

namespace korvale {

// The attempt run ("特別"): attempts one after another, each on a new machine, each ending once
// it has had a BIG and its games since the last BIG and since the last REG reach the end
// thresholds of txtBEnd and txtREnd. Every finished attempt is logged in the grid; the run's
// totals and the averages per attempt live in the text boxes.
void RunAttempts(RunDisplays& window);

}  // namespace korvale
