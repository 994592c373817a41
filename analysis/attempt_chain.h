#pragma once

// The attempt as an absorbing Markov chain, solved backwards over the games since the last
// BIG. Used through attempt.h; a template so that the same pass gives expectations (real
// values, a reward per game) and the generating function E[z^games] (complex z).
//
// The state before a game is (mode, games since the last BIG g, what the end test still
// waits for). The end test waits for a = max(X - g, 0) more games without a BIG and for
// q more games without a REG (q = 0 once REG-free for Y games, or before any REG). Whichever
// of the two is longer alone matters until the next bonus:
//   - "BIG countdown" states (a >= q, a >= 1): (mode, g);
//   - "REG countdown" states (q > a): (mode, g, q). Without a bonus q only counts down, so
//     such a state is a window of q games: the values it reaches are those right after a
//     REG (q = Y) at the later layers, those right after a BIG (q - 1 left, at layer 0) and
//     the end. Only the values right after a REG, W(mode, g), are kept per layer; the sum
//     over the window comes from running sums, a layer at a time;
//   - "first BIG pending" states: (mode, g = games so far, q); q matters only if it can
//     outlast the BIG countdown that the first BIG starts (q >= X + 2), else it is 0; the
//     same windows again.
// A BIG goes to layer 0: to the BIG countdown of the next mode (six unknowns Z, carried
// symbolically as coefficients) or, when the REG countdown outlasts X, to a REG countdown
// state U(mode, q) of layer 0. U follows from the layers above in one sweep up the
// countdown; the layers above depend on U in turn (a BIG during a REG countdown), so the two
// are repeated until U settles, each round a few thousand operations. From games since BIG
// >= max(X, ceiling - 1) on every layer is the same (the cap layer), solved directly.

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "analysis/machine_model.h"
#include "analysis/small_linear_solve.h"
#include "analysis/work_cancelled.h"

namespace korvale {

// value = c + sum_j k[j] * Z_j, per channel c[0], c[1].
template <typename S>
struct AffineValue {
    std::array<S, 2> c{};
    std::array<S, modeCount> k{};

    AffineValue& operator+=(const AffineValue& other) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            c[i] += other.c[i];
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            k[j] += other.k[j];
        }
        return *this;
    }
    AffineValue& operator-=(const AffineValue& other) {
        addScaled(other, S(-1));
        return *this;
    }
    AffineValue operator*(S factor) const {
        AffineValue scaled;
        scaled.addScaled(*this, factor);
        return scaled;
    }
    // this += other * factor
    void addScaled(const AffineValue& other, S factor) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            c[i] += other.c[i] * factor;
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            k[j] += other.k[j] * factor;
        }
    }
    double largestChangeFrom(const AffineValue& other) const {
        double change = 0.0;
        for (std::size_t i = 0; i < c.size(); ++i) {
            change = std::max(change, static_cast<double>(std::abs(c[i] - other.c[i])));
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            change = std::max(change, static_cast<double>(std::abs(k[j] - other.k[j])));
        }
        return change;
    }
    double largestPart() const {
        double part = 0.0;
        for (const S& value : c) {
            part = std::max(part, static_cast<double>(std::abs(value)));
        }
        for (const S& value : k) {
            part = std::max(part, static_cast<double>(std::abs(value)));
        }
        return part;
    }
};

// Sums over windows of `length` layers, sum(h) = sum_{i < length} f(h, i) e(h + i) with
// f(h, i) = s(h) s(h + 1) ... s(h + i - 1), taken for h falling one layer at a time. Every
// layer from `top` on has the top's terms. The layers go in blocks of `length`: a window is
// the rest of its own block, summed as the layers come, and the start of the block above,
// summed when that block was done; nothing is ever taken away again, so the sums keep the
// precision of their terms.
template <typename S, typename Value, std::size_t modes>
class WindowSums {
  public:
    using Values = std::array<Value, modes>;
    using Factors = std::array<S, modes>;

