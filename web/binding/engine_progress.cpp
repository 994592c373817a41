#include "web/binding/engine_progress.h"

#include <algorithm>

namespace korvale {

namespace {
constexpr auto tellEvery = std::chrono::milliseconds(150);
}  // namespace

bool ThrottledProgress::due() {
    if (!tell_) {
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < tellEvery) {
        return false;
    }
    last_ = now;
    return true;
}

void ThrottledProgress::share(double done) {
    if (due()) {
        tell_(std::clamp(done, 0.0, 1.0), std::nullopt);
    }
}

void ThrottledProgress::played(double done, std::int64_t games) {
    if (due()) {
        tell_(std::clamp(done, 0.0, 1.0), games);
    }
}

WorkControl ThrottledProgress::control() {
    return {.progress = [this](double done) { share(done); }, .threads = 1};
}

}  // namespace korvale
