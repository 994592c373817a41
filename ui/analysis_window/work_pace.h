#pragma once

// How long a piece of long work still needs, from its own measured pace: the share it has done
// against the seconds it has run, over the later half of that time (so that a machine whose load
// changes is followed), the time it was held left out. No estimate until the share has moved
// over a few seconds: the window then says "計測中".

#include <functional>
#include <optional>
#include <vector>

namespace korvale {

class WorkPace {
  public:
    // Seconds from any fixed point, rising; the steady clock unless a test scripts one.
    using Clock = std::function<double()>;
    static double steadySeconds();

    // Begins the measure now, at share 0.
    explicit WorkPace(Clock clock = &WorkPace::steadySeconds);

    // The time from hold() to letGo() is not counted.
    void hold();
    void letGo();
    bool held() const { return heldSince_.has_value(); }
    // The share done now (0 to 1); a share below one seen before is taken as that one.
    void see(double share);

    // The seconds the work has run, held time left out.
    double secondsRun() const;
    // The seconds it still needs at its pace, or none while that is not measured.
    std::optional<double> secondsLeft() const;

  private:
    struct Sample {
        double seconds;  // run so far
        double share;
    };
    // The least run time and share moved that make a pace.
    static constexpr double leastSeconds = 2.0;
    static constexpr double leastShare = 0.005;
    // Samples closer than this in run time replace one another (the last one kept).
    static constexpr double sampleSpacing = 0.5;

    Clock clock_;
    double began_;
    double heldSeconds_ = 0.0;
    std::optional<double> heldSince_;
    std::vector<Sample> samples_;
};

}  // namespace korvale