    WindowSums(std::int32_t length, std::int32_t top, const Values& eTop, const Factors& sTop)
        : length_(length),
          blockTop_(top),
          blockE_(static_cast<std::size_t>(length)),
          blockS_(static_cast<std::size_t>(length)),
          prefix_(static_cast<std::size_t>(length)),
          prefixProduct_(static_cast<std::size_t>(length)) {
        std::fill(blockE_.begin(), blockE_.end(), eTop);
        std::fill(blockS_.begin(), blockS_.end(), sTop);
        takeBlockAbove();
        blockTop_ = top;
    }

    // The layer below the last one: its terms e and factors s; gives the window's sum and
    // the product of its `length` factors.
    void add(std::int32_t h, const Values& e, const Factors& s, Values& sum, Factors& product) {
        if (h < blockTop_ - length_) {
            takeBlockAbove();
            blockTop_ -= length_;
        }
        const auto at = static_cast<std::size_t>(h - (blockTop_ - length_));
        blockE_[at] = e;
        blockS_[at] = s;
        const auto t = static_cast<std::size_t>(h + length_ - blockTop_);
        for (std::size_t m = 0; m < modes; ++m) {
            Value tail = own_[m] * s[m];
            tail += e[m];
            own_[m] = tail;
            ownProduct_[m] *= s[m];
            sum[m] = own_[m];
            sum[m].addScaled(prefix_[t][m], ownProduct_[m]);
            product[m] = ownProduct_[m] * prefixProduct_[t][m];
        }
    }

  private:
    // The block just filled becomes the block above: the sums over its first t layers.
    void takeBlockAbove() {
        Values sum{};
        Factors product;
        product.fill(S(1));
        for (std::size_t t = 0; t < blockE_.size(); ++t) {
            prefix_[t] = sum;
            prefixProduct_[t] = product;
            for (std::size_t m = 0; m < modes; ++m) {
                sum[m].addScaled(blockE_[t][m], product[m]);
                product[m] *= blockS_[t][m];
            }
        }
        own_ = Values{};
        ownProduct_.fill(S(1));
    }

    std::int32_t length_;
    std::int32_t blockTop_;  // the block being filled holds layers blockTop - length ..
    std::vector<Values> blockE_;
    std::vector<Factors> blockS_;
    std::vector<Values> prefix_;          // [t]: the block above's first t layers
    std::vector<Factors> prefixProduct_;  // [t]: the product of its first t factors
    Values own_{};                        // from h to the end of its block
    Factors ownProduct_{};
};

template <typename S>
class AttemptChain {
  public:
    using Value = AffineValue<S>;

    // bigEndGames X >= 0 and regEndGames Y >= 0 as whole games. Each game multiplies the
    // future by `perGame` and, with `countRewards`, adds 1 to channel 0 and its BIG chance to
    // channel 1; the end is worth `atEnd` in channel 0. Setting `*cancel` stops the solve
    // (WorkCancelled).
    AttemptChain(const MachineModel& model, std::int32_t bigEndGames, std::int32_t regEndGames,
                 S perGame, S atEnd, bool countRewards, const std::atomic<bool>* cancel = nullptr)
        : model_(model),
          x_(bigEndGames),
          y_(regEndGames),
          ceilingLayer_(std::max(model.ceilingGame - 1, 0)),
          cap_(std::max(bigEndGames, std::max(model.ceilingGame - 1, 0))),
          wFrom_(std::max(1, bigEndGames - regEndGames + 1)),
          perGame_(perGame),
          countRewards_(countRewards),
          cancel_(cancel) {
        end_.c[0] = atEnd;
        for (std::size_t m = 0; m < modes; ++m) {
            unitZ_[m].k[m] = S(1);
        }
        const double r = model_.regProbability;
        ceilingStay_ = perGame_ * (1.0 - r - model_.ceilingBigProbability);
        for (std::size_t m = 0; m < modes; ++m) {
            stay_[m] = perGame_ * (1.0 - r - model_.bigProbability[m]);
            bigToZ_[m] = bigMix(
                m, [&](std::size_t to) -> const Value& { return x_ >= 1 ? unitZ_[to] : end_; });
        }
        stayPowers_.assign(static_cast<std::size_t>(y_ + 1), {});
        for (std::size_t m = 0; m < modes; ++m) {
            S power = S(1);
            for (auto& row : stayPowers_) {
                row[m] = power;
                power *= stay_[m];
            }
        }
        afterBig_.assign(static_cast<std::size_t>(y_), {});
        postBig_.assign(static_cast<std::size_t>(y_), {});
        afterReg_.assign(static_cast<std::size_t>(cap_ + 1), {});
    }

