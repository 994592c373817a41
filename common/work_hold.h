#pragma once

// Long work held by whoever asked for it (a window that no longer shows it): the work waits at
// its next look at its call-off flag (stopIfCalledOff) until it is let go, and then goes on from
// where it was; ended, it is let go for good, so that work called off while held still reaches
// its end. The hold a thread works under is the one put on it with UnderHold, or that of the
// shared work it is a worker of (parallel_work.h hands it on to the workers it starts).

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace korvale {

class WorkHold {
  public:
    // From any thread.
    void hold();
    void letGo();
    // Let go for good: hold() does nothing after.
    void end();
    bool held() const noexcept { return held_.load(std::memory_order_relaxed); }
    // On the work's thread: returns once the work is not held.
    void waitWhileHeld() const;

  private:
    std::atomic<bool> held_{false};
    bool ended_ = false;
    mutable std::mutex mutex_;
    mutable std::condition_variable letGo_;
};

// The hold the calling thread works under; nullptr for none.
const WorkHold* currentHold() noexcept;

// Puts the calling thread under `hold` (nullptr: none) for as long as it lives.
class UnderHold {
  public:
    explicit UnderHold(const WorkHold* hold);
    ~UnderHold();
    UnderHold(const UnderHold&) = delete;
    UnderHold& operator=(const UnderHold&) = delete;

  private:
    const WorkHold* before_;
};

// Waits while the calling thread's work is held.
inline void waitWhileHeld() {
    if (const WorkHold* hold = currentHold(); hold != nullptr && hold->held()) {
        hold->waitWhileHeld();
    }
}

}  // namespace korvale
