#include "analysis/measured/count_histogram.h"

namespace korvale {

std::int64_t CountHistogram::binOf(std::int64_t value) const {
    // Rounds down for negative values too.
    const std::int64_t bin = value / binWidth_;
    return (value % binWidth_ != 0 && value < 0) ? bin - 1 : bin;
}

void CountHistogram::add(std::int64_t value) {
    const std::int64_t bin = binOf(value);
    if (counts_.empty()) {
        firstBin_ = bin;
        counts_.push_back(0);
    } else if (bin < firstBin_) {
        counts_.insert(counts_.begin(), static_cast<std::size_t>(firstBin_ - bin), 0);
        firstBin_ = bin;
    }
    const auto index = static_cast<std::size_t>(bin - firstBin_);
    if (index >= counts_.size()) {
        counts_.resize(index + 1, 0);
    }
    ++counts_[index];
    ++total_;
}

void CountHistogram::clear() {
    counts_.clear();
    firstBin_ = 0;
    total_ = 0;
}

std::int64_t CountHistogram::countAtLeast(std::int64_t value) const {
    std::int64_t count = 0;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        if ((firstBin_ + static_cast<std::int64_t>(i)) * binWidth_ >= value) {
            count += counts_[i];
        }
    }
    return count;
}

}  // namespace korvale
