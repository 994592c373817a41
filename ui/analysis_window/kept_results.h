#pragma once

// What the analysis window has worked out, by setup: a few results, looked through in turn.
// The one used longest ago is let go when one more would pass the capacity; a panel that still
// shows it keeps its own share of it. Safe to use from several threads.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace korvale {

// Result has a member `setup` that compares with ==.
template <typename Result>
class KeptResults {
  public:
    explicit KeptResults(std::size_t capacity) : capacity_(capacity) {}

    // The result for `setup`, now the one used last, or nullptr.
    template <typename Setup>
    std::shared_ptr<const Result> find(const Setup& setup) {
        const std::lock_guard lock(mutex_);
        const auto found = std::find_if(kept_.begin(), kept_.end(),
                                        [&](const auto& kept) { return kept->setup == setup; });
        if (found == kept_.end()) {
            return nullptr;
        }
        std::rotate(found, found + 1, kept_.end());  // now the one used last
        return kept_.back();
    }

    void keep(std::shared_ptr<const Result> result) {
        const std::lock_guard lock(mutex_);
        kept_.push_back(std::move(result));
        if (kept_.size() > capacity_) {
            kept_.erase(kept_.begin());
        }
    }

  private:
    const std::size_t capacity_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<const Result>> kept_;  // the one used longest ago first
};

}  // namespace korvale
