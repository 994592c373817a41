#pragma once

// The attempt as an absorbing Markov chain, solved backwards over the games since the last
// BIG. Used through attempt.h; a template so that the same pass gives expectations (real
// values, a reward per game) and the generating function E[z^games] (complex z).
//
// The state before a game is (mode, games since the last BIG g, what the end test still
// waits for). The end test waits for a = max(X - g, 0) more games without a BIG and for
// q more games without a REG (q = 0 once REG-free for Y games, or before any REG). Whichever
// of the two is longer alone matters until the next bonus:
//   - "BIG countdown" states (a >= q, a >= 1): (mode, a), and a fixes g, so the layer g
//     holds one value per mode;
//   - "REG countdown" states (q > a): (mode, q, g), g kept for the ceiling only;
//   - "first BIG pending" states: (mode, q, g = games so far); q matters only if it can
//     outlast the BIG countdown that the first BIG starts (q >= X + 2), else it is 0.
// Every move goes from layer g to g + 1 except a BIG, which goes to layer 0: to the BIG
// countdown of the next mode (six unknowns Z, carried symbolically as coefficients) or, when
// the REG countdown outlasts X, to a REG countdown state of layer 0. Those values are found
// by repeating the pass until they settle: the lowest layers are taken REG countdown by REG
// countdown (so runs of quick BIGs settle within a pass), and once the passes shrink their
// error by a steady ratio the rest of the geometric sum is added in one step. From games
// since BIG >= max(X, ceiling - 1) on every layer is the same (the cap layer), solved as a
// small fixed point.

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <stdexcept>
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
          cap_(std::max(bigEndGames, model.ceilingGame - 1)),
          perGame_(perGame),
          countRewards_(countRewards),
          cancel_(cancel) {
        end_.c[0] = atEnd;
        unitZ_ = {};
        for (std::size_t m = 0; m < modes; ++m) {
            unitZ_[m].k[m] = S(1);
        }
        postBig_.assign(slots(), Value{});
        bigMix_.assign(slots(), Value{});
        lowLayers_.resize(static_cast<std::size_t>(std::clamp(cap_, 0, lowLayerCount)));
        for (Layer& layer : lowLayers_) {
            layer.reg.resize(slots());
            layer.first.resize(slots());
        }
        for (Layer* layer : {&next_, &current_}) {
            layer->reg.resize(slots());
            layer->first.resize(slots());
        }
    }

    // The two channels at the start of an attempt (mode 0, nothing played).
    std::array<S, 2> solve() {
        const bool reachesBack = y_ >= x_ + 2;  // a REG countdown can outlast a BIG
        double previousChange = 0.0;
        double previousRatio = 0.0;
        for (int pass = 0;; ++pass) {
            const std::vector<Value> before = postBig_;
            sweep();
            if (!reachesBack) {
                break;
            }
            const auto [change, size] = changeFrom(before);
            if (change <= passTolerance * size) {
                break;
            }
            if (pass > maxPasses) {
                throw std::runtime_error("attempt chain did not settle");
            }
            // The passes shrink the error by a steady ratio once one pattern dominates it;
            // then the rest of the way is a geometric sum and one step jumps it. The passes
            // after it still decide when the values have settled.
            const double ratio = previousChange > 0.0 ? change / previousChange : 0.0;
            if (ratio > 0.0 && ratio < 0.9 && std::abs(ratio - previousRatio) < 0.05 * ratio) {
                const S jump = S(ratio / (1.0 - ratio));
                for (std::size_t i = 0; i < postBig_.size(); ++i) {
                    Value step = postBig_[i];
                    step.addScaled(before[i], S(-1));
                    postBig_[i].addScaled(step, jump);
                }
                previousRatio = 0.0;
                previousChange = 0.0;
            } else {
                previousRatio = ratio;
                previousChange = change;
            }
        }
        const std::array<std::array<S, 2>, modes> z = solveBigCountdownStart();
        const Value& start = current_.first[index(0, 0)];
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
    static constexpr double tolerance = 1e-15;
    // Passes over all layers are the costly part; ten more digits than the figures need.
    static constexpr double passTolerance = 1e-14;
    static constexpr int maxPasses = 100000;
    static constexpr int looseAfterRounds = 1000;
    // Runs of BIGs (the modes with a BIG in most games) come back to layer 0 within a few
    // games; repeating the lowest layers until they settle keeps those runs from slowing the
    // passes over all layers down.
    static constexpr std::int32_t lowLayerCount = 64;

    struct Layer {
        std::array<Value, modes> big{};  // BIG countdown, a = X - g
        std::vector<Value> reg;          // REG countdown [q][mode]
        std::vector<Value> first;        // first BIG pending [q][mode]
    };

    std::size_t slots() const { return static_cast<std::size_t>(y_ + 1) * modes; }
    static std::size_t index(std::int32_t q, std::size_t m) {
        return static_cast<std::size_t>(q) * modes + m;
    }
    std::int32_t compress(std::int32_t q) const { return q >= x_ + 2 ? q : 0; }

    // The value right after a BIG that leaves the REG countdown at q, in mode m.
    const Value& afterBig(std::size_t m, std::int32_t q) const {
        if (q > x_) {
            return postBig_[index(q, m)];
        }
        return x_ >= 1 ? unitZ_[m] : end_;
    }
    // Row q of the table of what follows a BIG from each mode, the REG countdown left at q.
    void refreshBigMix(std::int32_t q) {
        for (std::size_t m = 0; m < modes; ++m) {
            bigMix_[index(q, m)] = bigMix(m, q);
        }
    }
    void refreshAllBigMix() {
        for (std::int32_t q = 0; q <= y_; ++q) {
            refreshBigMix(q);
        }
    }
    const Value& mixedBig(std::size_t m, std::int32_t q) const { return bigMix_[index(q, m)]; }

    Value bigMix(std::size_t m, std::int32_t q) const {
        Value mix;
        for (std::size_t to = 0; to < modes; ++to) {
            const double w = model_.bigNextMode[m][to];
            if (w != 0.0) {
                mix.addScaled(afterBig(to, q), S(w));
            }
        }
        return mix;
    }
    template <typename Lookup>
    Value regMix(std::size_t m, Lookup lookup) const {
        Value mix;
        for (std::size_t to = 0; to < modes; ++to) {
            const double w = model_.regNextMode[m][to];
            if (w != 0.0) {
                mix.addScaled(lookup(to), S(w));
            }
        }
        return mix;
    }

    // w + perGame * (r * reg + b * big + (1 - r - b) * none)
    Value step(double big, const Value& onReg, const Value& onBig, const Value& onNone) const {
        const double r = model_.regProbability;
        Value value;
        if (countRewards_) {
            value.c[0] = S(1);
            value.c[1] = S(big);
        }
        value.addScaled(onReg, perGame_ * r);
        value.addScaled(onBig, perGame_ * big);
        value.addScaled(onNone, perGame_ * (1.0 - r - big));
        return value;
    }

    double bigChance(std::size_t m, std::int32_t g) const {
        return g + 1 >= model_.ceilingGame ? model_.ceilingBigProbability
                                           : model_.bigProbability[m];
    }

    void sweep() {
        refreshAllBigMix();
        Layer* next = &next_;
        Layer* current = &current_;
        solveCapLayer(*next);
        const auto low = static_cast<std::int32_t>(lowLayers_.size());
        for (std::int32_t g = cap_ - 1; g >= low; --g) {
            stopIfCalledOff(cancel_);
            fillLayer(g, *next, *current);
            std::swap(next, current);
        }
        if (low == 0) {
            current_ = *next;
            return;
        }
        if (y_ < x_ + 2) {
            // No REG countdown outlasts a BIG's: one pass over the layers is exact.
            for (std::int32_t g = low - 1; g >= 0; --g) {
                const auto at = static_cast<std::size_t>(g);
                fillLayer(g, g == low - 1 ? *next : lowLayers_[at + 1], lowLayers_[at]);
            }
        } else {
            for (int round = 0;; ++round) {
                stopIfCalledOff(cancel_);
                const Layer before = lowLayers_[0];
                fillLowLayers(*next);
                if (round > 0 && sameLayer(before, lowLayers_[0])) {
                    break;
                }
                if (round > maxPasses) {
                    throw std::runtime_error("attempt chain did not settle");
                }
            }
        }
        refreshAllBigMix();
        current_ = lowLayers_[0];
    }

    // Layers 0 .. low-1 taken REG countdown by REG countdown: a BIG leads to layer 0 with a
    // lower countdown, whose values this order has already renewed, so runs of BIGs cost no
    // extra rounds; only a REG (back to the full countdown) waits for the next round.
    void fillLowLayers(const Layer& above) {
        const auto low = static_cast<std::int32_t>(lowLayers_.size());
        auto layerAbove = [&](std::int32_t g) -> const Layer& {
            return g + 1 == low ? above : lowLayers_[static_cast<std::size_t>(g + 1)];
        };
        auto layerAt = [&](std::int32_t g) -> Layer& {
            return lowLayers_[static_cast<std::size_t>(g)];
        };
        const std::int32_t firstAfterReg = compress(y_);
        std::vector<std::array<Value, modes>> regToReg(static_cast<std::size_t>(low));
        std::vector<std::array<Value, modes>> regToFirst(static_cast<std::size_t>(low));
        auto refreshRegToReg = [&](std::int32_t g) {
            const Layer& next = layerAbove(g);
            if (y_ > std::max(x_ - g - 1, 0)) {
                for (std::size_t m = 0; m < modes; ++m) {
                    regToReg[static_cast<std::size_t>(g)][m] = regMix(
                        m, [&](std::size_t to) -> const Value& { return next.reg[index(y_, to)]; });
                }
            }
        };
        auto refreshRegToFirst = [&](std::int32_t g) {
            const Layer& next = layerAbove(g);
            for (std::size_t m = 0; m < modes; ++m) {
                regToFirst[static_cast<std::size_t>(g)][m] =
                    regMix(m, [&](std::size_t to) -> const Value& {
                        return next.first[index(firstAfterReg, to)];
                    });
            }
        };
        for (std::int32_t g = 0; g < low; ++g) {
            refreshRegToReg(g);
            refreshRegToFirst(g);
        }
        for (std::int32_t q = 1; q <= y_; ++q) {
            for (std::int32_t g = low - 1; g >= 0; --g) {
                if (q <= std::max(x_ - g, 0)) {
                    continue;
                }
                if (q == y_) {
                    refreshRegToReg(g);
                }
                const Layer& next = layerAbove(g);
                for (std::size_t m = 0; m < modes; ++m) {
                    const Value& onNone = q - 1 == 0 ? end_ : next.reg[index(q - 1, m)];
                    Value& value = layerAt(g).reg[index(q, m)];
                    value = step(bigChance(m, g), regToReg[static_cast<std::size_t>(g)][m],
                                 mixedBig(m, q - 1), onNone);
                    if (g == 0) {
                        postBig_[index(q, m)] = value;
                    }
                }
            }
            refreshBigMix(q);
        }
        for (std::int32_t g = std::min(low, x_) - 1; g >= 0; --g) {
            fillBigCountdown(g, layerAbove(g), regToReg[static_cast<std::size_t>(g)], layerAt(g));
        }
        auto fillFirst = [&](std::int32_t q) {
            for (std::int32_t g = low - 1; g >= 0; --g) {
                if (q == firstAfterReg) {
                    refreshRegToFirst(g);
                }
                const Layer& next = layerAbove(g);
                for (std::size_t m = 0; m < modes; ++m) {
                    layerAt(g).first[index(q, m)] =
                        step(bigChance(m, g), regToFirst[static_cast<std::size_t>(g)][m],
                             mixedBig(m, q == 0 ? 0 : q - 1),
                             next.first[index(q == 0 ? 0 : compress(q - 1), m)]);
                }
            }
        };
        fillFirst(0);
        for (std::int32_t q = x_ + 2; q <= y_; ++q) {
            fillFirst(q);
        }
    }

    bool sameLayer(const Layer& before, const Layer& after) const {
        double change = 0.0;
        double size = 1.0;
        auto compare = [&](const Value& old, const Value& now) {
            change = std::max(change, now.largestChangeFrom(old));
            size = std::max(size, now.largestPart());
        };
        for (std::size_t m = 0; m < modes; ++m) {
            compare(before.big[m], after.big[m]);
        }
        for (std::size_t i = 0; i < after.reg.size(); ++i) {
            compare(before.reg[i], after.reg[i]);
            compare(before.first[i], after.first[i]);
        }
        return change <= tolerance * size;
    }

    // The largest change of the layer-0 REG countdown values since `before`, and their size.
    std::pair<double, double> changeFrom(const std::vector<Value>& before) const {
        double change = 0.0;
        double size = 1.0;
        for (std::size_t i = 0; i < postBig_.size(); ++i) {
            change = std::max(change, postBig_[i].largestChangeFrom(before[i]));
            size = std::max(size, postBig_[i].largestPart());
        }
        return {change, size};
    }

    // BIG countdown states of layer g < X (a = X - g games still to go).
    void fillBigCountdown(std::int32_t g, const Layer& next,
                          const std::array<Value, modes>& regToRegCountdown, Layer& layer) {
        const std::int32_t a = x_ - g;
        for (std::size_t m = 0; m < modes; ++m) {
            const Value& onNone = a - 1 == 0 ? end_ : next.big[m];
            Value onReg;
            if (a - 1 >= y_) {
                onReg = a - 1 == 0 ? end_ : regMix(m, [&](std::size_t to) -> const Value& {
                    return next.big[to];
                });
            } else {
                onReg = regToRegCountdown[m];
            }
            layer.big[m] = step(bigChance(m, g), onReg, mixedBig(m, 0), onNone);
        }
    }

    void fillLayer(std::int32_t g, const Layer& next, Layer& layer) {
        const std::int32_t a = std::max(x_ - g, 0);
        // BIG chances before the ceiling; precomputed mixes of what follows a REG.
        std::array<Value, modes> regToRegCountdown{};
        std::array<Value, modes> regToFirst{};
        const std::int32_t firstAfterReg = compress(y_);
        for (std::size_t m = 0; m < modes; ++m) {
            if (y_ >= 1 && y_ > std::max(a - 1, 0)) {
                regToRegCountdown[m] = regMix(
                    m, [&](std::size_t to) -> const Value& { return next.reg[index(y_, to)]; });
            }
            regToFirst[m] = regMix(m, [&](std::size_t to) -> const Value& {
                return next.first[index(firstAfterReg, to)];
            });
        }
        if (g < x_) {
            fillBigCountdown(g, next, regToRegCountdown, layer);
        }
        // REG countdown states, q ascending so that layer 0 can use its own fresh values.
        for (std::int32_t q = std::max(a + 1, 1); q <= y_; ++q) {
            for (std::size_t m = 0; m < modes; ++m) {
                const double big = bigChance(m, g);
                const Value& onNone = q - 1 == 0 ? end_ : next.reg[index(q - 1, m)];
                Value& value = layer.reg[index(q, m)];
                value = step(big, regToRegCountdown[m], mixedBig(m, q - 1), onNone);
                if (g == 0) {
                    postBig_[index(q, m)] = value;
                }
            }
            if (g == 0) {
                refreshBigMix(q);  // the next q's BIGs already see this one's fresh values
            }
        }
        for (std::size_t m = 0; m < modes; ++m) {
            const double big = bigChance(m, g);
            layer.first[index(0, m)] =
                step(big, regToFirst[m], mixedBig(m, 0), next.first[index(0, m)]);
            for (std::int32_t q = x_ + 2; q <= y_; ++q) {
                layer.first[index(q, m)] = step(big, regToFirst[m], mixedBig(m, q - 1),
                                                next.first[index(compress(q - 1), m)]);
            }
        }
    }

    // Games since BIG >= cap: the ceiling holds and the BIG countdown is over, so the layer
    // leads to itself. Its values are found by repeating the layer until they settle; each
    // round only carries the chance of a REG before the end or a BIG, well below one.
    void solveCapLayer(Layer& layer) {
        const double big = model_.ceilingBigProbability;
        const double r = model_.regProbability;
        const std::int32_t firstAfterReg = compress(y_);
        for (int round = 0;; ++round) {
            stopIfCalledOff(cancel_);
            double change = 0.0;
            double size = 1.0;
            std::array<Value, modes> regToRegCountdown{};
            std::array<Value, modes> regToFirst{};
            for (std::size_t m = 0; m < modes; ++m) {
                if (y_ >= 1) {
                    regToRegCountdown[m] = regMix(m, [&](std::size_t to) -> const Value& {
                        return layer.reg[index(y_, to)];
                    });
                }
                regToFirst[m] = regMix(m, [&](std::size_t to) -> const Value& {
                    return layer.first[index(firstAfterReg, to)];
                });
            }
            auto settle = [&](Value& slot, const Value& value) {
                change = std::max(change, value.largestChangeFrom(slot));
                size = std::max(size, value.largestPart());
                slot = value;
            };
            for (std::int32_t q = 1; q <= y_; ++q) {
                for (std::size_t m = 0; m < modes; ++m) {
                    const Value& onNone = q - 1 == 0 ? end_ : layer.reg[index(q - 1, m)];
                    settle(layer.reg[index(q, m)],
                           step(big, regToRegCountdown[m], mixedBig(m, q - 1), onNone));
                    if (cap_ == 0) {
                        postBig_[index(q, m)] = layer.reg[index(q, m)];
                    }
                }
            }
            for (std::size_t m = 0; m < modes; ++m) {
                // A game without a bonus keeps this state: solve that loop directly.
                Value loopFree = step(big, regToFirst[m], mixedBig(m, 0), Value{});
                const S stay = S(1) - perGame_ * (1.0 - r - big);
                Value value;
                value.addScaled(loopFree, S(1) / stay);
                settle(layer.first[index(0, m)], value);
                for (std::int32_t q = x_ + 2; q <= y_; ++q) {
                    settle(layer.first[index(q, m)], step(big, regToFirst[m], mixedBig(m, q - 1),
                                                          layer.first[index(compress(q - 1), m)]));
                }
            }
            // Rounding can keep a few solves (on the unit circle) just above the strict
            // tolerance; after many rounds the passes' tolerance is enough.
            if (change <= tolerance * size ||
                (round >= looseAfterRounds && change <= passTolerance * size)) {
                break;
            }
            if (round > maxPasses) {
                throw std::runtime_error("ceiling layer did not settle");
            }
        }
    }

    // Z_m = value of the BIG countdown's start in mode m, which the values of layer 0 give in
    // terms of Z itself.
    std::array<std::array<S, 2>, modes> solveBigCountdownStart() const {
        std::array<std::array<S, 2>, modes> z{};
        if (x_ < 1) {
            return z;
        }
        std::array<std::array<S, modes>, modes> system{};
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::size_t j = 0; j < modes; ++j) {
                system[m][j] = (m == j ? S(1) : S(0)) - current_.big[m].k[j];
            }
        }
        for (std::size_t channel = 0; channel < 2; ++channel) {
            std::array<S, modes> column{};
            for (std::size_t m = 0; m < modes; ++m) {
                column[m] = current_.big[m].c[channel];
            }
            solveInPlace(system, column);
            for (std::size_t m = 0; m < modes; ++m) {
                z[m][channel] = column[m];
            }
        }
        return z;
    }

    const MachineModel& model_;
    std::int32_t x_;
    std::int32_t y_;
    std::int32_t cap_;
    S perGame_;
    bool countRewards_;
    const std::atomic<bool>* cancel_;
    Value end_;
    std::array<Value, modes> unitZ_{};
    std::vector<Value> postBig_;    // REG countdown states of layer 0 [q][mode]
    std::vector<Value> bigMix_;     // what follows a BIG [q][mode]
    std::vector<Layer> lowLayers_;  // layers 0 .. lowLayerCount-1, repeated within a pass
    Layer next_;
    Layer current_;
};

}  // namespace korvale
