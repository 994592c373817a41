#include "batch/interrupt.h"

#include <unistd.h>
#include <atomic>

#include <csignal>

namespace korvale {
namespace {

std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
    requested.store(true, std::memory_order_relaxed);
}

extern "C" void onInterruptExit(int) {
    static const char clearLine[] = "\r\033[K";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, clearLine, sizeof clearLine - 1);
    _exit(130);
}

void install(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

void exitOnInterruptClearingLine() {
    install(onInterruptExit);
}

void catchInterrupt() {
    install(onInterrupt);
}

bool interruptRequested() {
    return requested.load(std::memory_order_relaxed);
}

void clearInterrupt() {
    requested.store(false, std::memory_order_relaxed);
}

}  // namespace korvale
