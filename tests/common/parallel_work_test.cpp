#include "common/parallel_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korvale {
namespace {

using namespace std::chrono_literals;

// Waits, at most ten seconds, for the shared work the calling thread runs in to be told to stop.
bool stopSeen() {
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    while (!workStopped()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Counts the workers that came in and those that went out, however they left.
struct Turnstile {
    std::atomic<int> in{0};
    std::atomic<int> out{0};
    struct Pass {
        explicit Pass(Turnstile& t) : turnstile(t) { ++turnstile.in; }
        ~Pass() { ++turnstile.out; }
        Turnstile& turnstile;
    };
};

// What reached the caller: the exception's type and its message.
struct Caught {
    std::string type;
    std::string message;
};

template <typename Run>
Caught caughtFrom(Run run) {
    try {
        run();
    } catch (const std::bad_alloc& error) {
        return {"bad_alloc", error.what()};
    } catch (const std::runtime_error& error) {
        return {"runtime_error", error.what()};
    } catch (...) {
        return {"other", ""};
    }
    return {"none", ""};
}

TEST(ParallelWorkTest, AWorkersFailureReachesTheCallerOnceEveryWorkerHasReturned) {
    struct Case {
        bool outOfMemory;
        unsigned failing;  // 0: the caller's own share
        Caught expected;
    };
    const Case cases[] = {
        {true, 3, {"bad_alloc", std::bad_alloc().what()}},
        {true, 0, {"bad_alloc", std::bad_alloc().what()}},
        {false, 2, {"runtime_error", "worker 2 gave up"}},
        {false, 0, {"runtime_error", "worker 0 gave up"}},
    };
    constexpr unsigned threads = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.expected.message << " from " << c.failing);
        Turnstile turnstile;
        std::atomic<int> stoppedEarly{0};
        std::atomic<int> numbered{0};
        const Caught caught = caughtFrom([&] {
            runSideBySide(threads, [&](unsigned worker) {
                const Turnstile::Pass pass(turnstile);
                numbered += currentWorker() == worker ? 1 : 0;
                if (worker == c.failing) {
                    if (c.outOfMemory) {
                        throw std::bad_alloc();
                    }
                    throw std::runtime_error("worker " + std::to_string(worker) + " gave up");
                }
                stoppedEarly += stopSeen() ? 1 : 0;
            });
        });
        EXPECT_EQ(caught.type, c.expected.type);
        EXPECT_EQ(caught.message, c.expected.message);
        EXPECT_EQ(turnstile.in.load(), 4);
        EXPECT_EQ(turnstile.out.load(), 4);
        EXPECT_EQ(stoppedEarly.load(), 3);
        EXPECT_EQ(numbered.load(), 4);
    }
    EXPECT_EQ(currentWorker(), std::nullopt);
    EXPECT_FALSE(workStopped());
}

TEST(ParallelWorkTest, TheFirstFailureWinsAndStopsWorkStartedInsideAWorker) {
    std::atomic<int> innerStopped{0};
    const Caught caught = caughtFrom([&] {
        runSideBySide(3, [&](unsigned worker) {
            if (worker == 1) {
                throw std::runtime_error("first");
            }
            if (worker == 0) {
                // Work of its own, stopped with the work it belongs to.
                runSideBySide(2, [&](unsigned) { innerStopped += stopSeen() ? 1 : 0; });
            }
            if (stopSeen()) {
                throw std::runtime_error("later");
            }
        });
    });
    EXPECT_EQ(caught.message, "first");
    EXPECT_EQ(innerStopped.load(), 2);
}

TEST(ParallelWorkTest, SharedTasksRunOnceEachAndNoneStartsAfterAFailure) {
    constexpr std::size_t count = 10000;
    std::vector<std::atomic<int>> runs(count);
    std::atomic<std::size_t> sum{0};
    shareTasks(count, 4, [&](std::size_t task) {
        ++runs[task];
        sum += task;
    });
    EXPECT_EQ(sum.load(), count * (count - 1) / 2);
    for (std::size_t task = 0; task < count; ++task) {
        ASSERT_EQ(runs[task].load(), 1) << task;
    }

    // Every task but the failing one holds its worker until the work is stopped, so that each
    // of the three workers takes at most one task before the failure and none after.
    std::atomic<int> started{0};
    const Caught caught = caughtFrom([&] {
        shareTasks(1000, 3, [&](std::size_t task) {
            ++started;
            if (task == 1) {
                throw std::runtime_error("task 1");
            }
            EXPECT_TRUE(stopSeen());
        });
    });
    EXPECT_EQ(caught.message, "task 1");
    EXPECT_GE(started.load(), 1);
    EXPECT_LE(started.load(), 3);
    EXPECT_EQ(
        caughtFrom([] { shareTasks(0, 2, [](std::size_t) { throw std::bad_alloc(); }); }).type,
        "none");
}

TEST(ParallelWorkTest, WorkersAreWatchedTillTheyReturnAndJoinedWhenTheWatcherFails) {
    std::atomic<bool> release{false};
    std::atomic<int> told{0};
    {
        Workers workers(
            [&](unsigned) {
                while (!release) {
                    std::this_thread::sleep_for(1ms);
                }
            },
            [&] { ++told; });
        for (unsigned i = 0; i < 3; ++i) {
            workers.start(i);
        }
        EXPECT_FALSE(workers.waitUntil(std::chrono::steady_clock::now() + 20ms));
        release = true;
        EXPECT_TRUE(workers.waitUntil(std::chrono::steady_clock::now() + 10s));
        workers.join();
        EXPECT_FALSE(workers.stopRequested());
    }
    EXPECT_EQ(told.load(), 0);

    // Every worker failing tells the watcher once; a watcher that fails itself still joins all.
    EXPECT_EQ(caughtFrom([&] {
                  Workers workers([](unsigned) { throw std::runtime_error("each"); },
                                  [&] { ++told; });
                  for (unsigned i = 0; i < 3; ++i) {
                      workers.start(i);
                  }
                  workers.join();
              }).message,
              "each");
    EXPECT_EQ(told.load(), 1);
    Turnstile turnstile;
    std::atomic<int> stoppedEarly{0};
    EXPECT_EQ(caughtFrom([&] {
                  Workers workers([&](unsigned) {
                      const Turnstile::Pass pass(turnstile);
                      stoppedEarly += stopSeen() ? 1 : 0;
                  });
                  workers.start(0);
                  workers.start(1);
                  throw std::runtime_error("the watcher");
              }).message,
              "the watcher");
    EXPECT_EQ(turnstile.out.load(), 2);
    EXPECT_EQ(stoppedEarly.load(), 2);
}

}  // namespace
}  // namespace korvale
