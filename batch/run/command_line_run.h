#pragma once

// A simulated run as the command line starts it: its plan from the options, Ctrl-C to stop it
// and the progress bar while it goes on. The play itself is the play library's (parallel_run.h).

#include <cstdio>

#include "batch/options/batch_options.h"
#include "play/parallel_run.h"

namespace korvale {

class ProgressBar;

// Settles the defaults of `options`: the clock's seed, every core, the default amount.
RunPlan makePlan(const BatchOptions& options);

// Plays `plan` (runBatch): Ctrl-C (once catchInterrupt is in force) stops it as the end of the
// time does, and `bar`, when not null, shows the share done, the speed of play and the time left
// while it goes on, and is cleared at its end.
BatchResult runFromCommandLine(const RunPlan& plan, std::FILE* log, ProgressBar* bar);

}  // namespace korvale
