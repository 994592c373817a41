#include "common/work_control.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>

namespace korvale {
namespace {

TEST(WorkControlTest, ZeroThreadsMeansEveryCoreAndAnyOtherCountStands) {
    // The cores as the system counts those online, asked another way than the code asks.
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    ASSERT_GE(online, 1);
    const struct {
        unsigned threads;
        unsigned workers;
    } cases[] = {{0, static_cast<unsigned>(online)}, {1, 1}, {3, 3}, {256, 256}};
    for (const auto& c : cases) {
        EXPECT_EQ(WorkControl{.threads = c.threads}.workers(), c.workers) << c.threads;
    }
}

TEST(WorkControlTest, CalledOffByItsFlagOrByTheSharedWorkItRunsIn) {
    std::atomic<bool> cancel{false};
    EXPECT_NO_THROW(stopIfCalledOff(nullptr));
    EXPECT_NO_THROW(stopIfCalledOff(&cancel));
    cancel = true;
    try {
        stopIfCalledOff(&cancel);
        ADD_FAILURE() << "not called off";
    } catch (const StatusError& error) {
        EXPECT_EQ(error.reason(), StatusReason::Cancelled);
    }
    // Worker 1 fails; worker 0, with no flag, then finds its work called off (within ten
    // seconds).
    bool sawStop = false;
    const auto work = [&](unsigned worker) {
        if (worker == 1) {
            throw std::runtime_error("failed");
        }
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!sawStop && std::chrono::steady_clock::now() < giveUp) {
            try {
                stopIfCalledOff(nullptr);
            } catch (const WorkCancelled&) {
                sawStop = true;
            }
        }
    };
    EXPECT_THROW(runSideBySide(2, work), std::runtime_error);
    EXPECT_TRUE(sawStop);
}

// The look of work that hands back what it finished when called off: the same two causes, no
// throw.
TEST(WorkControlTest, CalledOffIsAskedWithoutThrowing) {
    std::atomic<bool> cancel{false};
    const WorkControl control{.cancel = &cancel};
    EXPECT_FALSE(WorkControl{}.calledOff());
    EXPECT_FALSE(control.calledOff());
    cancel = true;
    EXPECT_TRUE(control.calledOff());
    // A worker with no flag sees the shared work told to stop (within ten seconds).
    std::atomic<bool> sawStop{false};
    Workers workers([&](unsigned) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!sawStop && std::chrono::steady_clock::now() < giveUp) {
            sawStop = WorkControl{}.calledOff();
        }
    });
    workers.start(0);
    workers.requestStop();
    workers.join();
    EXPECT_TRUE(sawStop);
}

}  // namespace
}  // namespace korvale
