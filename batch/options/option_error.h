#pragma once

// How the command line's complaints are raised: a StatusError (BadCommandLine) whose what() is
// the one line the user sees, "korvale-batch: OPTION: message".

#include <string>
#include <string_view>

namespace korvale {

[[noreturn]] void optionError(std::string_view option, const std::string& message);

// "OPTION: expected EXPECTED, got "TEXT"", the text as a terminal can show it.
[[noreturn]] void badValue(std::string_view option, std::string_view expected,
                           std::string_view text);

}  // namespace korvale
