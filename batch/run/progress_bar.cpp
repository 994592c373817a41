#include "batch/run/progress_bar.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace korvale {
namespace {

constexpr int barWidth = 30;

std::string clockText(double seconds) {
    if (!(seconds >= 0.0) || seconds > 1e8) {
        return "--:--:--";
    }
    const long total = std::lround(seconds);
    return fmt::format("{:02}:{:02}:{:02}", total / 3600, total / 60 % 60, total % 60);
}

}  // namespace

void ProgressBar::draw(double fraction, const std::string& middle, double secondsLeft) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * barWidth);
    out_ << fmt::format("\r[{:#<{}}{: <{}}] {:5.1f}%{}  left {} ", "", filled, "",
                        barWidth - filled, fraction * 100.0, middle, clockText(secondsLeft))
         << std::flush;
    drawn_ = true;
}

void ProgressBar::show(double fraction, double gamesPerSecond, double secondsLeft) {
    draw(fraction, fmt::format("  {:.3g} games/s", gamesPerSecond), secondsLeft);
}

void ProgressBar::showShare(double fraction) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    draw(fraction, "", fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : -1.0);
}

void ProgressBar::clear() {
    if (drawn_) {
        out_ << '\r' << std::string(80, ' ') << '\r' << std::flush;
        drawn_ = false;
    }
}

}  // namespace korvale
