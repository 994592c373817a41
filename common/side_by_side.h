#pragma once

// Work shared out among threads that each take their next share from a common counter.

#include <functional>
#include <thread>
#include <vector>

namespace korvale {

// Runs `work` on `threads` threads at once (this one among them, so at least one) and returns
// when every one of them has returned.
inline void runSideBySide(unsigned threads, const std::function<void()>& work) {
    std::vector<std::thread> workers;
    for (unsigned i = 1; i < threads; ++i) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

}  // namespace korvale
