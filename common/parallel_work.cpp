#include "common/parallel_work.h"

#include <utility>

namespace korvale {
namespace {

// What the calling thread works for: the shared work and its worker's number.
struct WorkerFrame {
    const Workers* workers = nullptr;
    unsigned worker = 0;
};
thread_local WorkerFrame current;

// Marks the calling thread as running `worker` of `workers` for as long as it lives.
class AsWorker {
  public:
    AsWorker(const Workers* workers, unsigned worker) : before_(current) {
        current = {workers, worker};
    }
    ~AsWorker() { current = before_; }
    AsWorker(const AsWorker&) = delete;
    AsWorker& operator=(const AsWorker&) = delete;

  private:
    WorkerFrame before_;
};

}  // namespace

const Workers* currentWorkers() noexcept {
    return current.workers;
}

std::optional<unsigned> currentWorker() noexcept {
    if (current.workers == nullptr) {
        return std::nullopt;
    }
    return current.worker;
}

Workers::Workers(Work work, std::function<void()> onStop)
    : work_(std::move(work)),
      onStop_(std::move(onStop)),
      outer_(currentWorkers()),
      hold_(currentHold()) {}

Workers::~Workers() {
    bool waiting = false;
    {
        const std::lock_guard lock(mutex_);
        waiting = running_ > 0;
    }
    if (waiting) {
        requestStop();
    }
    for (std::thread& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

void Workers::start(unsigned worker) {
    {
        const std::lock_guard lock(mutex_);
        ++running_;
    }
    try {
        threads_.emplace_back([this, worker] { run(worker); });
    } catch (...) {
        const std::lock_guard lock(mutex_);
        --running_;
        throw;
    }
}

void Workers::runHere(unsigned worker) {
    {
        const std::lock_guard lock(mutex_);
        ++running_;
    }
    run(worker);
}

void Workers::run(unsigned worker) noexcept {
    std::exception_ptr failure;
    try {
        const AsWorker as(this, worker);
        const UnderHold under(hold_);
        work_(worker);
    } catch (...) {
        failure = std::current_exception();
    }
    bool first = false;
    {
        const std::lock_guard lock(mutex_);
        if (failure && !failure_) {
            failure_ = failure;
            first = true;
        }
    }
    if (first) {
        requestStop();
    }
    const std::lock_guard lock(mutex_);
    if (--running_ == 0) {
        allDone_.notify_all();
    }
}

bool Workers::waitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return allDone_.wait_until(lock, deadline, [this] { return running_ == 0; });
}

void Workers::join() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
    threads_.clear();
    std::exception_ptr failure;
    {
        const std::lock_guard lock(mutex_);
        failure = std::exchange(failure_, nullptr);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void Workers::requestStop() {
    if (!stop_.exchange(true) && onStop_) {
        onStop_();
    }
}

bool Workers::stopRequested() const noexcept {
    for (const Workers* workers = this; workers != nullptr; workers = workers->outer_) {
        if (workers->stop_.load(std::memory_order_relaxed)) {
            return true;
        }
    }
    return false;
}

void runSideBySide(unsigned threads, const Workers::Work& work) {
    Workers workers(work);
    for (unsigned i = 1; i < threads; ++i) {
        workers.start(i);
    }
    workers.runHere(0);
    workers.join();
}

void shareTasks(std::size_t count, unsigned threads,
                const std::function<void(std::size_t task)>& task) {
    std::atomic<std::size_t> next{0};
    runSideBySide(threads, [&](unsigned) {
        for (std::size_t i = next++; i < count && !workStopped(); i = next++) {
            task(i);
        }
    });
}

}  // namespace korvale
