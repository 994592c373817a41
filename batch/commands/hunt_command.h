#pragma once

// korvale-batch hunt: the 狙い目 table from options to a report.

#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

// The table for the settings asked for (and the prior's mixture with all six). Ctrl-C throws
// WorkCancelled: a table is printed whole or not at all.
Report huntReport(const BatchOptions& options);

}  // namespace korvale
