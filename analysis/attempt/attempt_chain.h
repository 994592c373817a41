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
// countdown; the layers above depend on U in turn (a BIG during a REG countdown). A whole
// REG countdown below the ceiling sees U only through six sums B(mode), the BIG part of its
// Y games, so B is carried as six more unknowns and solved for after each sweep; only the
// few layers whose countdown reaches the ceiling see U otherwise, and the sweeps are
// repeated until U settles, which that little coupling makes quick. From games since BIG
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

#include "analysis/model/machine_model.h"
#include "analysis/model/work_cancelled.h"
#include "analysis/numeric/small_linear_solve.h"
#include "common/runtime_error.h"

namespace korvale {

// value = c + sum_j k[j] * unknown_j, per channel c[0], c[1]; the unknowns are the six Z,
// or those and six more.
template <typename S, std::size_t unknowns = modeCount>
struct AffineValue {
    std::array<S, 2> c{};
    std::array<S, unknowns> k{};

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

    WindowSums() = default;
    WindowSums(std::int32_t length, std::int32_t top, const Values& eTop, const Factors& sTop) {
        restart(length, top, eTop, sTop);
    }

    // Starts anew, in the storage of the sums before.
    void restart(std::int32_t length, std::int32_t top, const Values& eTop, const Factors& sTop) {
        length_ = length;
        blockTop_ = top;
        const auto size = static_cast<std::size_t>(length);
        blockE_.assign(size, eTop);
        blockS_.assign(size, sTop);
        prefix_.resize(size);
        prefixProduct_.resize(size);
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

    std::int32_t length_ = 0;
    std::int32_t blockTop_ = 0;  // the block being filled holds layers blockTop - length ..
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
    // (WorkCancelled). The solves of one thread may share a `storage`, which saves asking for
    // memory anew each time (as costly as the arithmetic); without one the chain has its own.
    struct Storage;
    AttemptChain(const MachineModel& model, std::int32_t bigEndGames, std::int32_t regEndGames,
                 S perGame, S atEnd, bool countRewards, const std::atomic<bool>* cancel = nullptr,
                 Storage* storage = nullptr)
        : model_(model),
          x_(bigEndGames),
          y_(regEndGames),
          ceilingLayer_(std::max(model.ceilingGame - 1, 0)),
          cap_(std::max(bigEndGames, std::max(model.ceilingGame - 1, 0))),
          wFrom_(std::max(1, bigEndGames - regEndGames + 1)),
          perGame_(perGame),
          countRewards_(countRewards),
          cancel_(cancel),
          ownStorage_(storage != nullptr ? nullptr : std::make_unique<Storage>()),
          store_(storage != nullptr ? *storage : *ownStorage_) {
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
        // Kept only as low as the BIG countdown and the post-BIG countdowns look.
        afterReg_.assign(static_cast<std::size_t>(std::min(cap_, std::max(x_, y_)) + 1), {});
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
            if (!reachesBack) {
                fillRegCountdowns(afterReg_, capAfterReg_, false);
                break;
            }
            before_ = postBig_;
            const std::vector<Modes>& before = before_;
            if (pass == 0) {
                firstPass();
            } else {
                fillRegCountdowns(part_.afterReg, part_.capAfterReg, true);
                fillPostBig(part_);
            }
            settlePass();
            const auto [change, size] = changeFrom(before);
            if (change <= passTolerance * size) {
                break;
            }
            // Once two rounds have shrunk it by a small ratio, the rounds still to come add
            // about change * ratio / (1 - ratio) in all.
            const double ratio = previousChange > 0.0 ? change / previousChange : 0.0;
            if (pass >= 2 && ratio > 0.0 && ratio < 0.1 &&
                change * ratio / (1.0 - ratio) <= passTolerance * size) {
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
                    throw RuntimeError(ErrorKind::NoSolution, "attempt chain did not settle");
                }
            }
            // The rounds shrink the error by a steady ratio once one pattern dominates it;
            // then the rest of the way is a geometric sum and one step jumps it. The rounds
            // after it still decide when the values have settled.
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
    // A value that also carries the six B_m: the BIG part of a whole REG countdown of Y games
    // before the ceiling, in mode m (k[modes + m]).
    using Wide = AffineValue<S, 2 * modes>;
    template <typename V>
    using ModesOf = std::array<V, modes>;

    // What one pass fills: the values right after a REG (low layers, and the cap layer's) and
    // the REG countdowns right after a BIG with what a BIG from each mode leads to.
    template <typename V>
    struct PassValues {
        std::vector<ModesOf<V>> afterReg;
        ModesOf<V> capAfterReg{};
        std::vector<ModesOf<V>> postBig;
        std::vector<ModesOf<V>> afterBig;
    };
    // The BIG part of windows over the top `length` rows of afterBig_ (q = Y-1 down to
    // Y-length), started at layer h: the games before the ceiling at the mode's own chance,
    // the rest at the ceiling's. `top[n]` sums the first n games before the ceiling,
    // `ceiling[j]` j games at the ceiling from row j-1 down.
    struct BigParts {
        std::vector<Modes> top;
        std::vector<Modes> ceiling;
    };
    // The B coefficients of the same values: the same in every pass.
    struct BCoefficients {
        std::vector<std::array<Factors, modes>> afterReg;
        std::vector<std::array<Factors, modes>> postBig;
        Matrix system{};  // 1 - (B's own coefficients in the sum that defines B)
    };

  public:
    struct Storage {
        std::vector<Factors> stayPowers;
        std::vector<Modes> afterBig;
        std::vector<Modes> postBig;
        std::vector<Modes> afterReg;
        std::vector<Modes> before;
        BigParts regParts;
        BigParts firstParts;
        PassValues<Value> part;
        PassValues<Wide> wide;
        BCoefficients b;
        WindowSums<S, Value, modes> windows;
        WindowSums<S, Wide, modes> wideWindows;
        WindowSums<S, Value, modes> firstWindows;
        std::vector<Modes> kept;
    };

  private:
    template <typename V>
    static V lift(const Value& value) {
        if constexpr (std::is_same_v<V, Value>) {
            return value;
        } else {
            V wide;
            wide.c = value.c;
            std::copy(value.k.begin(), value.k.end(), wide.k.begin());
            return wide;
        }
    }
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
    template <typename V = Value>
    V reward(std::size_t m, std::int32_t g) const {
        V value;
        if (countRewards_) {
            value.c[0] = S(1);
            value.c[1] = S(bigChance(m, g));
        }
        return value;
    }

    template <typename Lookup>
    auto bigMix(std::size_t m, Lookup lookup) const {
        std::decay_t<decltype(lookup(0))> mix;
        for (std::size_t to = 0; to < modes; ++to) {
            const double w = model_.bigNextMode[m][to];
            if (w != 0.0) {
                mix.addScaled(lookup(to), S(w));
            }
        }
        return mix;
    }
    template <typename V>
    ModesOf<V> regMix(const ModesOf<V>& values) const {
        ModesOf<V> mix{};
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

    // Filled in place: the passes reuse the same storage rather than ask for it anew.
    void fillBigParts(BigParts& parts, std::int32_t length, std::int32_t lowestRow) const {
        parts.top.resize(static_cast<std::size_t>(length + 1));
        parts.ceiling.resize(static_cast<std::size_t>(y_ + 1));
        parts.top[0] = Modes{};
        parts.ceiling[static_cast<std::size_t>(lowestRow)] = Modes{};
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
    template <typename V>
    ModesOf<V> solveRegLoop(S factor, ModesOf<V> rhs) const {
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
    // outlasts the BIG countdown: windows of Y games. With `bApart` a window below the
    // ceiling leaves its BIG part to B: with Wide values as its unknown, else out.
    template <typename V>
    void fillRegCountdowns(std::vector<ModesOf<V>>& afterReg, ModesOf<V>& capAfterReg,
                           bool bApart) {
        if (y_ < 1) {
            return;
        }
        const double r = model_.regProbability;
        const V end = lift<V>(end_);
        BigParts& parts = regParts_;
        fillBigParts(parts, y_, 0);
        const auto [sum, power] = geometric(ceilingStay_, y_);
        // The cap layer: every window of it is the same.
        ModesOf<V> rhs{};
        for (std::size_t m = 0; m < modes; ++m) {
            rhs[m] = reward<V>(m, cap_) * sum;
            rhs[m] += lift<V>(parts.ceiling[static_cast<std::size_t>(y_)][m]);
            rhs[m].addScaled(end, power);
        }
        const ModesOf<V> capValues = solveRegLoop(perGame_ * r * sum, rhs);
        capAfterReg = capValues;
        ModesOf<V> eTop = regMix(capValues);
        for (std::size_t m = 0; m < modes; ++m) {
            eTop[m] = eTop[m] * (perGame_ * r);
            eTop[m] += reward<V>(m, cap_);
        }
        Factors sTop;
        sTop.fill(ceilingStay_);
        WindowSums<S, V, modes>* windowsOfV = nullptr;
        if constexpr (std::is_same_v<V, Value>) {
            windowsOfV = &store_.windows;
        } else {
            windowsOfV = &store_.wideWindows;
        }
        WindowSums<S, V, modes>& windows = *windowsOfV;
        windows.restart(y_, cap_, eTop, sTop);
        ModesOf<V> windowSum;
        Factors product;
        ModesOf<V> above = capValues;  // layer h + 1
        for (std::int32_t h = cap_ - 1; h >= wFrom_; --h) {
            if ((h & 255) == 0) {
                stopIfCalledOff(cancel_);
            }
            ModesOf<V> e = regMix(above);
            Factors s;
            for (std::size_t m = 0; m < modes; ++m) {
                e[m] = e[m] * (perGame_ * r);
                e[m] += reward<V>(m, h);
                s[m] = stay(m, h);
            }
            windows.add(h, e, s, windowSum, product);
            const bool wholeBeforeCeiling = bApart && ceilingLayer_ - h >= y_;
            for (std::size_t m = 0; m < modes; ++m) {
                above[m] = windowSum[m];
                if (!wholeBeforeCeiling) {
                    above[m] += lift<V>(bigPart(parts, m, h, y_));
                } else if constexpr (!std::is_same_v<V, Value>) {
                    above[m].k[modes + m] += S(1);
                }
                above[m].addScaled(end, product[m]);
            }
            if (static_cast<std::size_t>(h) < afterReg.size()) {
                afterReg[static_cast<std::size_t>(h)] = above;
            }
        }
    }

    // The REG countdown states right after a BIG (layer 0, q = X+1 .. Y-1), q rising so that
    // a BIG within the countdown finds the lower countdowns already renewed.
    template <typename V>
    void fillPostBig(PassValues<V>& pass) const {
        const double r = model_.regProbability;
        const V end = lift<V>(end_);
        const bool beforeCeiling = y_ - 1 <= ceilingLayer_;
        ModesOf<V> prefix{};  // sum_{k < q} f(0, k) e(k)
        ModesOf<V> bigs{};    // sum_{k < q} f(0, k) z b(k) afterBig(q - 1 - k), before the ceiling
        Factors product;
        product.fill(S(1));
        for (std::int32_t q = 1; q < y_; ++q) {
            const std::int32_t g = q - 1;
            const ModesOf<V> mixed =
                regMix(q >= cap_ ? pass.capAfterReg : pass.afterReg[static_cast<std::size_t>(q)]);
            for (std::size_t m = 0; m < modes; ++m) {
                V e = mixed[m] * (perGame_ * r);
                e += reward<V>(m, g);
                prefix[m].addScaled(e, product[m]);
                product[m] *= stay(m, g);
                if (beforeCeiling) {
                    V value = bigs[m] * stay_[m];
                    value.addScaled(pass.afterBig[static_cast<std::size_t>(g)][m],
                                    perGame_ * model_.bigProbability[m]);
                    bigs[m] = value;
                }
            }
            if (q <= x_) {
                continue;
            }
            const auto at = static_cast<std::size_t>(q);
            ModesOf<V>& values = pass.postBig[at];
            for (std::size_t m = 0; m < modes; ++m) {
                values[m] = prefix[m];
                values[m] += beforeCeiling ? bigs[m] : bigsPastCeiling(pass.afterBig, m, q);
                values[m].addScaled(end, product[m]);
            }
            for (std::size_t m = 0; m < modes; ++m) {
                pass.afterBig[at][m] =
                    bigMix(m, [&](std::size_t to) -> const V& { return values[to]; });
            }
        }
    }

    // Storage for the passes; what a BIG leads to without a REG countdown never changes.
    template <typename V>
    void preparePass(PassValues<V>& pass) const {
        pass.afterReg.assign(afterReg_.size(), {});
        pass.postBig.assign(static_cast<std::size_t>(y_), {});
        pass.afterBig.assign(static_cast<std::size_t>(y_), {});
        for (std::int32_t q = 0; q <= x_ && q < y_; ++q) {
            for (std::size_t m = 0; m < modes; ++m) {
                pass.afterBig[static_cast<std::size_t>(q)][m] = lift<V>(bigToZ_[m]);
            }
        }
    }

    // The first pass carries B as unknowns: their coefficients are the same in every pass,
    // and the later passes need only the values without B.
    void firstPass() {
        PassValues<Wide>& wide = store_.wide;
        preparePass(wide);
        fillRegCountdowns(wide.afterReg, wide.capAfterReg, true);
        fillPostBig(wide);
        preparePass(part_);
        auto split = [](const std::vector<ModesOf<Wide>>& from, std::vector<Modes>& values,
                        std::vector<std::array<Factors, modes>>& coefficients) {
            values.resize(from.size());
            coefficients.resize(from.size());
            for (std::size_t i = 0; i < from.size(); ++i) {
                for (std::size_t m = 0; m < modes; ++m) {
                    values[i][m].c = from[i][m].c;
                    std::copy_n(from[i][m].k.begin(), modes, values[i][m].k.begin());
                    std::copy_n(from[i][m].k.begin() + modes, modes, coefficients[i][m].begin());
                }
            }
        };
        split(wide.afterReg, part_.afterReg, b_.afterReg);
        split(wide.postBig, part_.postBig, b_.postBig);
        std::vector<std::array<Factors, modes>> unused;
        split(wide.afterBig, part_.afterBig, unused);
        for (std::size_t m = 0; m < modes; ++m) {
            part_.capAfterReg[m].c = wide.capAfterReg[m].c;
            std::copy_n(wide.capAfterReg[m].k.begin(), modes, part_.capAfterReg[m].k.begin());
        }
        // B_m sums a BIG at each game of the countdown (q = Y-1 down to 0) at mode m's chance.
        for (std::size_t m = 0; m < modes; ++m) {
            const S big = perGame_ * model_.bigProbability[m];
            for (std::size_t j = 0; j < modes; ++j) {
                b_.system[m][j] = m == j ? S(1) : S(0);
            }
            for (std::int32_t n = 1; n <= y_; ++n) {
                const Wide& row = wide.afterBig[static_cast<std::size_t>(y_ - n)][m];
                const S weight = big * stayPowers_[static_cast<std::size_t>(n - 1)][m];
                for (std::size_t j = 0; j < modes; ++j) {
                    b_.system[m][j] -= row.k[modes + j] * weight;
                }
            }
        }
    }

    // Solves for B from the pass's values without it, and puts it in.
    void settlePass() {
        Modes b{};
        for (std::size_t m = 0; m < modes; ++m) {
            const S big = perGame_ * model_.bigProbability[m];
            for (std::int32_t n = 1; n <= y_; ++n) {
                b[m].addScaled(part_.afterBig[static_cast<std::size_t>(y_ - n)][m],
                               big * stayPowers_[static_cast<std::size_t>(n - 1)][m]);
            }
        }
        solveInPlace(b_.system, b);
        auto settle = [&](const Modes& values, const std::array<Factors, modes>& coefficients,
                          Modes& out) {
            for (std::size_t m = 0; m < modes; ++m) {
                out[m] = values[m];
                for (std::size_t j = 0; j < modes; ++j) {
                    out[m].addScaled(b[j], coefficients[m][j]);
                }
            }
        };
        for (std::size_t h = 0; h < afterReg_.size(); ++h) {
            settle(part_.afterReg[h], b_.afterReg[h], afterReg_[h]);
        }
        capAfterReg_ = part_.capAfterReg;
        for (std::int32_t q = x_ + 1; q < y_; ++q) {
            const auto at = static_cast<std::size_t>(q);
            settle(part_.postBig[at], b_.postBig[at], postBig_[at]);
        }
        refreshAfterBig(x_ + 1);
    }

    // The same BIG part when the countdown reaches the ceiling (hand-built models only).
    template <typename V>
    V bigsPastCeiling(const std::vector<ModesOf<V>>& afterBig, std::size_t m,
                      std::int32_t q) const {
        V value;
        S reach = S(1);
        for (std::int32_t k = 0; k < q; ++k) {
            value.addScaled(afterBig[static_cast<std::size_t>(q - 1 - k)][m],
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
                regTo = regMix(afterRegAt(h));
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

    // The first BIG pending, from layer cap down to the attempt's start: F(g) with the REG
    // countdown of no account, and after a REG Phi(g), which waits Y - X - 1 games (windows
    // again) before the REG countdown stops mattering.
    Value firstBigPendingStart() const {
        const double r = model_.regProbability;
        const std::int32_t length = y_ - x_ - 1;
        const Modes loopFree = capLoopFree();
        const S leave = S(1) / (S(1) - ceilingStay_);
        const Modes capPhi = firstCapPhi(loopFree, leave, length);
        // F = (loop-free part + z r mix(Phi)) / (1 - stay) at the cap layer.
        Modes capFirst;
        const Modes capRegTo = regMix(capPhi);
        for (std::size_t m = 0; m < modes; ++m) {
            capFirst[m] = loopFree[m] * leave;
            capFirst[m].addScaled(capRegTo[m], perGame_ * r * leave);
        }
        if (cap_ == 0) {
            return capFirst[0];
        }
        WindowSums<S, Value, modes>* windows =
            length > 0 ? startFirstWindows(length, capRegTo) : nullptr;
        return firstPendingDown(capFirst, capPhi, length, windows);
    }

    // The cap layer's F without the REG's loop: reward + z b afterBig0.
    Modes capLoopFree() const {
        const S ceilingBig = perGame_ * model_.ceilingBigProbability;
        Modes loopFree;
        for (std::size_t m = 0; m < modes; ++m) {
            loopFree[m] = reward(m, cap_);
            loopFree[m].addScaled(bigToZ_[m], ceilingBig);
        }
        return loopFree;
    }

    // The cap layer's Phi, which waits `length` games of the cap layer before it becomes F;
    // with length > 0 it also fills store_.firstParts, which the layers below read.
    Modes firstCapPhi(const Modes& loopFree, S leave, std::int32_t length) const {
        const double r = model_.regProbability;
        if (length <= 0) {
            Modes rhs;
            for (std::size_t m = 0; m < modes; ++m) {
                rhs[m] = loopFree[m] * leave;
            }
            return solveRegLoop(perGame_ * r * leave, rhs);
        }
        BigParts& parts = store_.firstParts;
        fillBigParts(parts, length, x_ + 1);
        const auto [sum, power] = geometric(ceilingStay_, length);
        Modes rhs;
        for (std::size_t m = 0; m < modes; ++m) {
            rhs[m] = reward(m, cap_) * sum;
            rhs[m] += parts.ceiling[static_cast<std::size_t>(y_)][m];
            rhs[m].addScaled(loopFree[m], power * leave);
        }
        return solveRegLoop(perGame_ * r * (sum + power * leave), rhs);
    }

    // The windows of Phi's wait, started with the cap layer's terms.
    WindowSums<S, Value, modes>* startFirstWindows(std::int32_t length,
                                                   const Modes& capRegTo) const {
        Modes eTop;
        for (std::size_t m = 0; m < modes; ++m) {
            eTop[m] = capRegTo[m] * (perGame_ * model_.regProbability);
            eTop[m] += reward(m, cap_);
        }
        Factors sTop;
        sTop.fill(ceilingStay_);
        WindowSums<S, Value, modes>* windows = &store_.firstWindows;
        windows->restart(length, cap_, eTop, sTop);
        return windows;
    }

    // F and Phi layer by layer from cap - 1 down to 0, F kept for the `length` layers above
    // the current one; F(0) in mode 0.
    Value firstPendingDown(Modes& capFirst, Modes phi, std::int32_t length,
                           WindowSums<S, Value, modes>* windows) const {
        const double r = model_.regProbability;
        const BigParts& parts = store_.firstParts;
        std::vector<Modes>& kept = store_.kept;
        kept.assign(static_cast<std::size_t>(std::max(length, 1) + 1), {});
        auto first = [&](std::int32_t g) -> Modes& {
            return g >= cap_ ? capFirst : kept[static_cast<std::size_t>(g) % kept.size()];
        };
        Modes windowSum;
        Factors product;
        for (std::int32_t h = cap_ - 1; h >= 0; --h) {  // phi is Phi(h + 1)
            if ((h & 255) == 0) {
                stopIfCalledOff(cancel_);
            }
            const Modes regTo = regMix(phi);
            const Modes& above = first(h + 1);
            Modes& here = first(h);
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
            const Modes& after = first(h + length);
            for (std::size_t m = 0; m < modes; ++m) {
                phi[m] = windowSum[m];
                phi[m] += bigPart(parts, m, h, length);
                phi[m].addScaled(after[m], product[m]);
            }
        }
        return first(0)[0];
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
    std::unique_ptr<Storage> ownStorage_;
    Storage& store_;
    std::vector<Factors>& stayPowers_ = store_.stayPowers;  // [i][m] = stay_[m]^i, i <= Y
    std::vector<Modes>& afterBig_ = store_.afterBig;        // [q][mode], q < Y
    std::vector<Modes>& postBig_ = store_.postBig;  // REG countdown states of layer 0 [q][mode]
    // Values right after a REG [layer][mode], low layers.
    std::vector<Modes>& afterReg_ = store_.afterReg;
    Modes capAfterReg_{};  // the same from the cap layer on
    BigParts& regParts_ = store_.regParts;
    std::vector<Modes>& before_ = store_.before;
    PassValues<Value>& part_ = store_.part;  // a pass's values without B
    BCoefficients& b_ = store_.b;

    const Modes& afterRegAt(std::int32_t h) const {
        return h >= cap_ ? capAfterReg_ : afterReg_[static_cast<std::size_t>(h)];
    }
};

}  // namespace korvale