    // The two channels at the start of an attempt (mode 0, nothing played).
    std::array<S, 2> solve() {
        const bool reachesBack = y_ >= x_ + 2;  // a REG countdown can outlast a BIG
        refreshAfterBig(0);
        double previousChange = 0.0;
        double previousRatio = 0.0;
        int growing = 0;
        for (int pass = 0;; ++pass) {
            stopIfCalledOff(cancel_);
            const std::vector<Modes> before = postBig_;
            fillRegCountdowns();
            fillPostBig();
            if (!reachesBack) {
                break;
            }
            const auto [change, size] = changeFrom(before);
            if (change <= passTolerance * size) {
                break;
            }
            // A generating function beyond its radius of convergence: the rounds grow without
            // end (all their terms are positive there).
            growing = change > previousChange && previousChange > 0.0 ? growing + 1 : 0;
            if (!std::isfinite(change) || growing > maxGrowingPasses || pass > maxPasses) {
                if constexpr (std::is_same_v<S, double>) {
                    const double infinity = std::numeric_limits<double>::infinity();
                    return {infinity, infinity};
                } else {
                    throw std::runtime_error("attempt chain did not settle");
                }
            }
            // The rounds shrink the error by a steady ratio once one pattern dominates it;
            // then the rest of the way is a geometric sum and one step jumps it. The rounds
            // after it still decide when the values have settled.
            const double ratio = previousChange > 0.0 ? change / previousChange : 0.0;
            if (ratio > 0.0 && ratio < 0.9 && std::abs(ratio - previousRatio) < 0.05 * ratio) {
                const S jump = S(ratio / (1.0 - ratio));
                for (std::size_t q = 0; q < postBig_.size(); ++q) {
                    for (std::size_t m = 0; m < modes; ++m) {
                        Value step = postBig_[q][m];
                        step -= before[q][m];
                        postBig_[q][m].addScaled(step, jump);
                    }
                }
                refreshAfterBig(0);
                previousRatio = 0.0;
                previousChange = 0.0;
                growing = 0;
            } else {
                previousRatio = ratio;
                previousChange = change;
            }
        }
        const std::array<std::array<S, 2>, modes> z = solveBigCountdownStart();
        const Value start = firstBigPendingStart();
        std::array<S, 2> result = start.c;
        for (std::size_t channel = 0; channel < 2; ++channel) {
            for (std::size_t j = 0; j < modes; ++j) {
                result[channel] += start.k[j] * z[j][channel];
            }
        }
        return result;
    }

  private:
    static constexpr std::size_t modes = modeCount;
    using Modes = std::array<Value, modes>;
    using Factors = std::array<S, modes>;
    using Matrix = std::array<std::array<S, modes>, modes>;
    // Ten more digits than the figures need.
    static constexpr double passTolerance = 1e-15;
    static constexpr int maxPasses = 10000;
    static constexpr int maxGrowingPasses = 30;

    double bigChance(std::size_t m, std::int32_t g) const {
        return g >= ceilingLayer_ ? model_.ceilingBigProbability : model_.bigProbability[m];
    }
    S stay(std::size_t m, std::int32_t g) const {
        return g >= ceilingLayer_ ? ceilingStay_ : stay_[m];
    }
    Value reward(std::size_t m, std::int32_t g) const {
        Value value;
        if (countRewards_) {
            value.c[0] = S(1);
            value.c[1] = S(bigChance(m, g));
        }
        return value;
    }

