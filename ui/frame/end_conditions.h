#pragma once

// The attempt run's end conditions as the run reads them (end_conditions_read.h), as the status
// bar and the saved CSV show them, so that "abc" is seen to be 0.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "ui/analysis_window/attempt_reach_text.h"
#include "ui/runs/end_conditions_read.h"

namespace korvale {

struct RunSetup;

// "300", "300.5"; "" for a REG end the run refuses.
std::string bigEndValue(const EndConditionsRead& end);
std::string regEndValue(const EndConditionsRead& end);

// The status bar's line for the attempt panel: the conditions the boxes read as, and, when the
// boxes were changed after the attempt run on show started, the ones that run used.
QString endConditionsStatus(const RunSetup& run, std::string_view bigEndText,
                            std::string_view regEndText);

// For an attempt run that was started: why none of its attempts can end within its counters,
// if so (none for a per-mode run, and for a REG end the run refuses).
std::optional<UnreachableEnds> runEndsUnreachable(const RunSetup& run);

}  // namespace korvale
