#pragma once

// The intervals that seeded play of the machine is checked by against a figure worked out
// without it: a mean over independent samples and its normal interval, each figure of a
// family of k widened so that the whole family keeps its level (Bonferroni).

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/normal_quantile.h"

namespace korvale {

// The two-sided normal quantile for one of `figures` figures at a joint level of 1 - miss.
inline double familyQuantile(int figures, double miss = 0.05) {
    return twoSidedNormalQuantile(miss / figures);  // both tails together, per figure
}

// Mean and the half-width of its interval (`z` standard errors) over independent samples.
class MeanInterval {
  public:
    void add(double value) {
        ++count_;
        const double delta = value - mean_;
        mean_ += delta / count_;
        squares_ += delta * (value - mean_);
    }
    double mean() const { return mean_; }
    double halfWidth(double z) const { return z * std::sqrt(squares_ / (count_ - 1) / count_); }

  private:
    double count_ = 0;
    double mean_ = 0;
    double squares_ = 0;
};

inline void expectWithin(const char* figure, const MeanInterval& sample, double exact, double z,
                         double allowance = 0.0) {
    EXPECT_NEAR(sample.mean(), exact, sample.halfWidth(z) + allowance)
        << figure << ": simulated " << sample.mean() << " +- " << sample.halfWidth(z) << ", exact "
        << exact;
}

}  // namespace korvale
