#include "analysis/attempt/attempt_chain.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "analysis/attempt/lane_arithmetic.h"
#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/numeric/vector_target.h"
#include "common/status.h"
#include "common/work_control.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

namespace {

// The largest size of a run of numbers, as std::abs gives it: for a complex point std::hypot,
// taken only where the square comes near the largest so far (the rest are smaller).
class LargestSize {
  public:
    LargestSize() = default;
    explicit LargestSize(double least) : size_(least), square_(least * least) {}
    void add(double x, std::size_t) { size_ = std::max(size_, std::abs(x)); }
    void add(const ComplexBlock& x, std::size_t p) {
        const double square = x.re[p] * x.re[p] + x.im[p] * x.im[p];
        if (square >= square_ * (1.0 - 1e-6)) {
            size_ = std::max(size_, std::hypot(x.re[p], x.im[p]));
            square_ = std::max(square_, square);
        }
    }
    double largest() const { return size_; }

  private:
    double size_ = 0.0;
    double square_ = 0.0;
};

inline void copyPoint(double from, double& to, std::size_t) {
    to = from;
}
inline void copyPoint(const ComplexBlock& from, ComplexBlock& to, std::size_t p) {
    to.re[p] = from.re[p];
    to.im[p] = from.im[p];
}

inline void setPoint(double& x, std::size_t, double value) {
    x = value;
}
inline void setPoint(ComplexBlock& x, std::size_t p, double value) {
    x.set(p, value);
}

inline double divide(double a, double b) {
    return a / b;
}
inline ComplexBlock divide(const ComplexBlock& a, const ComplexBlock& b) {
    ComplexBlock quotient;
    for (std::size_t p = 0; p < complexBlockSize; ++p) {
        quotient.set(p, divideLane(a.at(p), b.at(p)));
    }
    return quotient;
}

template <typename V, std::size_t n>
void solveModes(const std::array<std::array<double, n>, n>& a, std::array<V, n>& b) {
    solveInPlace(a, b);
}

// Calls visit(part) on every complex part of a value of a block's solve, in the order
// lane_arithmetic.h lays them out.
template <typename Visit>
void forEachPart(ComplexBlock& value, Visit visit) {
    visit(value);
}
template <std::size_t unknowns, std::size_t channels, typename Visit>
void forEachPart(AffineValue<ComplexBlock, unknowns, channels>& value, Visit visit) {
    for (ComplexBlock& part : value.c) {
        visit(part);
    }
    for (ComplexBlock& part : value.k) {
        visit(part);
    }
}

// Point by point, pivoted as the solve of that point alone.
template <typename V, std::size_t n>
void solveModes(const std::array<std::array<ComplexBlock, n>, n>& a, std::array<V, n>& b) {
    static_assert(n == modeCount);
    std::size_t parts = 0;
    forEachPart(b[0], [&](ComplexBlock&) { ++parts; });
    std::vector<std::complex<double>> lane(n * parts);
    LaneMatrix matrix;
    for (std::size_t p = 0; p < complexBlockSize; ++p) {
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                matrix[i][j] = a[i][j].at(p);
            }
        }
        std::size_t at = 0;
        for (V& value : b) {
            forEachPart(value, [&](ComplexBlock& part) { lane[at++] = part.at(p); });
        }
        solveLaneInPlace(matrix, lane.data(), parts);
        at = 0;
        for (V& value : b) {
            forEachPart(value, [&](ComplexBlock& part) { part.set(p, lane[at++]); });
        }
    }
}

}  // namespace

template <typename S>
AttemptChain<S>::AttemptChain(const MachineModel& model, std::int32_t bigEndGames,
                              std::int32_t regEndGames, S perGame, S atEnd, bool countRewards,
                              const std::atomic<bool>* cancel, Storage* storage)
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
    if (countRewards && channels < 2) {
        throw std::invalid_argument("a block of points solves the generating function only");
    }
    end_.c[0] = atEnd;
    for (std::size_t m = 0; m < modes; ++m) {
        unitZ_[m].k[m] = S(1);
    }
    const double r = model_.regProbability;
    ceilingStay_ = perGame_ * (1.0 - r - model_.ceilingBigProbability);
    for (std::size_t m = 0; m < modes; ++m) {
        stay_[m] = perGame_ * (1.0 - r - model_.bigProbability[m]);
        bigToZ_[m] =
            bigMix(m, [&](std::size_t to) -> const Value& { return x_ >= 1 ? unitZ_[to] : end_; });
    }
    store_.stayPowers.assign(static_cast<std::size_t>(y_ + 1), {});
    for (std::size_t m = 0; m < modes; ++m) {
        S power = S(1);
        for (auto& row : store_.stayPowers) {
            row[m] = power;
            power *= stay_[m];
        }
    }
    store_.afterBig.assign(static_cast<std::size_t>(y_), {});
    store_.postBig.assign(static_cast<std::size_t>(y_), {});
    // Kept only as low as the BIG countdown and the post-BIG countdowns look.
    store_.afterReg.assign(static_cast<std::size_t>(std::min(cap_, std::max(x_, y_)) + 1), {});
}

