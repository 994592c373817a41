#pragma once

// Runs that cannot end, or not within the tables, refused before any work; and the warning of a
// run that would take hours.

#include <string>

#include "batch/options/batch_options.h"

namespace korvale {

// Refuses end conditions that no attempt can be expected to meet within the machine's 32-bit
// game counter, runs of so many attempts that some would outlast it, and exact figures asked
// for beyond the tables; keeps the expected games of one attempt for the warning of a long run.
void checkRunLimits(BatchOptions& options);

// A warning, one line, when `games` in all would take more than an hour on `threads` threads;
// empty otherwise. The speed taken is on the fast side of what was measured (about 45 to 90
// million games a second a thread), so that the time said is if anything short.
std::string lengthWarning(double games, int threads, const std::string& what);

}  // namespace korvale
