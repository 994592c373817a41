#pragma once

#include <istream>
#include <stdexcept>

#include "batch/batch_options.h"
#include "report/report_model.h"

namespace korvale {

// A history that cannot be read: the file cannot be opened or read, or a line is not a bonus.
// what() is the one line shown to the user.
class HistoryInputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// korvale-batch infer: reads the whole history (from `in` for "-") and works out the setting
// estimate. Throws HistoryInputError before computing anything when the history does not read.
Report inferReport(const BatchOptions& options, std::istream& in);

}  // namespace korvale
