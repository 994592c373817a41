// The analysis window's long work: the latest request wins, work called off gives nothing and
// is not kept, a failure comes back as text, and the results kept are bounded.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

#include "tests/ui/window_fixture.h"
#include "ui/analysis_window/long_work.h"
#include "ui/controls/failure_words.h"

namespace korvale::testing {
namespace {

struct Made {
    int setup = 0;
    QString failure;
    int value = 0;
};

// Work that waits at a gate (or until it is called off) and gives ten times its setup; some
// setups throw instead.
struct GateWork {
    using Setup = int;
    using Result = Made;
    static constexpr std::size_t keptCount = 3;
    static constexpr const char* subject = "試験値は";
    static QString failure(const Status& status) {
        return QStringLiteral("式の答えなし：") + windowText(status);
    }
    static Made solve(const int& setup, const LongWorkControl<Made>& control);

    static constexpr int noSolution = -1;
    static constexpr int noMemory = -2;
    static constexpr int otherFault = -3;

    static inline std::mutex mutex;
    static inline std::condition_variable opened;
    static inline bool open = false;
    static inline std::atomic<int> begun{0};
    static inline std::atomic<int> calledOff{0};

    static void setOpen(bool value) {
        const std::lock_guard lock(mutex);
        open = value;
        opened.notify_all();
    }
};

Made GateWork::solve(const int& setup, const LongWorkControl<Made>& control) {
    ++begun;
    if (setup == noSolution) {
        throw StatusError(StatusReason::NoSolution, "singular");
    }
    if (setup == noMemory) {
        throw std::bad_alloc();
    }
    if (setup == otherFault) {
        throw std::logic_error("a fault");
    }
    control.progress(0.25);
    control.show(Made{setup, {}, -setup});
    std::unique_lock lock(mutex);
    while (!open) {
        opened.wait_for(lock, std::chrono::milliseconds(5));
        if (control.cancel != nullptr && control.cancel->load()) {
            ++calledOff;
            throw StatusError(StatusReason::Cancelled, "called off");
        }
    }
    return Made{0, {}, 10 * setup};
}

// Waits until `condition` holds, a few seconds at most.
template <typename Condition>
bool eventually(Condition condition) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

class LongWorkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GateWork::setOpen(false);
        GateWork::begun = 0;
        GateWork::calledOff = 0;
    }
    void TearDown() override { GateWork::setOpen(true); }

    int arrivals = 0;
    LongWork<GateWork> work{[this] { ++arrivals; }};
};

TEST_F(LongWorkTest, TheLatestRequestWinsAndShowsHowFarItIs) {
    work.request(1);
    ASSERT_TRUE(eventually([&] { return work.soFar() != nullptr; }));
    // While it waits: a quarter done, and what it showed so far.
    EXPECT_TRUE(work.pending());
    EXPECT_DOUBLE_EQ(work.done(), 0.25);
    EXPECT_EQ(work.soFar()->value, -1);
    work.request(1);  // the same again: nothing new begins
    work.request(2);
    EXPECT_TRUE(eventually([] { return GateWork::calledOff == 1; }));
    ASSERT_TRUE(eventually([] { return GateWork::begun == 2; }));
    GateWork::setOpen(true);
    work.waitForResult();
    EXPECT_FALSE(work.pending());
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(work.result(1), nullptr);
    ASSERT_NE(work.result(2), nullptr);
    EXPECT_EQ(work.result(2)->value, 20);
    EXPECT_EQ(work.result(2)->setup, 2);
    EXPECT_DOUBLE_EQ(work.done(), 1.0);
}

