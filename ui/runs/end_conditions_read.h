#pragma once

// The attempt run's end conditions as the run reads its two boxes at Start: leniently (text
// that is not a number reads as 0), the BIG end as it reads, the REG end rounded to whole
// games, halves to even. The run, the status bar, the saved CSV and the analysis window all
// read them here, so that "abc" is seen to be 0 wherever it shows.

#include <cstdint>
#include <optional>
#include <string_view>

#include "machine/attempt_end.h"

namespace korvale {

struct EndConditionsRead {
    double bigEnd = 0.0;
    std::optional<std::int32_t> regEnd;  // none when it does not fit 32 bits: the run refuses it

    // The conditions the run plays by; for a REG end that does not fit 32 bits, the overflow
    // (StatusError) with which the run refuses to start.
    EndConditions playedBy() const;
    bool operator==(const EndConditionsRead&) const = default;
};

EndConditionsRead readEndConditions(std::string_view bigEndText, std::string_view regEndText);

}  // namespace korvale
