#pragma once

// The attempt as an absorbing Markov chain, solved backwards over the games since the last
// BIG. Used through attempt.h; a template so that the same pass gives expectations (real
// values, a reward per game) and the generating function E[z^games] (real z, or a block of
// complex z side by side, complex_block.h), defined in attempt_chain.cpp for those kinds of S.
// Vector code (analysis/numeric/vector_target.h): the blocks' solves are built once per
// variant (attempt_roots.h runs them), the real ones in the baseline only.
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
//     over the window comes from running sums, a layer at a time (window_sums.h);
//   - "first BIG pending" states: (mode, g = games so far, q); q matters only if it can
//     outlast the BIG countdown that the first BIG starts (q >= X + 2), else it is 0; the
//     same windows again.
// A BIG goes to layer 0: to the BIG countdown of the next mode (six unknowns Z, carried
// symbolically as coefficients, affine_value.h) or, when the REG countdown outlasts X, to a
// REG countdown state U(mode, q) of layer 0. U follows from the layers above in one sweep up
// the countdown; the layers above depend on U in turn (a BIG during a REG countdown). A whole
// REG countdown below the ceiling sees U only through six sums B(mode), the BIG part of its
// Y games, so B is carried as six more unknowns and solved for after each sweep; only the
// few layers whose countdown reaches the ceiling see U otherwise, and the sweeps are
// repeated until U settles, which that little coupling makes quick. From games since BIG
// >= max(X, ceiling - 1) on every layer is the same (the cap layer), solved directly.
//
// The first BIG pending depends only on the mode, the layer and q, so the descent through its
// layers also gives a machine found G games after its last BIG: its value is the mode's law
// over the first BIG pending states of layer G (the cap layer's from there on) with q = 0,
// and one descent gives any number of such starts. After the first BIG nothing depends on
// where the attempt began.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "analysis/numeric/affine_value.h"
#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/vector_target.h"
#include "analysis/numeric/window_sums.h"
#include "common/status.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

// How many points a value of the solve holds side by side.
template <typename S>
inline constexpr std::size_t pointCount = 1;
template <>
inline constexpr std::size_t pointCount<ComplexBlock> = complexBlockSize;

// S is double, or a block of complex points (complex_block.h): one solve for each point, side
// by side, each settling when it alone would and rounding as it alone would.
template <typename S>
class AttemptChain {
    static constexpr std::size_t modes = modeCount;
    static constexpr std::size_t points = pointCount<S>;
    using PointMask = std::array<bool, points>;
    // Real values carry the expectations' two channels; blocks only the generating function.
    static constexpr std::size_t channels = points == 1 ? 2 : 1;

  public:
    using Value = AffineValue<S, modes, channels>;

  private:
    using Modes = std::array<Value, modes>;
    using Factors = std::array<S, modes>;
    using Matrix = std::array<std::array<S, modes>, modes>;
    // A value that also carries the six B_m: the BIG part of a whole REG countdown of Y games
    // before the ceiling, in mode m (k[modes + m]).
    using Wide = AffineValue<S, 2 * modes, channels>;
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
    // The BIG part of windows over the top `length` rows of afterBig (q = Y-1 down to
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
    // What a solve works in. The solves of one thread may share one, which saves asking for
    // memory anew each time (as costly as the arithmetic).
    struct Storage {
        std::vector<Factors> stayPowers;  // [i][m] = stay[m]^i, i <= Y
        std::vector<Modes> afterBig;      // [q][mode], q < Y
        std::vector<Modes> postBig;       // REG countdown states of layer 0 [q][mode]
        std::vector<Modes> afterReg;      // values right after a REG [layer][mode], low layers
        std::vector<Modes> before;        // postBig as the pass before left it
        BigParts regParts;
        BigParts firstParts;
        PassValues<Value> part;  // a pass's values without B
        PassValues<Wide> wide;
        BCoefficients b;
        WindowSums<S, Value, modes> windows;
        WindowSums<S, Wide, modes> wideWindows;
        WindowSums<S, Value, modes> firstWindows;
        std::vector<Modes> kept;
        // The values of the points that settled before the others.
        std::vector<Modes> keptAfterReg;
        std::vector<Modes> keptAfterBig;
        Modes keptCapAfterReg{};
    };

