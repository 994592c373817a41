#pragma once

// Counts of whole values in bins of one width ([k w, (k + 1) w) for every whole k, negative
// values included), the bins made as values come.

#include <cstdint>
#include <vector>

namespace korvale {

class CountHistogram {
  public:
    explicit CountHistogram(std::int64_t binWidth) : binWidth_(binWidth) {}

    void add(std::int64_t value);
    void clear();

    std::int64_t binWidth() const { return binWidth_; }
    std::int64_t total() const { return total_; }
    // The lower end of the first bin held, and the counts from there on.
    std::int64_t firstBinStart() const { return firstBin_ * binWidth_; }
    const std::vector<std::int64_t>& counts() const { return counts_; }
    // Values at or above `value`; exact when `value` is a multiple of the width.
    std::int64_t countAtLeast(std::int64_t value) const;

  private:
    std::int64_t binOf(std::int64_t value) const;

    std::int64_t binWidth_;
    std::int64_t firstBin_ = 0;
    std::int64_t total_ = 0;
    std::vector<std::int64_t> counts_;
};

}  // namespace korvale
