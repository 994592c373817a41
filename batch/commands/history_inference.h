#pragma once

#include <istream>
#include <ostream>
#include <stdexcept>

#include "batch/options/batch_options.h"
#include "report/model/report_model.h"

namespace korvale {

// A history that cannot be used. what() is the one line shown to the user; the exit status is 1
// when the file cannot be opened or read (the system's reason is given), 2 when what it holds is
// not a bonus history.
class HistoryInputError : public std::runtime_error {
  public:
    HistoryInputError(const std::string& message, int exitStatus)
        : std::runtime_error(message), exitStatus_(exitStatus) {}

    int exitStatus() const { return exitStatus_; }

  private:
    int exitStatus_;
};

// korvale-batch infer: reads the whole history (from `in` for "-") and works out the setting
// estimate. Throws HistoryInputError before computing anything when the history does not read.
// A history without a bonus is said on `warnings`; the answer is then the prior (and the
// trailing games).
Report inferReport(const BatchOptions& options, std::istream& in, std::ostream& warnings);

}  // namespace korvale
