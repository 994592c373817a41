#pragma once

#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

class ProgressBar;

// korvale-batch exact: the long run of the chosen settings and, with end conditions, what an
// attempt is worth (the cost rounded per attempt as the window rounds it). Redraws `bar`, when
// not null, as the settings are solved.
Report exactReport(const BatchOptions& options, ProgressBar* bar);

}  // namespace korvale