template <typename S>
std::array<S, 2> AttemptChain<S>::solve() {
    const AttemptStart morning = morningStart();
    return solve(std::span<const AttemptStart>(&morning, 1))[0];
}

template <typename S>
std::vector<std::array<S, 2>> AttemptChain<S>::solve(std::span<const AttemptStart> starts) {
    refreshAfterBig(0);
    stopIfCalledOff(cancel_);
    if (y_ >= x_ + 2) {  // a REG countdown can outlast a BIG
        if (Status settled = settleCountdowns(); !settled.ok()) {
            // A real solve beyond the radius of convergence of E[z^games] grows without end
            // (all its terms are positive there): the value is infinite. A complex point has
            // no such value.
            if constexpr (std::is_same_v<S, double>) {
                const S infinity(std::numeric_limits<double>::infinity());
                return std::vector<std::array<S, 2>>(starts.size(), {infinity, infinity});
            } else {
                throw StatusError(std::move(settled));
            }
        }
    } else {
        fillRegCountdowns(store_.afterReg, capAfterReg_, false);
    }
    const std::array<std::array<S, channels>, modes> z = solveBigCountdownStart();
    const std::vector<Value> values = firstBigPendingStarts(starts);
    std::vector<std::array<S, 2>> results(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        for (std::size_t channel = 0; channel < channels; ++channel) {
            results[i][channel] = values[i].c[channel];
            for (std::size_t j = 0; j < modes; ++j) {
                results[i][channel] += values[i].k[j] * z[j][channel];
            }
        }
    }
    return results;
}

// The passes over the REG countdowns, until the post-BIG values of every point have settled;
// a point that settles while others go on keeps the values it settled at. NoSolution when the
// rounds do not settle.
template <typename S>
Status AttemptChain<S>::settleCountdowns() {
    struct Track {
        double previousChange = 0.0;
        double previousRatio = 0.0;
        int growing = 0;
        bool settled = false;
    };
    std::array<Track, points> tracks{};
    PointMask kept{};  // settled at an earlier pass, its values kept aside
    std::size_t left = points;
    for (int pass = 0;; ++pass) {
        if (pass > 0) {
            stopIfCalledOff(cancel_);
        }
        store_.before = store_.postBig;
        if (pass == 0) {
            firstPass();
        } else {
            fillRegCountdowns(store_.part.afterReg, store_.part.capAfterReg, true);
            fillPostBig(store_.part);
        }
        settlePass();
        const std::array<std::pair<double, double>, points> changes = changeFrom(store_.before);
        PointMask settledNow{};
        std::array<double, points> jumps{};
        for (std::size_t p = 0; p < points; ++p) {
            Track& track = tracks[p];
            if (track.settled) {
                continue;
            }
            const auto [change, size] = changes[p];
            // Once two rounds have shrunk it by a small ratio, the rounds still to come add
            // about change * ratio / (1 - ratio) in all.
            const double ratio = track.previousChange > 0.0 ? change / track.previousChange : 0.0;
            if (change <= passTolerance * size ||
                (pass >= 2 && ratio > 0.0 && ratio < 0.1 &&
                 change * ratio / (1.0 - ratio) <= passTolerance * size)) {
                track.settled = settledNow[p] = true;
                --left;
                continue;
            }
            track.growing =
                change > track.previousChange && track.previousChange > 0.0 ? track.growing + 1 : 0;
            if (!std::isfinite(change) || track.growing > maxGrowingPasses || pass > maxPasses) {
                return Status(StatusReason::NoSolution, "attempt chain did not settle");
            }
            // The rounds shrink the error by a steady ratio once one pattern dominates it;
            // then the rest of the way is a geometric sum and one step jumps it. The rounds
            // after it still decide when the values have settled.
            if (ratio > 0.0 && ratio < 0.9 &&
                std::abs(ratio - track.previousRatio) < 0.05 * ratio) {
                jumps[p] = ratio / (1.0 - ratio);
                track.previousRatio = 0.0;
                track.previousChange = 0.0;
                track.growing = 0;
            } else {
                track.previousRatio = ratio;
                track.previousChange = change;
            }
        }
        if (left == 0) {
            restorePoints(kept);
            return {};
        }
        keepPoints(settledNow);
        for (std::size_t p = 0; p < points; ++p) {
            kept[p] = kept[p] || settledNow[p];
        }
        jumpAhead(store_.before, jumps);
    }
}

