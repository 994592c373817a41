#pragma once

// The attempt run's end conditions as the run reads its two boxes at Start: leniently (text
// that is not a number reads as 0), the REG end rounded to whole games, halves to even. What
// the status bar and the saved CSV show, so that "abc" is seen to be 0.

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace korvale {

struct RunSetup;

struct EndConditionsRead {
    double bigEnd = 0.0;
    std::optional<std::int32_t> regEnd;  // none when it does not fit 32 bits: the run refuses it
    bool operator==(const EndConditionsRead&) const = default;
};

EndConditionsRead readEndConditions(std::string_view bigEndText, std::string_view regEndText);

// "300", "300.5"; "" for a REG end the run refuses.
std::string bigEndValue(const EndConditionsRead& end);
std::string regEndValue(const EndConditionsRead& end);

// The status bar's line for the attempt panel: the conditions the boxes read as, and, when the
// boxes were changed after the attempt run on show started, the ones that run used.
QString endConditionsStatus(const RunSetup& run, std::string_view bigEndText,
                            std::string_view regEndText);

}  // namespace korvale
