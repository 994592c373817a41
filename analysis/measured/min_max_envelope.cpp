#include "analysis/measured/min_max_envelope.h"

#include <algorithm>

namespace korvale {

void MinMaxEnvelope::Bucket::take(const EnvelopePoint& point) {
    if (!used) {
        used = true;
        low = point;
        high = point;
        return;
    }
    if (point.y < low.y) {
        low = point;
    }
    if (point.y > high.y) {
        high = point;
    }
}

void MinMaxEnvelope::Bucket::take(const Bucket& other) {
    if (other.used) {
        take(other.low);
        take(other.high);
    }
}

MinMaxEnvelope::MinMaxEnvelope(int buckets) : buckets_(static_cast<std::size_t>(buckets)) {}

void MinMaxEnvelope::clear() {
    std::fill(buckets_.begin(), buckets_.end(), Bucket{});
    width_ = 1;
    points_ = 0;
    lastX_ = 0;
    lowest_ = 0.0;
    highest_ = 0.0;
}

void MinMaxEnvelope::widen() {
    const std::size_t half = buckets_.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        Bucket merged = buckets_[2 * i];
        merged.take(buckets_[2 * i + 1]);
        buckets_[i] = merged;
    }
    std::fill(buckets_.begin() + static_cast<long>(half), buckets_.end(), Bucket{});
    width_ *= 2;
}

void MinMaxEnvelope::add(std::int64_t x, double y) {
    while (x / width_ >= static_cast<std::int64_t>(buckets_.size())) {
        widen();
    }
    buckets_[static_cast<std::size_t>(x / width_)].take(EnvelopePoint{x, y});
    lowest_ = points_ == 0 ? y : std::min(lowest_, y);
    highest_ = points_ == 0 ? y : std::max(highest_, y);
    lastX_ = x;
    ++points_;
}

std::int64_t MinMaxEnvelope::columnWidth(int columns) const {
    const std::int64_t span = lastX_ + 1;
    const std::int64_t perColumn = (span + columns - 1) / std::max(columns, 1);
    return std::max<std::int64_t>(1, (perColumn + width_ - 1) / width_) * width_;
}

std::vector<EnvelopePoint> MinMaxEnvelope::polyline(int columns) const {
    std::vector<EnvelopePoint> line;
    if (points_ == 0 || columns <= 0) {
        return line;
    }
    const std::int64_t step = columnWidth(columns);
    line.reserve(2 * static_cast<std::size_t>(columns));
    Bucket column;
    int current = 0;
    auto emit = [&line](const Bucket& bucket) {
        if (!bucket.used) {
            return;
        }
        const bool lowFirst = bucket.low.x <= bucket.high.x;
        line.push_back(lowFirst ? bucket.low : bucket.high);
        if (bucket.low.x != bucket.high.x || bucket.low.y != bucket.high.y) {
            line.push_back(lowFirst ? bucket.high : bucket.low);
        }
    };
    for (const Bucket& bucket : buckets_) {
        if (!bucket.used) {
            continue;
        }
        const auto target = static_cast<int>(bucket.low.x / step);
        if (target != current) {
            emit(column);
            column = Bucket{};
            current = target;
        }
        column.take(bucket);
    }
    emit(column);
    return line;
}

}  // namespace korvale
