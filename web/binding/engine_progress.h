#pragma once

// The progress of one call told to the page at most every ~150 ms while the work goes on: the
// share done 0..1 and, for play, the games so far.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "common/work_control.h"

namespace korvale {

// Hears the share done and, for play, the games played so far.
using EngineProgress = std::function<void(double share, std::optional<std::int64_t> games)>;

class ThrottledProgress {
  public:
    explicit ThrottledProgress(EngineProgress tell) : tell_(std::move(tell)) {}

    // The control of the call's work: one worker, its progress and games told through this.
    WorkControl control();
    void share(double done);
    void played(double done, std::int64_t games);

  private:
    bool due();

    EngineProgress tell_;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace korvale
