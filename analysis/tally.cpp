#include "analysis/tally.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvale {
namespace {

constexpr double z95 = 1.959963984540054;

}  // namespace

void Tally::makeRoom(std::int64_t value) {
    if (counts_.empty()) {
        first_ = value;
        counts_.assign(64, 0);
        return;
    }
    const auto size = static_cast<std::int64_t>(counts_.size());
    if (value < first_) {
        const std::int64_t more = std::max(first_ - value, size);
        counts_.insert(counts_.begin(), static_cast<std::size_t>(more), 0);
        first_ -= more;
    } else if (value >= first_ + size) {
        counts_.resize(static_cast<std::size_t>(std::max(value - first_ + 1, 2 * size)), 0);
    }
}

void Tally::merge(const Tally& other) {
    if (other.total_ == 0) {
        return;
    }
    makeRoom(other.lowest());
    makeRoom(other.highest());
    for (std::int64_t v = other.lowest(); v <= other.highest(); ++v) {
        counts_[static_cast<std::size_t>(v - first_)] += other.countOf(v);
    }
    total_ += other.total_;
    sum_ += other.sum_;
    squares_ += other.squares_;
}

std::int64_t Tally::lowest() const {
    std::size_t i = 0;
    while (counts_[i] == 0) {
        ++i;
    }
    return first_ + static_cast<std::int64_t>(i);
}

std::int64_t Tally::highest() const {
    std::size_t i = counts_.size() - 1;
    while (counts_[i] == 0) {
        --i;
    }
    return first_ + static_cast<std::int64_t>(i);
}

std::int64_t Tally::countOf(std::int64_t value) const {
    const std::int64_t i = value - first_;
    return i >= 0 && i < static_cast<std::int64_t>(counts_.size())
               ? counts_[static_cast<std::size_t>(i)]
               : 0;
}

std::int64_t Tally::countAtLeast(std::int64_t value) const {
    std::int64_t count = 0;
    const std::int64_t from = std::max<std::int64_t>(value - first_, 0);
    for (auto i = static_cast<std::size_t>(from); i < counts_.size(); ++i) {
        count += counts_[i];
    }
    return count;
}

std::int64_t Tally::orderStatistic(std::int64_t i) const {
    std::int64_t seen = 0;
    for (std::size_t k = 0; k < counts_.size(); ++k) {
        seen += counts_[k];
        if (i < seen) {
            return first_ + static_cast<std::int64_t>(k);
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

Interval Tally::quantileInterval(double q) const {
    if (total_ < 2) {
        return {};
    }
    const double n = static_cast<double>(total_);
    const double spread = z95 * std::sqrt(n * q * (1.0 - q));
    const auto low = static_cast<std::int64_t>(std::max(std::floor(n * q - spread), 1.0)) - 1;
    const auto high = static_cast<std::int64_t>(std::min(std::ceil(n * q + spread), n)) - 1;
    return {true, static_cast<double>(orderStatistic(low)),
            static_cast<double>(orderStatistic(high))};
}

}  // namespace korvale
