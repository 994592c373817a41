#pragma once

#include <chrono>
#include <ostream>

namespace korvale {

// One line on a terminal, redrawn in place: a bar, the percent done, the speed of play when
// there is one, and the time left. The caller decides whether there is a terminal to draw on.
class ProgressBar {
  public:
    explicit ProgressBar(std::ostream& out) : out_(out), start_(std::chrono::steady_clock::now()) {}

    // fraction 0..1 of the run done; secondsLeft < 0 when unknown.
    void show(double fraction, double gamesPerSecond, double secondsLeft);
    // fraction 0..1 of a computation done; the time left estimated from the time so far.
    void showShare(double fraction);
    // Clears the line, so that nothing of the bar is left when the work ends.
    void clear();

  private:
    void draw(double fraction, const std::string& middle, double secondsLeft);

    std::ostream& out_;
    std::chrono::steady_clock::time_point start_;
    bool drawn_ = false;
};

}  // namespace korvale