// The rest of a geometric sum of rounds, from the last round's step, for the points with a
// jump.
template <typename S>
void AttemptChain<S>::jumpAhead(const std::vector<Modes>& before,
                                const std::array<double, points>& jumps) {
    if (std::all_of(jumps.begin(), jumps.end(), [](double jump) { return jump == 0.0; })) {
        return;
    }
    S jump{};
    for (std::size_t p = 0; p < points; ++p) {
        setPoint(jump, p, jumps[p]);
    }
    std::vector<Modes>& postBig = store_.postBig;
    for (std::size_t q = 0; q < postBig.size(); ++q) {
        for (std::size_t m = 0; m < modes; ++m) {
            Value step = postBig[q][m];
            step -= before[q][m];
            Value jumped = postBig[q][m];
            jumped.addScaled(step, jump);
            for (std::size_t p = 0; p < points; ++p) {
                if (jumps[p] != 0.0) {
                    copyValuePoint(jumped, postBig[q][m], p);
                }
            }
        }
    }
    refreshAfterBig(0);
}

// What the points settled at this pass leave for the BIG countdown and the first BIG: the
// values after a REG and after a BIG, kept aside while the others go on.
template <typename S>
void AttemptChain<S>::keepPoints(const PointMask& which) {
    if (std::none_of(which.begin(), which.end(), [](bool point) { return point; })) {
        return;
    }
    store_.keptAfterReg.resize(store_.afterReg.size());
    store_.keptAfterBig.resize(store_.afterBig.size());
    for (std::size_t p = 0; p < points; ++p) {
        if (which[p]) {
            copyModesPoint(store_.afterReg, store_.keptAfterReg, p);
            copyModesPoint(store_.afterBig, store_.keptAfterBig, p);
            for (std::size_t m = 0; m < modes; ++m) {
                copyValuePoint(capAfterReg_[m], store_.keptCapAfterReg[m], p);
            }
        }
    }
}

template <typename S>
void AttemptChain<S>::restorePoints(const PointMask& which) {
    for (std::size_t p = 0; p < points; ++p) {
        if (which[p]) {
            copyModesPoint(store_.keptAfterReg, store_.afterReg, p);
            copyModesPoint(store_.keptAfterBig, store_.afterBig, p);
            for (std::size_t m = 0; m < modes; ++m) {
                copyValuePoint(store_.keptCapAfterReg[m], capAfterReg_[m], p);
            }
        }
    }
}

template <typename S>
void AttemptChain<S>::copyValuePoint(const Value& from, Value& to, std::size_t p) {
    for (std::size_t i = 0; i < from.c.size(); ++i) {
        copyPoint(from.c[i], to.c[i], p);
    }
    for (std::size_t j = 0; j < from.k.size(); ++j) {
        copyPoint(from.k[j], to.k[j], p);
    }
}

template <typename S>
void AttemptChain<S>::copyModesPoint(const std::vector<Modes>& from, std::vector<Modes>& to,
                                     std::size_t p) {
    for (std::size_t i = 0; i < from.size(); ++i) {
        for (std::size_t m = 0; m < modes; ++m) {
            copyValuePoint(from[i][m], to[i][m], p);
        }
    }
}

template <typename S>
template <typename V>
inline V AttemptChain<S>::lift(const Value& value) {
    if constexpr (std::is_same_v<V, Value>) {
        return value;
    } else {
        V wide;
        wide.c = value.c;
        std::copy(value.k.begin(), value.k.end(), wide.k.begin());
        return wide;
    }
}

