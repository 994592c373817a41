#include "batch/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace korvale {
namespace {

constexpr int barWidth = 30;

std::string clockText(double seconds) {
    if (!(seconds >= 0.0) || seconds > 1e8) {
        return "--:--:--";
    }
    const long total = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                  total % 60);
    return text;
}

}  // namespace

void ProgressBar::show(double fraction, double gamesPerSecond, double secondsLeft) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * barWidth);
    char line[160];
    std::snprintf(line, sizeof line, "\r[%s%s] %5.1f%%  %.3g games/s  left %s ",
                  std::string(static_cast<std::size_t>(filled), '#').c_str(),
                  std::string(static_cast<std::size_t>(barWidth - filled), ' ').c_str(),
                  fraction * 100.0, gamesPerSecond, clockText(secondsLeft).c_str());
    out_ << line << std::flush;
    drawn_ = true;
}

void ProgressBar::clear() {
    if (drawn_) {
        out_ << '\r' << std::string(80, ' ') << '\r' << std::flush;
        drawn_ = false;
    }
}

}  // namespace korvale
