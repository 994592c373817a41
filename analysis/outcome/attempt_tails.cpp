#include "analysis/outcome/attempt_tails.h"

#include <algorithm>
#include <utility>

namespace korvale {

AttemptTails::AttemptTails(AttemptRealTransform real, double costCoefficient,
                           std::int32_t bigEndGames)
    : real_(std::move(real)),
      c_(costCoefficient),
      gameRate_(1.0 / (8.0 * std::max(1.0, static_cast<double>(bigEndGames) + 300.0))),
      coinRate_(gameRate_ / 2.0) {}

double AttemptTails::netAbove(double target) const {
    return chernoffEdge([&](double b) { return real_(b, -c_ * b); }, target, coinRate_);
}

double AttemptTails::netBelow(double target) const {
    return chernoffEdge([&](double b) { return real_(-b, c_ * b); }, target, coinRate_);
}

double AttemptTails::gamesAbove(double target) const {
    return chernoffEdge([&](double b) { return real_(0.0, b); }, target, gameRate_);
}

double AttemptTails::gamesBeyond(std::int64_t games) const {
    double best = 1.0;
    for (int k = 1; k <= 64; ++k) {
        const double rate = gameRate_ * k / 16.0;
        const double value = real_(0.0, rate);
        if (!std::isfinite(value)) {
            break;
        }
        best = std::min(best, value * std::exp(-rate * static_cast<double>(games)));
    }
    return best;
}

double AttemptTails::meanNet() const {
    const double h = 1e-7;
    return (real_(h, -c_ * h) - real_(-h, c_ * h)) / (2.0 * h);
}

}  // namespace korvale
