#include "analysis/tally.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvale {
namespace {

constexpr double z95 = 1.959963984540054;

}  // namespace

void Tally::merge(const Tally& other) {
    for (const auto& [value, count] : other.counts_) {
        counts_[value] += count;
    }
    total_ += other.total_;
    sum_ += other.sum_;
    squares_ += other.squares_;
}

std::int64_t Tally::countAtLeast(std::int64_t value) const {
    std::int64_t count = 0;
    for (auto it = counts_.lower_bound(value); it != counts_.end(); ++it) {
        count += it->second;
    }
    return count;
}

std::int64_t Tally::orderStatistic(std::int64_t i) const {
    std::int64_t seen = 0;
    for (const auto& [value, count] : counts_) {
        seen += count;
        if (i < seen) {
            return value;
        }
    }
    throw std::out_of_range("order statistic beyond the tally");
}

double Tally::shareAtLeast(std::int64_t value) const {
    return static_cast<double>(countAtLeast(value)) / static_cast<double>(total_);
}

Interval Tally::shareInterval(double share) const {
    if (total_ < 2) {
        return {};
    }
    const double half = z95 * std::sqrt(share * (1.0 - share) / static_cast<double>(total_));
    return {true, std::max(0.0, share - half), std::min(1.0, share + half)};
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
