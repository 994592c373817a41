#pragma once

#include "play/parallel_run.h"
#include "report/model/report_model.h"

namespace korvale {

// A simulated run as a report: what was asked (seed included, so that it can be repeated), the
// measured figures of its run kind, and the time it took.
Report simulationReport(const BatchResult& result);

}  // namespace korvale
