#pragma once

// How often each whole number came up in a run (net coins per attempt, games between BIGs),
// for the measured laws: shares with their Wilson intervals and percentiles with their
// order-statistic intervals.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "analysis/measured/ratio_statistics.h"

namespace korvale {

// The counts sit in one table from the lowest value seen to the highest while that range is
// compact: a run adds millions of values over a range of some thousands, and a table takes
// each in a step. Values spread thinly over a wide range (a few attempts of millions of games
// each) are kept value by value instead, so that memory and every step after the run follow
// the values held rather than the range they span.
class Tally {
  public:
    void add(std::int64_t value) {
        if (!spread_ && (total_ == 0 || value < first_ ||
                         value >= first_ + static_cast<std::int64_t>(counts_.size()))) {
            makeRoom(value, value, total_ + 1);
        }
        if (spread_) {
            ++sparse_[value];
        } else {
            ++counts_[static_cast<std::size_t>(value - first_)];
        }
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
    // Calls visit(value, count) for each value seen, lowest first.
    template <typename Visit>
    void forEachValue(Visit visit) const {
        if (spread_) {
            for (const auto& [value, count] : sparse_) {
                visit(value, count);
            }
            cellsRead_ += static_cast<std::int64_t>(sparse_.size());
            return;
        }
        for (std::size_t i = 0; i < counts_.size(); ++i) {
            if (counts_[i] != 0) {
                visit(first_ + static_cast<std::int64_t>(i), counts_[i]);
            }
        }
        cellsRead_ += static_cast<std::int64_t>(counts_.size());
    }

    // The share of values >= `value` (or of those equal, or below) with its 95% interval
    // (Wilson's, the values independent); undefined with no values.
    double shareAtLeast(std::int64_t value) const;
    Interval shareInterval(double share) const;
    // The mean with its 95% interval (1.96 standard errors).
    double mean() const;
    Interval meanInterval() const;
    // The sample q-quantile (the smallest value whose cumulative share reaches q) and the
    // order-statistic interval [X(l), X(u)], l, u = n q -+ z sqrt(n q (1 - q)), z = 1.96 for 95%.
    std::int64_t quantile(double q) const;
    Interval quantileInterval(double q, double z = 1.959963984540054) const;

    // Table cells (or values kept one by one) read so far by merges and by the queries that
    // scan: what the work after a run costs, for the tests and the benchmark that keep it
    // linear.
    std::int64_t cellsRead() const { return cellsRead_; }

    // All a tally holds: each value seen with its count (lowest first), their number, sum and
    // sum of squares, for a tally carried to another process and made again there (fromHeld),
    // which then merges and answers as this one does.
    struct Held {
        std::vector<std::pair<std::int64_t, std::int64_t>> counts = {};
        std::int64_t total = 0;
        double sum = 0.0;
        double squares = 0.0;
    };
    Held held() const;
    // Throws std::invalid_argument for counts that are not above 0, in rising order of value,
    // adding up to the total.
    static Tally fromHeld(const Held& held);

  private:
    // Widens the table to hold [low, high], with room to spare on the side it grows, once
    // `held` values are in; or, when such a table would be mostly empty, keeps the values one
    // by one from now on.
    void makeRoom(std::int64_t low, std::int64_t high, std::int64_t held);

    std::int64_t first_ = 0;            // the value counts_[0] counts
    std::vector<std::int64_t> counts_;  // may hold zeros at either end
    bool spread_ = false;               // the values are in sparse_, not in counts_
    std::map<std::int64_t, std::int64_t> sparse_;
    std::int64_t total_ = 0;
    double sum_ = 0.0;
    double squares_ = 0.0;
    mutable std::int64_t cellsRead_ = 0;
};

}  // namespace korvale
