#include "ui/analysis_window/work_pace.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace korvale {

double WorkPace::steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

WorkPace::WorkPace(Clock clock) : clock_(std::move(clock)), began_(clock_()) {
    samples_.push_back({0.0, 0.0});
}

void WorkPace::hold() {
    if (!heldSince_) {
        heldSince_ = clock_();
    }
}

void WorkPace::letGo() {
    if (heldSince_) {
        heldSeconds_ += clock_() - *heldSince_;
        heldSince_.reset();
    }
}

double WorkPace::secondsRun() const {
    const double now = heldSince_ ? *heldSince_ : clock_();
    return std::max(0.0, now - began_ - heldSeconds_);
}

void WorkPace::see(double share) {
    // A sample is where the share moved, at the time it got there.
    if (share <= samples_.back().share) {
        return;
    }
    const Sample sample{secondsRun(), share};
    if (samples_.size() > 1 &&
        sample.seconds - samples_[samples_.size() - 2].seconds < sampleSpacing) {
        samples_.back() = sample;  // the first sample stays: it is where the measure began
    } else {
        samples_.push_back(sample);
    }
}

std::optional<double> WorkPace::secondsLeft() const {
    const Sample& last = samples_.back();
    const double now = secondsRun();
    if (now < leastSeconds || last.share < leastShare) {
        return std::nullopt;
    }
    // The later half of the run: from the latest sample at or before its middle.
    const auto after = std::upper_bound(
        samples_.begin(), samples_.end(), last.seconds / 2.0,
        [](double seconds, const Sample& sample) { return seconds < sample.seconds; });
    const Sample& since = *std::prev(after);
    if (since.seconds >= last.seconds) {
        return std::nullopt;
    }
    const double pace = (last.share - since.share) / (last.seconds - since.seconds);
    // Since the last sample the work went on: as much as a step between samples takes, at most
    // (when the share moves in steps; longer, it stands still).
    const double step =
        (last.seconds - since.seconds) / static_cast<double>(samples_.end() - after);
    return std::max(0.0, (1.0 - last.share) / pace - std::min(now - last.seconds, step));
}

}  // namespace korvale
