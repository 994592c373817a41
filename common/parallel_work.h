#pragma once

// Work shared out among threads. Every worker is joined whatever happens; the first exception a
// worker throws is kept, the others are told to stop, and that exception reaches the caller
// once all of them have returned. A worker polls workStopped() (or the group's flag) between
// its steps; shared work started inside a worker stops with the work it belongs to, and its
// workers are under the hold (work_hold.h) of the thread that made it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "common/work_hold.h"

namespace korvale {

class Workers {
  public:
    using Work = std::function<void(unsigned worker)>;

    // `onStop`, when given, is called once, when the work is first told to stop (a worker's
    // failure or requestStop), on the thread that stops it: a way to pass the word on to flags
    // of the work's own.
    explicit Workers(Work work, std::function<void()> onStop = {});
    // Left by an exception: tells the work to stop and waits for every worker still running.
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Starts worker `worker` on a thread of its own.
    void start(unsigned worker);
    // Runs worker `worker` on the calling thread; what it throws is kept like any other's.
    void runHere(unsigned worker);
    // Waits until every worker started has returned, or until `deadline`; true when they have.
    bool waitUntil(std::chrono::steady_clock::time_point deadline);
    // Waits for every worker, then rethrows the first exception one of them threw.
    void join();

    void requestStop();
    // Told to stop, or the shared work this one runs inside was.
    bool stopRequested() const noexcept;

  private:
    void run(unsigned worker) noexcept;

    Work work_;
    std::function<void()> onStop_;
    const Workers* outer_;  // the work whose worker made this one, if any
    const WorkHold* hold_;  // the hold of the thread that made it, if any
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable allDone_;
    std::size_t running_ = 0;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

// The shared work the calling thread runs a worker of, innermost first; nullptr outside any.
const Workers* currentWorkers() noexcept;
// The number of that worker.
std::optional<unsigned> currentWorker() noexcept;

// Whether the shared work the calling thread works for was told to stop (false outside any).
inline bool workStopped() noexcept {
    const Workers* workers = currentWorkers();
    return workers != nullptr && workers->stopRequested();
}

// Runs work(worker) for worker 0 .. threads-1 at once, worker 0 on the calling thread (so at
// least that one), and returns when every one has returned; the first exception thrown in any
// of them is rethrown here.
void runSideBySide(unsigned threads, const Workers::Work& work);

// Runs task(0) .. task(count-1), handed out in turn to `threads` workers as runSideBySide runs
// them; once one task has thrown (or the work was told to stop), no other is started.
void shareTasks(std::size_t count, unsigned threads,
                const std::function<void(std::size_t task)>& task);

}  // namespace korvale
