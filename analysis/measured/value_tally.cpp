#include "analysis/measured/value_tally.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvale {
namespace {

// A table may always take this many cells, and more only up to this many per value held;
// beyond, it would be mostly empty and the values are kept one by one.
constexpr std::int64_t denseCells = 1 << 16;
constexpr std::int64_t denseFactor = 8;

}  // namespace

void Tally::makeRoom(std::int64_t low, std::int64_t high, std::int64_t held) {
    if (spread_) {
        return;
    }
    // The table to have, [first, end): a new one, or the old one grown by at least its size on
    // each side that needs room.
    std::int64_t first = low;
    std::int64_t end = low + std::max<std::int64_t>(64, high - low + 1);
    if (!counts_.empty()) {
        const auto size = static_cast<std::int64_t>(counts_.size());
        first = low < first_ ? first_ - std::max(first_ - low, size) : first_;
        end = high >= first_ + size ? std::max(high + 1, first_ + 2 * size) : first_ + size;
    }
    if (end - first > std::max(denseCells, denseFactor * held)) {
        forEachValue([this](std::int64_t value, std::int64_t count) { sparse_[value] += count; });
        std::vector<std::int64_t>().swap(counts_);
        spread_ = true;
        return;
    }
    if (counts_.empty()) {
        first_ = first;
        counts_.assign(static_cast<std::size_t>(end - first), 0);
        return;
    }
    if (first < first_) {
        counts_.insert(counts_.begin(), static_cast<std::size_t>(first_ - first), 0);
        first_ = first;
    }
    counts_.resize(static_cast<std::size_t>(end - first_), 0);
}

void Tally::merge(const Tally& other) {
    if (other.total_ == 0) {
        return;
    }
    makeRoom(other.lowest(), other.highest(), total_ + other.total_);
    if (spread_) {
        other.forEachValue(
            [this](std::int64_t value, std::int64_t count) { sparse_[value] += count; });
    } else if (other.spread_) {
        other.forEachValue([this](std::int64_t value, std::int64_t count) {
            counts_[static_cast<std::size_t>(value - first_)] += count;
        });
    } else {
        // The bounds once: the other's table may end in a long run of empty cells.
        const std::int64_t low = other.lowest();
        const auto from = static_cast<std::size_t>(low - other.first_);
        const auto to = static_cast<std::size_t>(low - first_);
        const auto cells = static_cast<std::size_t>(other.highest() - low + 1);
        for (std::size_t i = 0; i < cells; ++i) {
            counts_[to + i] += other.counts_[from + i];
        }
        cellsRead_ += static_cast<std::int64_t>(cells);
    }
    total_ += other.total_;
    sum_ += other.sum_;
    squares_ += other.squares_;
}

Tally::Held Tally::held() const {
    Held held{.total = total_, .sum = sum_, .squares = squares_};
    forEachValue([&held](std::int64_t value, std::int64_t count) {
        held.counts.emplace_back(value, count);
    });
    return held;
}

Tally Tally::fromHeld(const Held& held) {
    Tally tally;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < held.counts.size(); ++i) {
        const auto [value, count] = held.counts[i];
        if (count <= 0 || count > held.total - total ||
            (i > 0 && value <= held.counts[i - 1].first)) {
            throw std::invalid_argument("a tally's counts are out of order or do not add up");
        }
        total += count;
    }
    if (total != held.total) {
        throw std::invalid_argument("a tally's counts are out of order or do not add up");
    }
    if (total > 0) {
        tally.makeRoom(held.counts.front().first, held.counts.back().first, total);
        for (const auto& [value, count] : held.counts) {
            if (tally.spread_) {
                tally.sparse_[value] = count;
            } else {
                tally.counts_[static_cast<std::size_t>(value - tally.first_)] = count;
            }
        }
    }
    tally.total_ = total;
    tally.sum_ = held.sum;
    tally.squares_ = held.squares;
    return tally;
}

