#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "batch/run/counter_limit.h"

namespace korvale {

// What the worker threads of one run share with the thread that watches them: a stop request
// and each worker's progress. Every worker writes only its own counters, on a cache line of
// its own, and only between stretches of games.
class RunControl {
  public:
    explicit RunControl(int threads)
        : threads_(threads),
          progress_(std::make_unique<Progress[]>(static_cast<std::size_t>(threads))) {}

    void requestStop() { stop_.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }

    // A worker reports the games it has played and the attempts it has finished so far.
    void report(int thread, std::int64_t games, std::int64_t attempts) {
        Progress& p = progress_[static_cast<std::size_t>(thread)];
        p.games.store(games, std::memory_order_relaxed);
        p.attempts.store(attempts, std::memory_order_relaxed);
    }

    std::int64_t games() const { return sum(&Progress::games); }
    std::int64_t attempts() const { return sum(&Progress::attempts); }

    // A worker's machine reached a counter's limit: the first one is kept and every worker
    // stops, as at the end of the time.
    void reachLimit(CounterLimit limit) {
        {
            const std::lock_guard<std::mutex> lock(limitLock_);
            if (!limit_) {
                limit_ = std::move(limit);
            }
        }
        requestStop();
    }
    std::optional<CounterLimit> limit() const {
        const std::lock_guard<std::mutex> lock(limitLock_);
        return limit_;
    }

  private:
    struct alignas(64) Progress {
        std::atomic<std::int64_t> games{0};
        std::atomic<std::int64_t> attempts{0};
    };

    std::int64_t sum(std::atomic<std::int64_t> Progress::*member) const {
        std::int64_t total = 0;
        for (int i = 0; i < threads_; ++i) {
            total +=
                (progress_[static_cast<std::size_t>(i)].*member).load(std::memory_order_relaxed);
        }
        return total;
    }

    int threads_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<Progress[]> progress_;
    mutable std::mutex limitLock_;
    std::optional<CounterLimit> limit_;
};

}  // namespace korvale
