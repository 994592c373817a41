#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "common/random_source.h"

namespace korvale {

// Replays chosen fractions in order, for tests that need a particular game or lottery outcome.
// Running out of fractions is a test bug and throws std::logic_error.
class ScriptedRandomSource final : public RandomSource {
  public:
    ScriptedRandomSource() = default;
    ScriptedRandomSource(std::initializer_list<double> fractions) : fractions_(fractions) {}

    // The fraction whose draw out of `total` (floor(r * total) + 1) is exactly `value`.
    static double fractionFor(std::int32_t value, std::int32_t total) {
        return (static_cast<double>(value) - 0.5) / static_cast<double>(total);
    }

    void push(double fraction) { fractions_.push_back(fraction); }
    // Queues the fraction that makes the next draw out of `total` equal `value`.
    void pushDraw(std::int32_t value, std::int32_t total) { push(fractionFor(value, total)); }

    double nextFraction() override {
        if (next_ >= fractions_.size()) {
            throw std::logic_error("ScriptedRandomSource: no fraction left");
        }
        return fractions_[next_++];
    }

    std::size_t drawn() const { return next_; }
    std::size_t remaining() const { return fractions_.size() - next_; }

  private:
    std::vector<double> fractions_;
    std::size_t next_ = 0;
};

}  // namespace korvale
