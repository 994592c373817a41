#include "common/work_hold.h"

namespace korvale {
namespace {

thread_local const WorkHold* heldBy = nullptr;

}  // namespace

void WorkHold::hold() {
    const std::lock_guard lock(mutex_);
    if (!ended_) {
        held_ = true;
    }
}

void WorkHold::letGo() {
    const std::lock_guard lock(mutex_);
    held_ = false;
    letGo_.notify_all();
}

void WorkHold::end() {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    held_ = false;
    letGo_.notify_all();
}

void WorkHold::waitWhileHeld() const {
    std::unique_lock lock(mutex_);
    letGo_.wait(lock, [this] { return !held_.load(std::memory_order_relaxed); });
}

const WorkHold* currentHold() noexcept {
    return heldBy;
}

UnderHold::UnderHold(const WorkHold* hold) : before_(heldBy) {
    heldBy = hold;
}

UnderHold::~UnderHold() {
    heldBy = before_;
}

}  // namespace korvale
