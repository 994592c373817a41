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
    QString headline;  // one line
    QString reason;    // one line: the condition that makes the attempts too long, and how long
    QString basis;     // how the expected length was found; empty for a bound
    // The three as one text, phrase by phrase on lines of their own.
    QString text() const;
};

// None when an attempt at setting index 0..5 can be expected to end within 2,147,483,647 games.
std::optional<UnreachableEnds> unreachableEnds(std::int32_t setting, const EndConditions& end);

}  // namespace korvale