    // bigEndGames X >= 0 and regEndGames Y >= 0 as whole games. Each game multiplies the
    // future by `perGame` and, with `countRewards`, adds 1 to channel 0 and its BIG chance to
    // channel 1; the end is worth `atEnd` in channel 0. Setting `*cancel` stops the solve
    // (WorkCancelled). Without a `storage` the chain has its own.
    AttemptChain(const MachineModel& model, std::int32_t bigEndGames, std::int32_t regEndGames,
                 S perGame, S atEnd, bool countRewards, const std::atomic<bool>* cancel = nullptr,
                 Storage* storage = nullptr);

    // The two channels at the start of an attempt (mode 0, nothing played). A real solve
    // beyond the radius of convergence of E[z^games] gives infinity; a complex one that does
    // not settle throws StatusError (NoSolution).
    std::array<S, 2> solve();
    // The same at each start, in their order, from one pass.
    std::vector<std::array<S, 2>> solve(std::span<const AttemptStart> starts);

  private:
    // Ten more digits than the figures need.
    static constexpr double passTolerance = 1e-15;
    static constexpr int maxPasses = 10000;
    static constexpr int maxGrowingPasses = 30;

    template <typename V>
    static V lift(const Value& value);
    double bigChance(std::size_t m, std::int32_t g) const;
    S stay(std::size_t m, std::int32_t g) const;
    template <typename V = Value>
    V reward(std::size_t m, std::int32_t g) const;
    template <typename Lookup>
    auto bigMix(std::size_t m, Lookup lookup) const;
    template <typename V>
    ModesOf<V> regMix(const ModesOf<V>& values) const;
    template <typename V>
    ModesOf<V> solveRegLoop(S factor, ModesOf<V> rhs) const;
    static std::pair<S, S> geometric(S stay, std::int32_t n);

    // The passes over the REG countdowns.
    void refreshAfterBig(std::int32_t from);
    void refreshAfterBigAt(std::int32_t q);
    void fillBigParts(BigParts& parts, std::int32_t length, std::int32_t lowestRow);
    Value bigPart(const BigParts& parts, std::size_t m, std::int32_t h, std::int32_t length) const;
    template <typename V>
    void fillRegCountdowns(std::vector<ModesOf<V>>& afterReg, ModesOf<V>& capAfterReg, bool bApart);
    template <typename V>
    void fillPostBig(PassValues<V>& pass);
    template <typename V>
    void preparePass(PassValues<V>& pass) const;
    void firstPass();
    void settlePass();
    template <typename V>
    V bigsPastCeiling(const std::vector<ModesOf<V>>& afterBig, std::size_t m, std::int32_t q) const;
    std::array<std::pair<double, double>, points> changeFrom(
        const std::vector<Modes>& before) const;
    Status settleCountdowns();
    void jumpAhead(const std::vector<Modes>& before, const std::array<double, points>& jumps);
    void keepPoints(const PointMask& which);
    void restorePoints(const PointMask& which);
    static void copyValuePoint(const Value& from, Value& to, std::size_t p);
    static void copyModesPoint(const std::vector<Modes>& from, std::vector<Modes>& to,
                               std::size_t p);

    // The BIG countdown and the first BIG.
    std::array<std::array<S, channels>, modes> solveBigCountdownStart() const;
    std::vector<Value> firstBigPendingStarts(std::span<const AttemptStart> starts);
    Modes capLoopFree() const;
    Modes firstCapPhi(const Modes& loopFree, S leave, std::int32_t length);
    WindowSums<S, Value, modes>* startFirstWindows(std::int32_t length, const Modes& capRegTo);
    void firstPendingDown(Modes& capFirst, Modes phi, std::int32_t length,
                          WindowSums<S, Value, modes>* windows,
                          std::span<const AttemptStart> starts, std::vector<Value>& values);
    void addStartsAt(std::int32_t layer, const Modes& first, std::span<const AttemptStart> starts,
                     std::vector<Value>& values) const;
    const Modes& afterRegAt(std::int32_t h) const;

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
    Modes capAfterReg_{};  // the values right after a REG from the cap layer on
    std::unique_ptr<Storage> ownStorage_;
    Storage& store_;
};

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
