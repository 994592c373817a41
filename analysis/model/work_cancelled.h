#pragma once

// Long analysis work that another thread can call off: the flag it watches and what it throws
// when the flag is set. One type for every kind of work, so that a caller catches one thing: a
// RuntimeError of the kind Cancelled, named so that a caller can take it apart from the failures.
// Work running inside shared work also stops when that work was told to (another worker failed).

#include <atomic>

#include "common/runtime_error.h"

#include "common/parallel_work.h"

namespace korvale {

struct WorkCancelled : RuntimeError {
    WorkCancelled() : RuntimeError(ErrorKind::Cancelled, "the work was called off") {}
};

// Throws WorkCancelled when `cancel` is given and set, or the shared work was told to stop.
inline void stopIfCalledOff(const std::atomic<bool>* cancel) {
    if ((cancel != nullptr && cancel->load(std::memory_order_relaxed)) || workStopped()) {
        throw WorkCancelled();
    }
}

}  // namespace korvale
