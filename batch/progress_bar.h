#pragma once

#include <ostream>

namespace korvale {

// One line on a terminal, redrawn in place: a bar, the percent done, games per second and the
// time left. The caller decides whether there is a terminal to draw on.
class ProgressBar {
  public:
    explicit ProgressBar(std::ostream& out) : out_(out) {}

    // fraction 0..1 of the run done; secondsLeft < 0 when unknown.
    void show(double fraction, double gamesPerSecond, double secondsLeft);
    // Clears the line, so that nothing of the bar is left when the run ends.
    void clear();

  private:
    std::ostream& out_;
    bool drawn_ = false;
};

}  // namespace korvale