template <typename S>
inline double AttemptChain<S>::bigChance(std::size_t m, std::int32_t g) const {
    return g >= ceilingLayer_ ? model_.ceilingBigProbability : model_.bigProbability[m];
}

template <typename S>
inline S AttemptChain<S>::stay(std::size_t m, std::int32_t g) const {
    return g >= ceilingLayer_ ? ceilingStay_ : stay_[m];
}

template <typename S>
template <typename V>
inline V AttemptChain<S>::reward(std::size_t m, std::int32_t g) const {
    V value;
    if constexpr (channels > 1) {
        if (countRewards_) {
            value.c[0] = S(1);
            value.c[1] = S(bigChance(m, g));
        }
    }
    return value;
}

template <typename S>
template <typename Lookup>
inline auto AttemptChain<S>::bigMix(std::size_t m, Lookup lookup) const {
    std::decay_t<decltype(lookup(0))> mix;
    for (std::size_t to = 0; to < modes; ++to) {
        const double w = model_.bigNextMode[m][to];
        if (w != 0.0) {
            mix.addScaled(lookup(to), w);
        }
    }
    return mix;
}

template <typename S>
template <typename V>
inline auto AttemptChain<S>::regMix(const ModesOf<V>& values) const -> ModesOf<V> {
    ModesOf<V> mix{};
    for (std::size_t m = 0; m < modes; ++m) {
        for (std::size_t to = 0; to < modes; ++to) {
            const double w = model_.regNextMode[m][to];
            if (w != 0.0) {
                mix[m].addScaled(values[to], w);
            }
        }
    }
    return mix;
}

// afterBig[q][m]: what follows a BIG from mode m that leaves the REG countdown at q, for
// q >= from.
template <typename S>
void AttemptChain<S>::refreshAfterBig(std::int32_t from) {
    for (std::int32_t q = from; q < y_; ++q) {
        refreshAfterBigAt(q);
    }
}

template <typename S>
void AttemptChain<S>::refreshAfterBigAt(std::int32_t q) {
    const auto at = static_cast<std::size_t>(q);
    const Modes& postBig = store_.postBig[at];
    for (std::size_t m = 0; m < modes; ++m) {
        store_.afterBig[at][m] =
            q > x_ ? bigMix(m, [&](std::size_t to) -> const Value& { return postBig[to]; })
                   : bigToZ_[m];
    }
}

// Filled in place: the passes reuse the same storage rather than ask for it anew.
template <typename S>
void AttemptChain<S>::fillBigParts(BigParts& parts, std::int32_t length, std::int32_t lowestRow) {
    const std::vector<Modes>& afterBig = store_.afterBig;
    const std::vector<Factors>& stayPowers = store_.stayPowers;
    parts.top.resize(static_cast<std::size_t>(length + 1));
    parts.ceiling.resize(static_cast<std::size_t>(y_ + 1));
    parts.top[0] = Modes{};
    parts.ceiling[static_cast<std::size_t>(lowestRow)] = Modes{};
    for (std::size_t m = 0; m < modes; ++m) {
        const S big = perGame_ * model_.bigProbability[m];
        for (std::int32_t n = 1; n <= length; ++n) {
            const auto at = static_cast<std::size_t>(n);
            parts.top[at][m] = parts.top[at - 1][m];
            parts.top[at][m].addScaled(afterBig[static_cast<std::size_t>(y_ - n)][m],
                                       big * stayPowers[at - 1][m]);
        }
        const S ceilingBig = perGame_ * model_.ceilingBigProbability;
        for (std::int32_t j = lowestRow + 1; j <= y_; ++j) {
            const auto at = static_cast<std::size_t>(j);
            Value value = parts.ceiling[at - 1][m] * ceilingStay_;
            value.addScaled(afterBig[at - 1][m], ceilingBig);
            parts.ceiling[at][m] = value;
        }
    }
}

// The BIG part of a window of `length` games from layer h whose rows end at Y - length.
template <typename S>
inline auto AttemptChain<S>::bigPart(const BigParts& parts, std::size_t m, std::int32_t h,
                                     std::int32_t length) const -> Value {
    const std::int32_t before = std::clamp(ceilingLayer_ - h, 0, length);
    Value value = parts.top[static_cast<std::size_t>(before)][m];
    value.addScaled(parts.ceiling[static_cast<std::size_t>(y_ - before)][m],
                    store_.stayPowers[static_cast<std::size_t>(before)][m]);
    return value;
}

