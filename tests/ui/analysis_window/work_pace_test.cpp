// The time left of long work, under a scripted clock: work whose pace the script sets (steady,
// a loaded machine's that comes and goes, progress told in steps, a hold in the middle) is
// played second by second, and the estimate is held against the time the rest of the script
// truly takes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "ui/analysis_window/work_pace.h"

namespace korvale::testing {
namespace {

struct Script {
    const char* name;
    // The share the work does in the second from t (running time, holds left out).
    std::function<double(double t)> pace;
    // The seconds in which a loaded machine's pace comes and goes: the time left is held to the
    // truth while more than that is left (less, it depends on what the next seconds bring).
    double cycle = 0.0;
    // The share the work tells, from the share it has done (steps: rounded down).
    double step = 0.0;
    // Held for this many seconds once this share is done (none: 0).
    double holdAt = 0.0;
    double holdSeconds = 0.0;
};

// The running time the script takes to do it all.
double finish(const Script& script) {
    double done = 0.0;
    double t = 0.0;
    while (done < 1.0) {
        done += script.pace(t) * 0.01;
        t += 0.01;
    }
    return t;
}

double told(const Script& script, double done) {
    const double share = std::min(done, 1.0);
    return script.step > 0 ? std::floor(share / script.step + 1e-9) * script.step : share;
}

TEST(WorkPaceTest, TheTimeLeftHoldsWithinAFactorOfOneAndAHalfOnceATenthIsDone) {
    // About 10 minutes of work at the average pace; a loaded machine's pace is a third of it for
    // 20 s in every 50 (builds beside it), and slow from the start.
    const double average = 1.0 / 600.0;
    const Script scripts[] = {
        {"quiet", [=](double) { return average; }},
        {"loaded",
         [=](double t) { return std::fmod(t, 50.0) < 20.0 ? average / 3 : average * 1.4; }, 50.0},
        {"loaded from the start, slower",
         [=](double t) { return (std::fmod(t, 30.0) < 15.0 ? 0.2 : 1.0) * average / 4; }, 30.0},
        {"told in 40 steps", [=](double) { return average; }, 0.0, 1.0 / 40},
        {"held five minutes at 40%", [=](double) { return average; }, 0.0, 0.0, 0.4, 300.0},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        double now = 1000.0;  // the clock: any fixed point
        WorkPace pace([&now] { return now; });
        double t = 0.0;  // running time
        double done = 0.0;
        bool held = false;
        int checked = 0;
        const double end = finish(script);
        // "計測中" before the first seconds and the first moves.
        pace.see(0.0);
        EXPECT_FALSE(pace.secondsLeft().has_value());
        while (done < 1.0) {
            if (script.holdSeconds > 0 && !held && done >= script.holdAt) {
                held = true;
                pace.hold();
                now += script.holdSeconds;
                pace.see(told(script, done));
                EXPECT_NEAR(pace.secondsRun(), t, 1e-6);
                pace.letGo();
            }
            const double step = 0.25;  // the window looks four times a second
            for (int i = 0; i < 25; ++i) {
                done += script.pace(t + 0.01 * i) * 0.01;
            }
            t += step;
            now += step;
            pace.see(told(script, done));
            EXPECT_NEAR(pace.secondsRun(), t, 1e-6);
            const std::optional<double> left = pace.secondsLeft();
            if (t < 2.0) {
                EXPECT_FALSE(left.has_value()) << t;
            }
            if (done >= 0.1 && done < 0.999) {
                ASSERT_TRUE(left.has_value()) << t;
                const double truth = end - t;
                // The last seconds: a step more or less is no matter.
                if (truth > std::max(5.0, script.cycle)) {
                    ++checked;
                    EXPECT_LE(*left, 1.5 * truth) << "at " << t << " s, " << done;
                    EXPECT_GE(*left, truth / 1.5) << "at " << t << " s, " << done;
                }
            }
        }
        EXPECT_GT(checked, 100);
    }
}

}  // namespace
}  // namespace korvale::testing
