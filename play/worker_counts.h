#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "play/counter_limit.h"

namespace korvale {

// What one worker has played so far: its games and finished attempts, told by the worker
// between stretches of games and read by whoever watches the work (a progress display) while
// it goes on; and the counter limit that ended its play, read once it has returned. Each
// worker has its own, on a cache line of its own.
struct alignas(64) WorkerCounts {
    std::atomic<std::int64_t> games{0};
    std::atomic<std::int64_t> attempts{0};
    std::optional<CounterLimit> limit;
    // Whoever watches from the worker's own thread, where no other thread can (a page's engine
    // has none): hears each report.
    std::function<void()> watch;

    void report(std::int64_t playedGames, std::int64_t finishedAttempts) {
        games.store(playedGames, std::memory_order_relaxed);
        attempts.store(finishedAttempts, std::memory_order_relaxed);
        if (watch) {
            watch();
        }
    }
};

}  // namespace korvale
