#pragma once

// The control of long work: what a caller on another thread (a window, the command line's
// Ctrl-C) hands to every long analysis call, always as its last argument, and what the work
// throws when it is called off. One type for every kind of work, so that a caller catches one
// thing: a StatusError of the code Cancelled, which it can tell apart from the failures.
// Work running inside shared work (parallel_work.h) also stops when that work was told to
// (another worker failed). Work may also be held where it looks at its flag (work_hold.h).

#include <atomic>
#include <cstdint>
#include <functional>

#include "common/parallel_work.h"
#include "common/status.h"
#include "common/work_hold.h"

namespace korvale {

struct WorkCancelled : StatusError {
    WorkCancelled() : StatusError(StatusReason::Cancelled) {}
};

// The cores of this machine, at least 1: what "0 threads" means wherever a count is asked for.
unsigned everyCore() noexcept;

struct WorkControl {
    // Hears the share of the work done, 0 .. 1, rising, 1 last; one call at a time, on the
    // thread that each long call names.
    using Progress = std::function<void(double share)>;
    // Hears, with the share done (which may pass 1 on a clock's run), the games played so far:
    // work that plays the machine tells both, for a speed of play to show.
    using Played = std::function<void(double share, std::int64_t games)>;

    // Set from another thread, the work stops soon after and throws WorkCancelled.
    const std::atomic<bool>* cancel = nullptr;
    Progress progress = {};  // none: nobody hears it (= {}: a designated list may leave it out)
    // The threads the work may share itself out among; 0: every core.
    unsigned threads = 0;
    Played played = {};  // none: nobody hears them

    // The threads to start: `threads`, or every core for 0.
    unsigned workers() const noexcept { return threads == 0 ? everyCore() : threads; }

    // Whether the work is to stop at its next look: `cancel` set, or the shared work it runs
    // inside told to stop. For work that then hands back what it finished instead of throwing.
    bool calledOff() const noexcept {
        return (cancel != nullptr && cancel->load(std::memory_order_relaxed)) || workStopped();
    }
};

// Throws WorkCancelled when `cancel` is given and set, or the shared work was told to stop;
// while the work is held (work_hold.h), waits first.
inline void stopIfCalledOff(const std::atomic<bool>* cancel) {
    waitWhileHeld();
    if ((cancel != nullptr && cancel->load(std::memory_order_relaxed)) || workStopped()) {
        throw WorkCancelled();
    }
}

}  // namespace korvale
