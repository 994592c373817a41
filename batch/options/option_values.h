#pragma once

// The options' texts read into values, strictly, through the readers of common/number_text.h.

#include "batch/options/batch_options.h"
#include "batch/options/command_line.h"

namespace korvale {

// The values of the options given, in the order their complaints come. A text that is not of
// its option's form, or lies beyond its limits, throws a StatusError (BadCommandLine) naming
// the option and the form and limits expected.
BatchOptions readOptionValues(const OptionTexts& texts);

// Refuses options that do not go together: more than one amount of play, --laws without end
// conditions.
void checkCombinations(const BatchOptions& options);

}  // namespace korvale
