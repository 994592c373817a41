#pragma once

// What both outcome engines read from an attempt's real transform
// E[exp(coinRate K + gameRate G)] (K the attempt's bonus coins, G its games, real rates): where
// Chernoff's bound P(X >= x) <= E[exp(b X)] exp(-b x), b > 0, puts the tails of W = K - c G
// (the net before its rounding), of -W and of G, and the mean of W from the transform's slope.
// The bounds hold at any rate; the rates only make them tight (docs/outcome_law.md, "The tables'
// edges").

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace korvale {

// The smallest x with P(X >= x) <= target by Chernoff, over a ladder of rates b: from firstRate
// doubled while the transform stays finite at twice the rate (up to 1), then 48 even steps up to
// twice the rate reached. `transform(b)` gives E[exp(b X)], infinity where that is not finite;
// the result is infinity when the transform is infinite at every rate of the ladder.
template <typename Transform>
double chernoffEdge(Transform transform, double target, double firstRate) {
    double top = firstRate;
    while (std::isfinite(transform(2.0 * top)) && top < 1.0) {
        top *= 2.0;
    }
    double best = std::numeric_limits<double>::infinity();
    for (int k = 1; k <= 48; ++k) {
        const double rate = 2.0 * top * k / 48.0;
        const double value = transform(rate);
        if (!std::isfinite(value)) {
            break;
        }
        best = std::min(best, (std::log(value) - std::log(target)) / rate);
    }
    return best;
}

// Reads `real(coinRate, gameRate)`, E[exp(coinRate K + gameRate G)] for real rates (infinity
// where it is not finite). A template, so that a line of constant coin rate (the games' edges)
// folds into the transform it calls.
template <typename RealTransform>
class AttemptTails {
  public:
    // `bigEndGames` sets the ladders' first rates: a piece between BIGs runs X games past its
    // BIG plus a BIG's wait of some hundreds, so the transform over G stays finite well past
    // 1 / (8 (X + 300)); the coins' ladders start at half that.
    AttemptTails(RealTransform real, double costCoefficient, std::int32_t bigEndGames)
        : real_(std::move(real)),
          c_(costCoefficient),
          gameRate_(1.0 / (8.0 * std::max(1.0, static_cast<double>(bigEndGames) + 300.0))),
          coinRate_(gameRate_ / 2.0) {}

    // The smallest x with P(W >= x) <= target, and with P(-W >= x) <= target.
    double netAbove(double target) const {
        return chernoffEdge([&](double b) { return real_(b, -c_ * b); }, target, coinRate_);
    }
    double netBelow(double target) const {
        return chernoffEdge([&](double b) { return real_(-b, c_ * b); }, target, coinRate_);
    }
    // The smallest x with P(G >= x) <= target.
    double gamesAbove(double target) const {
        return chernoffEdge([&](double b) { return real_(0.0, b); }, target, gameRate_);
    }
    // A bound on P(G >= games), at most 1: the best of 64 rates up to 4 times the first.
    double gamesBeyond(std::int64_t games) const {
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
    // E[W], from the central difference of the transform along W at 0.
    double meanNet() const {
        const double h = 1e-7;
        return (real_(h, -c_ * h) - real_(-h, c_ * h)) / (2.0 * h);
    }

  private:
    RealTransform real_;
    double c_;
    double gameRate_;
    double coinRate_;
};

}  // namespace korvale
