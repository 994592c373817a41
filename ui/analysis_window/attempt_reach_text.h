#pragma once

// Whether the attempts of an attempt run can end within the run's 32-bit counters, in the
// window's words. The run still starts and plays by end conditions that no attempt can meet
// (until a counter reaches its limit), but the window says so at Start, for the reason
// korvale-batch gives when it refuses them.

#include <QString>
#include <cstdint>
#include <optional>

#include "machine/attempt_end.h"

namespace korvale {

struct UnreachableEnds {
    QString headline;  // one line, for the status bar
    QString reason;    // why: the expected length of an attempt and the condition that makes it
};

// None when an attempt at setting index 0..5 can be expected to end within 2,147,483,647 games.
std::optional<UnreachableEnds> unreachableEnds(std::int32_t setting, const EndConditions& end);

}  // namespace korvale