    template <typename Lookup>
    Value bigMix(std::size_t m, Lookup lookup) const {
        Value mix;
        for (std::size_t to = 0; to < modes; ++to) {
            const double w = model_.bigNextMode[m][to];
            if (w != 0.0) {
                mix.addScaled(lookup(to), S(w));
            }
        }
        return mix;
    }
    Modes regMix(const Modes& values) const {
        Modes mix{};
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::size_t to = 0; to < modes; ++to) {
                const double w = model_.regNextMode[m][to];
                if (w != 0.0) {
                    mix[m].addScaled(values[to], S(w));
                }
            }
        }
        return mix;
    }

    // afterBig_[q][m]: what follows a BIG from mode m that leaves the REG countdown at q, for
    // q >= from.
    void refreshAfterBig(std::int32_t from) {
        for (std::int32_t q = from; q < y_; ++q) {
            refreshAfterBigAt(q);
        }
    }
    void refreshAfterBigAt(std::int32_t q) {
        const auto at = static_cast<std::size_t>(q);
        for (std::size_t m = 0; m < modes; ++m) {
            afterBig_[at][m] =
                q > x_ ? bigMix(m, [&](std::size_t to) -> const Value& { return postBig_[at][to]; })
                       : bigToZ_[m];
        }
    }

    // The BIG part of windows over the top `length` rows of afterBig_ (q = Y-1 down to
    // Y-length), started at layer h: the games before the ceiling at the mode's own chance,
    // the rest at the ceiling's. `top[n]` sums the first n games before the ceiling,
    // `ceiling[j]` j games at the ceiling from row j-1 down.
    struct BigParts {
        std::vector<Modes> top;
        std::vector<Modes> ceiling;
    };
    BigParts bigParts(std::int32_t length, std::int32_t lowestRow) const {
        BigParts parts{std::vector<Modes>(static_cast<std::size_t>(length + 1)),
                       std::vector<Modes>(static_cast<std::size_t>(y_ + 1))};
        for (std::size_t m = 0; m < modes; ++m) {
            const S big = perGame_ * model_.bigProbability[m];
            for (std::int32_t n = 1; n <= length; ++n) {
                const auto at = static_cast<std::size_t>(n);
                parts.top[at][m] = parts.top[at - 1][m];
                parts.top[at][m].addScaled(afterBig_[static_cast<std::size_t>(y_ - n)][m],
                                           big * stayPowers_[at - 1][m]);
            }
            const S ceilingBig = perGame_ * model_.ceilingBigProbability;
            for (std::int32_t j = lowestRow + 1; j <= y_; ++j) {
                const auto at = static_cast<std::size_t>(j);
                Value value = parts.ceiling[at - 1][m] * ceilingStay_;
                value.addScaled(afterBig_[at - 1][m], ceilingBig);
                parts.ceiling[at][m] = value;
            }
        }
        return parts;
    }
    // The BIG part of a window of `length` games from layer h whose rows end at Y - length.
    Value bigPart(const BigParts& parts, std::size_t m, std::int32_t h, std::int32_t length) const {
        const std::int32_t before = std::clamp(ceilingLayer_ - h, 0, length);
        Value value = parts.top[static_cast<std::size_t>(before)][m];
        value.addScaled(parts.ceiling[static_cast<std::size_t>(y_ - before)][m],
                        stayPowers_[static_cast<std::size_t>(before)][m]);
        return value;
    }

    // Solves v = rhs + factor * (REG mix of v) over the modes.
    Modes solveRegLoop(S factor, Modes rhs) const {
        Matrix system{};
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::size_t to = 0; to < modes; ++to) {
                system[m][to] = (m == to ? S(1) : S(0)) - factor * model_.regNextMode[m][to];
            }
        }
        solveInPlace(system, rhs);
        return rhs;
    }

    // sum_{i < n} stay^i and stay^n.
    static std::pair<S, S> geometric(S stay, std::int32_t n) {
        S sum = S(0);
        S power = S(1);
        for (std::int32_t i = 0; i < n; ++i) {
            sum += power;
            power *= stay;
        }
        return {sum, power};
    }

    // The values right after a REG at every layer from wFrom on, where the REG countdown
    // outlasts the BIG countdown: windows of Y games.
    void fillRegCountdowns() {
        if (y_ < 1) {
            return;
        }
        const double r = model_.regProbability;
        const BigParts parts = bigParts(y_, 0);
        const auto [sum, power] = geometric(ceilingStay_, y_);
        // The cap layer: every window of it is the same.
        Modes rhs{};
        for (std::size_t m = 0; m < modes; ++m) {
            rhs[m] = reward(m, cap_) * sum;
            rhs[m] += parts.ceiling[static_cast<std::size_t>(y_)][m];
            rhs[m].addScaled(end_, power);
        }
        const Modes capValues = solveRegLoop(perGame_ * r * sum, rhs);
        afterReg_[static_cast<std::size_t>(cap_)] = capValues;
        Modes eTop = regMix(capValues);
        for (std::size_t m = 0; m < modes; ++m) {
            eTop[m] = eTop[m] * (perGame_ * r);
            eTop[m] += reward(m, cap_);
        }
        Factors sTop;
        sTop.fill(ceilingStay_);
        WindowSums<S, Value, modes> windows(y_, cap_, eTop, sTop);
        Modes windowSum;
        Factors product;
        for (std::int32_t h = cap_ - 1; h >= wFrom_; --h) {
            if ((h & 255) == 0) {
                stopIfCalledOff(cancel_);
            }
            Modes e = regMix(afterReg_[static_cast<std::size_t>(h + 1)]);
            Factors s;
            for (std::size_t m = 0; m < modes; ++m) {
                e[m] = e[m] * (perGame_ * r);
                e[m] += reward(m, h);
                s[m] = stay(m, h);
            }
            windows.add(h, e, s, windowSum, product);
            Modes& values = afterReg_[static_cast<std::size_t>(h)];
            for (std::size_t m = 0; m < modes; ++m) {
                values[m] = windowSum[m];
                values[m] += bigPart(parts, m, h, y_);
                values[m].addScaled(end_, product[m]);
            }
        }
    }

    // The REG countdown states right after a BIG (layer 0, q = X+1 .. Y-1), q rising so that
    // a BIG within the countdown finds the lower countdowns already renewed.
    void fillPostBig() {
        if (y_ < x_ + 2) {
            return;
        }
        const double r = model_.regProbability;
        const bool beforeCeiling = y_ - 1 <= ceilingLayer_;
        Modes prefix{};  // sum_{k < q} f(0, k) e(k)
        Modes bigs{};    // sum_{k < q} f(0, k) z b(k) afterBig(q - 1 - k), before the ceiling
        Factors product;
        product.fill(S(1));
        for (std::int32_t q = 1; q < y_; ++q) {
            const std::int32_t g = q - 1;
            const Modes mixed = regMix(afterReg_[static_cast<std::size_t>(std::min(q, cap_))]);
            for (std::size_t m = 0; m < modes; ++m) {
                Value e = mixed[m] * (perGame_ * r);
                e += reward(m, g);
                prefix[m].addScaled(e, product[m]);
                product[m] *= stay(m, g);
                if (beforeCeiling) {
                    Value value = bigs[m] * stay_[m];
                    value.addScaled(afterBig_[static_cast<std::size_t>(g)][m],
                                    perGame_ * model_.bigProbability[m]);
                    bigs[m] = value;
                }
            }
            if (q <= x_) {
                continue;
            }
            Modes& values = postBig_[static_cast<std::size_t>(q)];
            for (std::size_t m = 0; m < modes; ++m) {
                values[m] = prefix[m];
                values[m] += beforeCeiling ? bigs[m] : bigsPastCeiling(m, q);
                values[m].addScaled(end_, product[m]);
            }
            refreshAfterBigAt(q);
        }
    }
    // The same BIG part when the countdown reaches the ceiling (hand-built models only).
    Value bigsPastCeiling(std::size_t m, std::int32_t q) const {
        Value value;
        S reach = S(1);
        for (std::int32_t k = 0; k < q; ++k) {
            value.addScaled(afterBig_[static_cast<std::size_t>(q - 1 - k)][m],
                            reach * perGame_ * bigChance(m, k));
            reach *= stay(m, k);
        }
        return value;
    }

    // The largest change of the post-BIG values since `before`, and their size.
    std::pair<double, double> changeFrom(const std::vector<Modes>& before) const {
        double change = 0.0;
        double size = 1.0;
        for (std::size_t q = 0; q < postBig_.size(); ++q) {
            for (std::size_t m = 0; m < modes; ++m) {
                change = std::max(change, postBig_[q][m].largestChangeFrom(before[q][m]));
                size = std::max(size, postBig_[q][m].largestPart());
            }
        }
        return {change, size};
    }

    // Z_m = value of the BIG countdown's start in mode m, which the BIG countdown layers give
    // in terms of Z itself.
    std::array<std::array<S, 2>, modes> solveBigCountdownStart() const {
        std::array<std::array<S, 2>, modes> z{};
        if (x_ < 1) {
            return z;
        }
        const double r = model_.regProbability;
        // After a REG at layer h: the REG countdown, or the BIG countdown if that is longer.
        Modes next{};  // layer g + 1
        for (std::int32_t g = x_ - 1; g >= 0; --g) {
            const std::int32_t h = g + 1;
            Modes regTo;
            if (y_ > x_ - h) {
                regTo = regMix(afterReg_[static_cast<std::size_t>(h)]);
            } else if (x_ - h == 0) {
                regTo.fill(end_);
            } else {
                regTo = regMix(next);
            }
            Modes layer;
            for (std::size_t m = 0; m < modes; ++m) {
                const double big = bigChance(m, g);
                Value value = reward(m, g);
                value.addScaled(regTo[m], perGame_ * r);
                value.addScaled(bigToZ_[m], perGame_ * big);
                value.addScaled(h < x_ ? next[m] : end_, perGame_ * (1.0 - r - big));
                layer[m] = value;
            }
            next = layer;
        }
        Matrix system{};
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::size_t j = 0; j < modes; ++j) {
                system[m][j] = (m == j ? S(1) : S(0)) - next[m].k[j];
            }
        }
        for (std::size_t channel = 0; channel < 2; ++channel) {
            std::array<S, modes> column{};
            for (std::size_t m = 0; m < modes; ++m) {
                column[m] = next[m].c[channel];
            }
            solveInPlace(system, column);
            for (std::size_t m = 0; m < modes; ++m) {
                z[m][channel] = column[m];
            }
        }
        return z;
    }

    // The cap layer's F without the REG loop's part: reward + z b afterBig0.
    Modes capLoopFree() const {
        const S ceilingBig = perGame_ * model_.ceilingBigProbability;
        Modes loopFree;
        for (std::size_t m = 0; m < modes; ++m) {
            loopFree[m] = reward(m, cap_);
            loopFree[m].addScaled(bigToZ_[m], ceilingBig);
        }
        return loopFree;
    }

    // Phi at the cap layer, which waits `length` games of the cap layer before it becomes
    // F = (loopFree + z r mix(Phi)) / (1 - stay), with leave = 1 / (1 - stay); `parts` gets
    // the BIGs of that wait.
    Modes capLayerPhi(std::int32_t length, const Modes& loopFree, const S& leave,
                      BigParts& parts) const {
        const double r = model_.regProbability;
        Modes rhs;
        if (length <= 0) {
            for (std::size_t m = 0; m < modes; ++m) {
                rhs[m] = loopFree[m] * leave;
            }
            return solveRegLoop(perGame_ * r * leave, rhs);
        }
        parts = bigParts(length, x_ + 1);
        const auto [sum, power] = geometric(ceilingStay_, length);
        for (std::size_t m = 0; m < modes; ++m) {
            rhs[m] = reward(m, cap_) * sum;
            rhs[m] += parts.ceiling[static_cast<std::size_t>(y_)][m];
            rhs[m].addScaled(loopFree[m], power * leave);
        }
        return solveRegLoop(perGame_ * r * (sum + power * leave), rhs);
    }

    // The sums of Phi's windows of `length` games, which start from the cap layer.
    std::unique_ptr<WindowSums<S, Value, modes>> phiWindows(std::int32_t length,
                                                            const Modes& capRegTo) const {
        const double r = model_.regProbability;
        Modes eTop;
        for (std::size_t m = 0; m < modes; ++m) {
            eTop[m] = capRegTo[m] * (perGame_ * r);
            eTop[m] += reward(m, cap_);
        }
        Factors sTop;
        sTop.fill(ceilingStay_);
        return std::make_unique<WindowSums<S, Value, modes>>(length, cap_, eTop, sTop);
    }

    // The first BIG pending, from layer cap down to the attempt's start: F(g) with the REG
    // countdown of no account, and after a REG Phi(g), which waits Y - X - 1 games (windows
    // again) before the REG countdown stops mattering.
    Value firstBigPendingStart() const {
        const double r = model_.regProbability;
        const std::int32_t length = y_ - x_ - 1;
        const Modes loopFree = capLoopFree();
        const S leave = S(1) / (S(1) - ceilingStay_);
        BigParts parts;
        const Modes capPhi = capLayerPhi(length, loopFree, leave, parts);
        std::vector<Modes> first(static_cast<std::size_t>(cap_ + 1));
        Modes capRegTo = regMix(capPhi);
        for (std::size_t m = 0; m < modes; ++m) {
            first[static_cast<std::size_t>(cap_)][m] = loopFree[m] * leave;
            first[static_cast<std::size_t>(cap_)][m].addScaled(capRegTo[m], perGame_ * r * leave);
        }
        if (cap_ == 0) {
            return first[0][0];
        }
        Modes phi = capPhi;  // layer h + 1
        std::unique_ptr<WindowSums<S, Value, modes>> windows;
        if (length > 0) {
            windows = phiWindows(length, capRegTo);
        }
        Modes windowSum;
        Factors product;
        for (std::int32_t h = cap_ - 1; h >= 0; --h) {
            if ((h & 255) == 0) {
                stopIfCalledOff(cancel_);
            }
            const Modes regTo = regMix(phi);
            const Modes& above = first[static_cast<std::size_t>(h + 1)];
            Modes& here = first[static_cast<std::size_t>(h)];
            Modes e;
            Factors s;
            for (std::size_t m = 0; m < modes; ++m) {
                const double big = bigChance(m, h);
                e[m] = regTo[m] * (perGame_ * r);
                e[m] += reward(m, h);
                s[m] = stay(m, h);
                here[m] = e[m];
                here[m].addScaled(bigToZ_[m], perGame_ * big);
                here[m].addScaled(above[m], s[m]);
            }
            if (h == 0) {
                break;
            }
            if (length <= 0) {
                phi = here;
                continue;
            }
            windows->add(h, e, s, windowSum, product);
            const auto after = static_cast<std::size_t>(std::min(h + length, cap_));
            for (std::size_t m = 0; m < modes; ++m) {
                phi[m] = windowSum[m];
                phi[m] += bigPart(parts, m, h, length);
                phi[m].addScaled(first[after][m], product[m]);
            }
        }
        return first[0][0];
    }

    const MachineModel& model_;
    std::int32_t x_;
    std::int32_t y_;
    std::int32_t ceilingLayer_;  // the first layer (games since BIG) at the ceiling's chance
    std::int32_t cap_;
    std::int32_t wFrom_;  // the lowest layer whose values after a REG are REG countdowns
    S perGame_;
    bool countRewards_;
    const std::atomic<bool>* cancel_;
    Value end_;
    Modes unitZ_{};
    Modes bigToZ_{};  // what follows a BIG that leaves the REG countdown of no account
    Factors stay_{};  // perGame * chance of a game without a bonus, before the ceiling
    S ceilingStay_{};
    std::vector<Factors> stayPowers_;  // [i][m] = stay_[m]^i, i <= Y
    std::vector<Modes> afterBig_;      // [q][mode], q < Y
    std::vector<Modes> postBig_;       // REG countdown states of layer 0 [q][mode]
    std::vector<Modes> afterReg_;      // values right after a REG [layer][mode]
};

}  // namespace korvale