// Solves v = rhs + factor * (REG mix of v) over the modes.
template <typename S>
template <typename V>
inline auto AttemptChain<S>::solveRegLoop(S factor, ModesOf<V> rhs) const -> ModesOf<V> {
    Matrix system{};
    for (std::size_t m = 0; m < modes; ++m) {
        for (std::size_t to = 0; to < modes; ++to) {
            system[m][to] = (m == to ? S(1) : S(0)) - factor * model_.regNextMode[m][to];
        }
    }
    solveModes(system, rhs);
    return rhs;
}

// sum_{i < n} stay^i and stay^n.
template <typename S>
inline std::pair<S, S> AttemptChain<S>::geometric(S stay, std::int32_t n) {
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
template <typename S>
template <typename V>
void AttemptChain<S>::fillRegCountdowns(std::vector<ModesOf<V>>& afterReg, ModesOf<V>& capAfterReg,
                                        bool bApart) {
    if (y_ < 1) {
        return;
    }
    const double r = model_.regProbability;
    const V end = lift<V>(end_);
    BigParts& parts = store_.regParts;
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
        if (countRewards_) {
            eTop[m] += reward<V>(m, cap_);
        }
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
    const S regGame = perGame_ * r;
    for (std::int32_t h = cap_ - 1; h >= wFrom_; --h) {
        if ((h & 255) == 0) {
            stopIfCalledOff(cancel_);
        }
        ModesOf<V> e = regMix(above);
        Factors s;
        for (std::size_t m = 0; m < modes; ++m) {
            e[m] = e[m] * regGame;
            if (countRewards_) {
                e[m] += reward<V>(m, h);
            }
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
            above[m].c[0] += end.c[0] * product[m];  // the end has nothing else
        }
        if (static_cast<std::size_t>(h) < afterReg.size()) {
            afterReg[static_cast<std::size_t>(h)] = above;
        }
    }
}

// The REG countdown states right after a BIG (layer 0, q = X+1 .. Y-1), q rising so that
// a BIG within the countdown finds the lower countdowns already renewed.
template <typename S>
template <typename V>
void AttemptChain<S>::fillPostBig(PassValues<V>& pass) {
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
            if (countRewards_) {
                e += reward<V>(m, g);
            }
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
            values[m].c[0] += end.c[0] * product[m];
        }
        for (std::size_t m = 0; m < modes; ++m) {
            pass.afterBig[at][m] =
                bigMix(m, [&](std::size_t to) -> const V& { return values[to]; });
        }
    }
}

