#pragma once

#include <ostream>

#include "batch/batch_options.h"

namespace korvale {

// korvale-batch --exact: works out and writes the figures that the machine's tables imply (the
// long run; with end conditions, what an attempt is worth; with --sweep, the sweep over end
// conditions), in the format the options ask for.
void writeExactFigures(const BatchOptions& options, std::ostream& out);

}  // namespace korvale
