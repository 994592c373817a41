#pragma once

#include <cstdint>
#include <string>

namespace korvale {

// What a run was started with, as Start found it: the kind of run, the setting and the texts of
// the attempt run's end conditions (read once at the start, so later typing changes nothing).
struct RunSetup {
    bool started = false;  // false until the first Start
    bool attempts = false;
    std::int32_t setting = 0;
    std::string bigEndText;
    std::string regEndText;
};

}  // namespace korvale
