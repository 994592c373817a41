#pragma once

#include <istream>
#include <ostream>

#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

class ProgressBar;

// korvale-batch infer: reads the whole history (from `in` for "-") and works out the setting
// estimate. Before computing anything, a history that cannot be used throws a StatusError
// whose what() is the one line shown to the user: FileNotRead when the file cannot be opened or
// read (the system's reason is given), NotABonusHistory when what it holds is not a bonus
// history.
// A history without a bonus is said on `warnings`; the answer is then the prior (and the
// trailing games). With end conditions also what playing on from where the history leaves the
// machine is worth under them, per setting and mixed by the posterior, `bar` (when not null)
// redrawn as it is worked out; Ctrl-C then leaves it out and marks the report partial.
Report inferReport(const BatchOptions& options, std::istream& in, std::ostream& warnings,
                   ProgressBar* bar = nullptr);

}  // namespace korvale
