#pragma once

// A curve y(x), x = 0, 1, 2, ... growing without end, kept in a fixed number of buckets of
// equal width: each bucket holds its lowest and highest point. When x passes the last bucket
// the width doubles and neighbouring buckets merge, so the memory stays the same however long
// the curve grows, and a picture up to half the bucket count wide gets, per column of pixels,
// the exact lowest and highest value of the points in it (its columns are whole buckets).

#include <cstdint>
#include <vector>

namespace korvale {

struct EnvelopePoint {
    std::int64_t x = 0;
    double y = 0.0;
};

class MinMaxEnvelope {
  public:
    explicit MinMaxEnvelope(int buckets = 4096);

    // x must not decrease from one call to the next and must not be negative.
    void add(std::int64_t x, double y);
    void clear();

    std::int64_t points() const { return points_; }
    // The largest x so far (0 before any point) and the lowest and highest y.
    std::int64_t lastX() const { return lastX_; }
    double lowest() const { return lowest_; }
    double highest() const { return highest_; }

    // The width in x of a column when at most `columns` of them span 0..lastX(): a whole number
    // of buckets, so that every column's extremes are exact.
    std::int64_t columnWidth(int columns) const;
    // The curve as at most 2 points per column (column of x: x / columnWidth): in each its
    // lowest and highest point, in the order they came.
    std::vector<EnvelopePoint> polyline(int columns) const;

    std::size_t memoryBytes() const { return buckets_.capacity() * sizeof(Bucket); }

  private:
    struct Bucket {
        bool used = false;
        EnvelopePoint low;
        EnvelopePoint high;
        void take(const EnvelopePoint& point);
        void take(const Bucket& other);
    };
    void widen();

    std::vector<Bucket> buckets_;
    std::int64_t width_ = 1;
    std::int64_t points_ = 0;
    std::int64_t lastX_ = 0;
    double lowest_ = 0.0;
    double highest_ = 0.0;
};

}  // namespace korvale
