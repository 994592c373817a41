#pragma once

// How often each whole number came up in a run (net coins per attempt, games between BIGs),
// for the measured laws: shares with their Wilson intervals and percentiles with their
// order-statistic intervals.

#include <cstdint>
#include <vector>

#include "analysis/ratio_statistics.h"

namespace korvale {

// The counts sit in one table from the lowest value seen to the highest: a run adds millions
// of values over a range of some thousands, and a table takes each in a step.
class Tally {
  public:
    void add(std::int64_t value) {
        if (total_ == 0 || value < first_ ||
            value >= first_ + static_cast<std::int64_t>(counts_.size())) {
            makeRoom(value);
        }
        ++counts_[static_cast<std::size_t>(value - first_)];
        ++total_;
        sum_ += static_cast<double>(value);
        squares_ += static_cast<double>(value) * static_cast<double>(value);
    }
    void merge(const Tally& other);

    std::int64_t total() const { return total_; }
    double sum() const { return sum_; }
    // The lowest and the highest value seen; need total() > 0.
    std::int64_t lowest() const;
    std::int64_t highest() const;
    std::int64_t countOf(std::int64_t value) const;
    std::int64_t countAtLeast(std::int64_t value) const;
    // The i-th smallest value (0-based); requires i < total().
    std::int64_t orderStatistic(std::int64_t i) const;

    // The share of values >= `value` (or of those equal, or below) with its 95% interval
    // (Wilson's, the values independent); undefined with no values.
    double shareAtLeast(std::int64_t value) const;
    Interval shareInterval(double share) const;
    // The mean with its 95% interval (1.96 standard errors).
    double mean() const;
    Interval meanInterval() const;
    // The sample q-quantile (the smallest value whose cumulative share reaches q) and the
    // order-statistic interval [X(l), X(u)], l, u = n q -+ 1.96 sqrt(n q (1 - q)).
    std::int64_t quantile(double q) const;
    Interval quantileInterval(double q) const;

  private:
    // Widens the table to hold `value`, with room to spare on the side it grows.
    void makeRoom(std::int64_t value);

    std::int64_t first_ = 0;            // the value counts_[0] counts
    std::vector<std::int64_t> counts_;  // may hold zeros at either end
    std::int64_t total_ = 0;
    double sum_ = 0.0;
    double squares_ = 0.0;
};

}  // namespace korvale
