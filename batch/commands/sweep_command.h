#pragma once

#include <ostream>

#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

class ProgressBar;

// korvale-batch sweep: every point of the grid of end conditions for the chosen settings, with
// each rule's risk (unless --means-only), each setting's best rules and its frontier marked in
// the details. With a bar (on a terminal) what the risk figures will cost is said on `notes`
// first, and the bar shows the share done as the work goes. Ctrl-C ends it with the rules
// worked out so far, marked partial.
Report sweepReport(const BatchOptions& options, ProgressBar* bar, std::ostream& notes);

}  // namespace korvale
