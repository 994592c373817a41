#include "batch/run/interrupt.h"

#include <csignal>

namespace korvale {
namespace {

std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    requested.store(true, std::memory_order_relaxed);
}

}  // namespace

void catchInterrupt() {
    // Also when the shell started the program with SIGINT ignored (a background job): the
    // help promises that Ctrl-C, or a kill -INT, stops the work.
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return requested.load(std::memory_order_relaxed);
}

const std::atomic<bool>* interruptFlag() {
    return &requested;
}

void clearInterrupt() {
    requested.store(false, std::memory_order_relaxed);
}

}  // namespace korvale