std::int64_t Tally::lowest() const {
    if (spread_) {
        return sparse_.begin()->first;
    }
    std::size_t i = 0;
    while (counts_[i] == 0) {
        ++i;
    }
    cellsRead_ += static_cast<std::int64_t>(i) + 1;
    return first_ + static_cast<std::int64_t>(i);
}

std::int64_t Tally::highest() const {
    if (spread_) {
        return sparse_.rbegin()->first;
    }
    std::size_t i = counts_.size() - 1;
    while (counts_[i] == 0) {
        --i;
    }
    cellsRead_ += static_cast<std::int64_t>(counts_.size() - i);
    return first_ + static_cast<std::int64_t>(i);
}

std::int64_t Tally::countOf(std::int64_t value) const {
    if (spread_) {
        const auto found = sparse_.find(value);
        return found == sparse_.end() ? 0 : found->second;
    }
    const std::int64_t i = value - first_;
    return i >= 0 && i < static_cast<std::int64_t>(counts_.size())
               ? counts_[static_cast<std::size_t>(i)]
               : 0;
}

std::int64_t Tally::countAtLeast(std::int64_t value) const {
    std::int64_t count = 0;
    if (spread_) {
        for (auto i = sparse_.lower_bound(value); i != sparse_.end(); ++i) {
            count += i->second;
            ++cellsRead_;
        }
        return count;
    }
    const std::int64_t from = std::min(std::max<std::int64_t>(value - first_, 0),
                                       static_cast<std::int64_t>(counts_.size()));
    for (auto i = static_cast<std::size_t>(from); i < counts_.size(); ++i) {
        count += counts_[i];
    }
    cellsRead_ += static_cast<std::int64_t>(counts_.size()) - from;
    return count;
}

std::int64_t Tally::orderStatistic(std::int64_t i) const {
    std::int64_t seen = 0;
    if (spread_) {
        for (const auto& [value, count] : sparse_) {
            ++cellsRead_;
            seen += count;
            if (i < seen) {
                return value;
            }
        }
    } else {
        for (std::size_t k = 0; k < counts_.size(); ++k) {
            seen += counts_[k];
            if (i < seen) {
                cellsRead_ += static_cast<std::int64_t>(k) + 1;
                return first_ + static_cast<std::int64_t>(k);
            }
        }
    }
    throw std::out_of_range("order statistic beyond the tally");
}

double Tally::shareAtLeast(std::int64_t value) const {
    return static_cast<double>(countAtLeast(value)) / static_cast<double>(total_);
}

Interval Tally::shareInterval(double share) const {
    return wilsonInterval(share, static_cast<double>(total_));
}

double Tally::mean() const {
    return sum_ / static_cast<double>(total_);
}

Interval Tally::meanInterval() const {
    if (total_ < 2) {
        return {};
    }
    const double n = static_cast<double>(total_);
    const double m = mean();
    const double variance = std::max(0.0, (squares_ - n * m * m) / (n - 1.0));
    const double half = studentT975(total_ - 1) * std::sqrt(variance / n);
    return {true, m - half, m + half};
}

std::int64_t Tally::quantile(double q) const {
    const auto rank = static_cast<std::int64_t>(std::ceil(q * static_cast<double>(total_)));
    return orderStatistic(std::clamp<std::int64_t>(rank - 1, 0, total_ - 1));
}

Interval Tally::quantileInterval(double q, double z) const {
    if (total_ < 2) {
        return {};
    }
    const double n = static_cast<double>(total_);
    const double spread = z * std::sqrt(n * q * (1.0 - q));
    const auto low = static_cast<std::int64_t>(std::max(std::floor(n * q - spread), 1.0)) - 1;
    const auto high = static_cast<std::int64_t>(std::min(std::ceil(n * q + spread), n)) - 1;
    return {true, static_cast<double>(orderStatistic(low)),
            static_cast<double>(orderStatistic(high))};
}

}  // namespace korvale