TEST_F(LongWorkTest, WorkCalledOffGivesNothingAndIsNotKept) {
    work.request(3);
    ASSERT_TRUE(eventually([] { return GateWork::begun == 1; }));
    work.callOff();
    EXPECT_FALSE(work.pending());
    EXPECT_FALSE(work.wanted().has_value());
    EXPECT_TRUE(eventually([] { return GateWork::calledOff == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(arrivals, 0);
    EXPECT_EQ(LongWork<GateWork>::findKept(3), nullptr);
    // Asked again, it is worked out again.
    GateWork::setOpen(true);
    work.request(3);
    work.waitForResult();
    EXPECT_EQ(GateWork::begun, 2);
    ASSERT_NE(work.result(3), nullptr);
    EXPECT_EQ(work.result(3)->value, 30);
}

TEST_F(LongWorkTest, AFailureComesBackInTheWindowsWords) {
    const struct {
        int setup;
        const char* said;
    } cases[] = {
        {GateWork::noSolution, "式の答えなし：singular"},
        {GateWork::noMemory, "メモリが足りず、試験値は求められません。"},
        {GateWork::otherFault, "試験値は求められませんでした（a fault）。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        work.request(c.setup);
        work.waitForResult();
        ASSERT_NE(work.result(c.setup), nullptr);
        EXPECT_EQ(work.result(c.setup)->failure.toStdString(), c.said);
        EXPECT_EQ(work.result(c.setup)->value, 0);
    }
    EXPECT_EQ(arrivals, 3);
}

TEST_F(LongWorkTest, TheResultsKeptAreTheLastFewUsed) {
    GateWork::setOpen(true);
    for (const int setup : {11, 12, 13, 14}) {
        EXPECT_EQ(LongWork<GateWork>::solveNow(setup)->value, 10 * setup);
    }
    EXPECT_EQ(GateWork::begun, 4);
    // Three kept: 11 was let go, 14 is at hand at once.
    EXPECT_EQ(LongWork<GateWork>::findKept(11), nullptr);
    work.request(14);
    EXPECT_FALSE(work.pending());
    ASSERT_NE(work.result(14), nullptr);
    EXPECT_EQ(work.result(14)->value, 140);
    LongWork<GateWork>::solveNow(11);
    EXPECT_EQ(GateWork::begun, 5);
    // 12 was the one used longest ago.
    EXPECT_EQ(LongWork<GateWork>::findKept(12), nullptr);
    EXPECT_NE(LongWork<GateWork>::findKept(13), nullptr);
}

// Work of many short steps shared out between two threads, each step looking at the call-off
// flag as the analysis does; the steps done are counted.
struct StepWork {
    using Setup = int;
    using Result = Made;
    static constexpr std::size_t keptCount = 3;
    static constexpr const char* subject = "";
    static QString failure(const Status&) { return {}; }
    static Made solve(const int& setup, const LongWorkControl<Made>& control) {
        ++begun;
        std::atomic<int> done{0};
        try {
            shareTasks(steps, 2, [&](std::size_t) {
                stopIfCalledOff(control.cancel);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                ++stepsDone;
                if (currentWorker() == 0U) {
                    control.progress(static_cast<double>(++done) / steps);
                }
            });
        } catch (const WorkCancelled&) {
            ++calledOff;
            throw;
        }
        return Made{0, {}, setup};
    }
    static constexpr int steps = 300;
    static inline std::atomic<int> begun{0};
    static inline std::atomic<int> stepsDone{0};
    static inline std::atomic<int> calledOff{0};
};

TEST(LongWorkHoldTest, HeldWorkWaitsAndGoesOnFromWhereItWasOrEndsWhenCalledOff) {
    StepWork::stepsDone = 0;
    StepWork::calledOff = 0;
    int arrivals = 0;
    auto work = std::make_unique<LongWork<StepWork>>([&] { ++arrivals; });
    // Held while it goes on: no step is done, and no time counted, until it is let go.
    work->request(1);
    ASSERT_TRUE(eventually([] { return StepWork::stepsDone >= 20; }));
    work->hold(true);
    EXPECT_TRUE(work->held());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the steps under way end
    const int atHold = StepWork::stepsDone;
    const double takenAtHold = work->secondsTaken();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(StepWork::stepsDone, atHold);
    EXPECT_LT(atHold, StepWork::steps);
    EXPECT_TRUE(work->pending());
    EXPECT_DOUBLE_EQ(work->secondsTaken(), takenAtHold);
    work->hold(false);
    work->waitForResult();
    ASSERT_NE(work->result(1), nullptr);
    EXPECT_EQ(StepWork::stepsDone, StepWork::steps);  // none done twice
    EXPECT_EQ(arrivals, 1);

    // Asked for while held, it waits to begin; called off while held, it still ends.
    StepWork::stepsDone = 0;
    work->hold(true);
    work->request(2);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(StepWork::stepsDone, 0);
    work->request(3);
    EXPECT_TRUE(eventually([] { return StepWork::calledOff == 1 && StepWork::begun == 3; }));
    // Dropped while held (the window let go at the program's end), it ends too.
    work.reset();
    EXPECT_TRUE(eventually([] { return StepWork::calledOff == 2; }));
    EXPECT_EQ(StepWork::stepsDone, 0);
}

}  // namespace
}  // namespace korvale::testing