// Storage for the passes; what a BIG leads to without a REG countdown never changes.
template <typename S>
template <typename V>
void AttemptChain<S>::preparePass(PassValues<V>& pass) const {
    pass.afterReg.assign(store_.afterReg.size(), {});
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
template <typename S>
void AttemptChain<S>::firstPass() {
    PassValues<Wide>& wide = store_.wide;
    PassValues<Value>& part = store_.part;
    BCoefficients& b = store_.b;
    preparePass(wide);
    fillRegCountdowns(wide.afterReg, wide.capAfterReg, true);
    fillPostBig(wide);
    preparePass(part);
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
    split(wide.afterReg, part.afterReg, b.afterReg);
    split(wide.postBig, part.postBig, b.postBig);
    std::vector<std::array<Factors, modes>> unused;
    split(wide.afterBig, part.afterBig, unused);
    for (std::size_t m = 0; m < modes; ++m) {
        part.capAfterReg[m].c = wide.capAfterReg[m].c;
        std::copy_n(wide.capAfterReg[m].k.begin(), modes, part.capAfterReg[m].k.begin());
    }
    // B_m sums a BIG at each game of the countdown (q = Y-1 down to 0) at mode m's chance.
    for (std::size_t m = 0; m < modes; ++m) {
        const S big = perGame_ * model_.bigProbability[m];
        for (std::size_t j = 0; j < modes; ++j) {
            b.system[m][j] = m == j ? S(1) : S(0);
        }
        for (std::int32_t n = 1; n <= y_; ++n) {
            const Wide& row = wide.afterBig[static_cast<std::size_t>(y_ - n)][m];
            const S weight = big * store_.stayPowers[static_cast<std::size_t>(n - 1)][m];
            for (std::size_t j = 0; j < modes; ++j) {
                b.system[m][j] -= row.k[modes + j] * weight;
            }
        }
    }
}

// Solves for B from the pass's values without it, and puts it in.
template <typename S>
void AttemptChain<S>::settlePass() {
    const PassValues<Value>& part = store_.part;
    const BCoefficients& coefficientsOfB = store_.b;
    Modes b{};
    for (std::size_t m = 0; m < modes; ++m) {
        const S big = perGame_ * model_.bigProbability[m];
        for (std::int32_t n = 1; n <= y_; ++n) {
            b[m].addScaled(part.afterBig[static_cast<std::size_t>(y_ - n)][m],
                           big * store_.stayPowers[static_cast<std::size_t>(n - 1)][m]);
        }
    }
    solveModes(coefficientsOfB.system, b);
    auto settle = [&](const Modes& values, const std::array<Factors, modes>& coefficients,
                      Modes& out) {
        for (std::size_t m = 0; m < modes; ++m) {
            out[m] = values[m];
            for (std::size_t j = 0; j < modes; ++j) {
                out[m].addScaled(b[j], coefficients[m][j]);
            }
        }
    };
    for (std::size_t h = 0; h < store_.afterReg.size(); ++h) {
        settle(part.afterReg[h], coefficientsOfB.afterReg[h], store_.afterReg[h]);
    }
    capAfterReg_ = part.capAfterReg;
    for (std::int32_t q = x_ + 1; q < y_; ++q) {
        const auto at = static_cast<std::size_t>(q);
        settle(part.postBig[at], coefficientsOfB.postBig[at], store_.postBig[at]);
    }
    refreshAfterBig(x_ + 1);
}

// The same BIG part when the countdown reaches the ceiling (hand-built models only).
template <typename S>
template <typename V>
inline V AttemptChain<S>::bigsPastCeiling(const std::vector<ModesOf<V>>& afterBig, std::size_t m,
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

// The largest change of the post-BIG values since `before`, and their size, point by point.
template <typename S>
auto AttemptChain<S>::changeFrom(const std::vector<Modes>& before) const
    -> std::array<std::pair<double, double>, points> {
    std::array<LargestSize, points> change{};
    std::array<LargestSize, points> size{};
    size.fill(LargestSize{1.0});
    const std::vector<Modes>& postBig = store_.postBig;
    for (std::size_t q = 0; q < postBig.size(); ++q) {
        for (std::size_t m = 0; m < modes; ++m) {
            postBig[q][m].forEachPartWith(before[q][m], [&](const S& now, const S& was) {
                const S difference = now - was;
                for (std::size_t p = 0; p < points; ++p) {
                    change[p].add(difference, p);
                }
            });
            postBig[q][m].forEachPart([&](const S& now) {
                for (std::size_t p = 0; p < points; ++p) {
                    size[p].add(now, p);
                }
            });
        }
    }
    std::array<std::pair<double, double>, points> changes;
    for (std::size_t p = 0; p < points; ++p) {
        changes[p] = {change[p].largest(), size[p].largest()};
    }
    return changes;
}

// Z_m = value of the BIG countdown's start in mode m, which the BIG countdown layers give
// in terms of Z itself.
template <typename S>
auto AttemptChain<S>::solveBigCountdownStart() const -> std::array<std::array<S, channels>, modes> {
    std::array<std::array<S, channels>, modes> z{};
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
    for (std::size_t channel = 0; channel < channels; ++channel) {
        std::array<S, modes> column{};
        for (std::size_t m = 0; m < modes; ++m) {
            column[m] = next[m].c[channel];
        }
        solveModes(system, column);
        for (std::size_t m = 0; m < modes; ++m) {
            z[m][channel] = column[m];
        }
    }
    return z;
}

// The first BIG pending, from layer cap down to the attempt's start: F(g) with the REG
// countdown of no account, and after a REG Phi(g), which waits Y - X - 1 games (windows
// again) before the REG countdown stops mattering. Each start's value is its mode law over F
// at its layer.
template <typename S>
auto AttemptChain<S>::firstBigPendingStarts(std::span<const AttemptStart> starts)
    -> std::vector<Value> {
    const double r = model_.regProbability;
    const std::int32_t length = y_ - x_ - 1;
    const Modes loopFree = capLoopFree();
    const S leave = divide(S(1), S(1) - ceilingStay_);
    const Modes capPhi = firstCapPhi(loopFree, leave, length);
    // F = (loop-free part + z r mix(Phi)) / (1 - stay) at the cap layer.
    Modes capFirst;
    const Modes capRegTo = regMix(capPhi);
    for (std::size_t m = 0; m < modes; ++m) {
        capFirst[m] = loopFree[m] * leave;
        capFirst[m].addScaled(capRegTo[m], perGame_ * r * leave);
    }
    std::vector<Value> values(starts.size());
    addStartsAt(cap_, capFirst, starts, values);
    if (cap_ > 0) {
        WindowSums<S, Value, modes>* windows =
            length > 0 ? startFirstWindows(length, capRegTo) : nullptr;
        firstPendingDown(capFirst, capPhi, length, windows, starts, values);
    }
    return values;
}

// Adds F at `layer` to the starts found there (those at the cap layer or beyond, for the cap
// layer), each weighed by its mode law.
template <typename S>
void AttemptChain<S>::addStartsAt(std::int32_t layer, const Modes& first,
                                  std::span<const AttemptStart> starts,
                                  std::vector<Value>& values) const {
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (std::min(starts[i].gamesSinceBig, cap_) != layer) {
            continue;
        }
        for (std::size_t m = 0; m < modes; ++m) {
            if (starts[i].modeLaw[m] != 0.0) {
                values[i].addScaled(first[m], starts[i].modeLaw[m]);
            }
        }
    }
}

// The cap layer's F without the REG's loop: reward + z b afterBig0.
template <typename S>
auto AttemptChain<S>::capLoopFree() const -> Modes {
    const S ceilingBig = perGame_ * model_.ceilingBigProbability;
    Modes loopFree;
    for (std::size_t m = 0; m < modes; ++m) {
        loopFree[m] = reward(m, cap_);
        loopFree[m].addScaled(bigToZ_[m], ceilingBig);
    }
    return loopFree;
}

// The cap layer's Phi, which waits `length` games of the cap layer before it becomes F;
// with length > 0 it also fills the storage's firstParts, which the layers below read.
template <typename S>
auto AttemptChain<S>::firstCapPhi(const Modes& loopFree, S leave, std::int32_t length) -> Modes {
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
template <typename S>
WindowSums<S, typename AttemptChain<S>::Value, modeCount>* AttemptChain<S>::startFirstWindows(
    std::int32_t length, const Modes& capRegTo) {
    Modes eTop;
    for (std::size_t m = 0; m < modes; ++m) {
        eTop[m] = capRegTo[m] * (perGame_ * model_.regProbability);
        if (countRewards_) {
            eTop[m] += reward(m, cap_);
        }
    }
    Factors sTop;
    sTop.fill(ceilingStay_);
    WindowSums<S, Value, modes>* windows = &store_.firstWindows;
    windows->restart(length, cap_, eTop, sTop);
    return windows;
}

// F and Phi layer by layer from cap - 1 down to 0, F kept for the `length` layers above
// the current one; each start's value added as its layer passes.
template <typename S>
void AttemptChain<S>::firstPendingDown(Modes& capFirst, Modes phi, std::int32_t length,
                                       WindowSums<S, Value, modes>* windows,
                                       std::span<const AttemptStart> starts,
                                       std::vector<Value>& values) {
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
            if (countRewards_) {
                e[m] += reward(m, h);
            }
            s[m] = stay(m, h);
            here[m] = e[m];
            here[m].addScaled(bigToZ_[m], perGame_ * big);
            here[m].addScaled(above[m], s[m]);
        }
        addStartsAt(h, here, starts, values);
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
}

template <typename S>
inline auto AttemptChain<S>::afterRegAt(std::int32_t h) const -> const Modes& {
    return h >= cap_ ? capAfterReg_ : store_.afterReg[static_cast<std::size_t>(h)];
}

// Blocks of points for the games' generating function at the roots of unity of the cost's
// rounding, in every variant; real values for the expectations and the generating function on
// the real line, in the baseline.
template class AttemptChain<ComplexBlock>;
#if !defined(KORVALE_VECTOR_AVX2) && !defined(KORVALE_VECTOR_AVX512)
template class AttemptChain<double>;
#endif

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
