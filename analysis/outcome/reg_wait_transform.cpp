#include "analysis/outcome/reg_wait_transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <numbers>
#include <vector>

#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/fourier_steps.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/numeric/vector_target.h"
#include "analysis/outcome/rounding_lane.h"
#include "analysis/outcome/theta_blocks.h"
#include "common/parallel_work.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {
namespace {

constexpr std::size_t modes = modeCount;
constexpr std::size_t mostStates = 2 * modeCount;
template <typename V>
using ModeRow = std::array<V, modes>;
template <typename V>
using ModeSquare = std::array<ModeRow<V>, modes>;

// row * matrix over the modes.
template <typename V>
ModeRow<V> times(const ModeRow<V>& row, const ModeSquare<V>& matrix) {
    ModeRow<V> out{};
    for (std::size_t a = 0; a < modes; ++a) {
        for (std::size_t b = 0; b < modes; ++b) {
            out[b] += row[a] * matrix[a][b];
        }
    }
    return out;
}

// The per-point values that sit at one game only (the windows' ends, L games after their REG),
// and the game-by-game matrices.
template <typename V>
struct PointValues {
    V reg;                  // exp(127 coinRate)
    V big;                  // exp(388 coinRate)
    ModeSquare<V> free;     // one game after the first BIG with no REG: stays, or a BIG
    ModeSquare<V> regExit;  // one game's REG, to the mode after it
    std::array<ModeRow<V>, modes> windowEnd{};         // [pre-BIG mode][mode]
    std::array<ModeRow<V>, modes> ceilingWindowEnd{};  // the same for a REG at the ceiling
    std::array<ModeRow<V>, modes> contEnd{};           // [i][mode]: R(i)'s window at its end
    std::vector<ModeRow<V>> psi;  // [REG game - first straddling one][pre-BIG mode]
};

template <typename V>
void setMatrices(const RegWaitJob& job, PointValues<V>& p) {
    const MachineModel& model = *job.model;
    const double r = model.regProbability;
    for (std::size_t a = 0; a < modes; ++a) {
        const double b = model.bigProbability[a];
        for (std::size_t c = 0; c < modes; ++c) {
            p.free[a][c] = (b * model.bigNextMode[a][c] * job.landing[c]) * p.big;
            p.regExit[a][c] = (r * model.regNextMode[a][c]) * p.reg;
        }
        p.free[a][a] += V(1.0 - r - b);
    }
}

// A REG's window with its first BIG unclean (before any other REG, within L - 1 games), from
// pre-BIG mode m, whose BIG chance is `b` until that BIG: its REGs to R lanes, its end kept.
template <typename V, typename Sink>
void uncleanWindow(const RegWaitJob& job, PointValues<V>& p, std::size_t m, double b,
                   std::size_t lane, ModeRow<V>& end, Sink& sink) {
    const std::int32_t l = job.pieces->window;
    const std::vector<int>& states = job.pieces->modes;
    const double stay = 1.0 - job.model->regProbability - b;
    ModeRow<V> landing{};
    for (std::size_t c = 0; c < modes; ++c) {
        landing[c] = (b * job.model->bigNextMode[m][c] * job.landing[c]) * p.big;
    }
    ModeRow<V> v{};
    double pre = 1.0;
    for (std::int32_t s = 1; s <= l; ++s) {
        if (s >= 2) {
            const ModeRow<V> exits = times(v, p.regExit);
            for (std::size_t j = 0; j < states.size(); ++j) {
                sink(lane + j, s, exits[static_cast<std::size_t>(states[j])]);
            }
        }
        v = times(v, p.free);
        if (s < l) {
            for (std::size_t c = 0; c < modes; ++c) {
                v[c] += pre * landing[c];
            }
        }
        pre *= stay;
    }
    end = v;
}

// R(i)'s window: L games from mode states[i] after a REG.
template <typename V, typename Sink>
void regWindow(const RegWaitJob& job, PointValues<V>& p, std::size_t i, Sink& sink) {
    const std::vector<int>& states = job.pieces->modes;
    const std::size_t d = states.size();
    ModeRow<V> v{};
    v[static_cast<std::size_t>(states[i])] = V(1.0);
    for (std::int32_t s = 1; s <= job.pieces->window; ++s) {
        const ModeRow<V> exits = times(v, p.regExit);
        for (std::size_t j = 0; j < d; ++j) {
            sink(job.lanes.cont + i * d + j, s, exits[static_cast<std::size_t>(states[j])]);
        }
        v = times(v, p.free);
    }
    p.contEnd[i] = v;
}

// The REGs before the first BIG whose window straddles the ceiling: their unclean BIGs at or
// after the ceiling have the ceiling's chance, not the mode's. What that changes, per BIG game
// A from the ceiling on: q_m^(C - 1 - tau) (q_c^(A - C) b_c - q_m^(A - C) b_m), carried on as
// a window to its REGs and its end; the windows' own shares are already in the window lanes.
template <typename V, typename Sink>
void straddlingWindows(const RegWaitJob& job, PointValues<V>& p, Sink& sink) {
    const MachineModel& model = *job.model;
    const std::int32_t l = job.pieces->window;
    const std::int32_t c = job.pieces->ceilingGame;
    const std::int32_t base = c - l + 1;  // the first straddling REG game
    if (l < 3 || c < 3) {
        return;  // no REG before the first BIG can straddle the ceiling
    }
    const std::vector<int>& states = job.pieces->modes;
    const std::size_t d = states.size();
    const double r = model.regProbability;
    const double stayCeiling = 1.0 - r - model.ceilingBigProbability;
    for (std::size_t m = 0; m < modes; ++m) {
        const double stay = 1.0 - r - model.bigProbability[m];
        // weight[tau - base] = psi(tau) q_m^(C - 1 - tau); after[x - base] = its sum from x on.
        std::vector<V> weight(static_cast<std::size_t>(l - 2));
        std::vector<V> after(weight.size() + 1);
        for (std::size_t t = weight.size(); t-- > 0;) {
            const auto tau = static_cast<double>(base + static_cast<std::int32_t>(t));
            weight[t] = std::pow(stay, static_cast<double>(c - 1) - tau) * p.psi[t][m];
            after[t] = after[t + 1] + weight[t];
        }
        ModeRow<V> y{};
        double ceilingShare = 1.0;  // q_c^(A - C)
        double modeShare = 1.0;     // q_m^(A - C)
        for (std::int32_t a = c;; ++a) {
            const double h =
                ceilingShare * model.ceilingBigProbability - modeShare * model.bigProbability[m];
            ceilingShare *= stayCeiling;
            modeShare *= stay;
            if (a > c) {
                // Game a after the BIGs before it: its REGs, then (window end) what is left.
                const auto from = static_cast<std::size_t>(a - l - base);
                const ModeRow<V> exits = times(y, p.regExit);
                y = times(y, p.free);
                for (std::size_t j = 0; j < d; ++j) {
                    const auto s = static_cast<std::size_t>(states[j]);
                    sink(job.lanes.first + j, a, after[from] * exits[s]);
                    sink(job.lanes.first + d + j, a, weight[from] * y[s]);
                }
            }
            if (a == c + l - 2) {
                break;  // the next mode's
            }
            for (std::size_t to = 0; to < modes; ++to) {
                y[to] += (h * model.bigNextMode[m][to] * job.landing[to]) * p.big;
            }
        }
    }
}

// The table's events, summed over their REG counts with the coins' phase; the REGs whose
// window straddles the ceiling are kept aside as well.
template <typename V, typename Sink>
void tableEvents(const RegWaitJob& job, const std::vector<V>& regPhase, PointValues<V>& p,
                 Sink& sink) {
    const std::int32_t base = job.pieces->ceilingGame - job.pieces->window + 1;
    const std::int32_t last = job.pieces->ceilingGame - 2;
    p.psi.assign(static_cast<std::size_t>(std::max(job.pieces->window - 2, 0)), ModeRow<V>{});
    for (const RegWaitGroup& g : job.groups) {
        const double* mass = job.masses.data() + g.begin;
        const V* phase = regPhase.data() + g.firstReg;
        V sum{};
        for (std::uint32_t n = 0; n < g.end - g.begin; ++n) {
            sum += mass[n] * phase[n];
        }
        if (g.big) {
            const auto to = g.lane - job.lanes.first - job.lanes.d;
            sum = (job.landing[static_cast<std::size_t>(job.pieces->modes[to])]) * (sum * p.big);
        }
        const std::size_t regLane = g.lane - job.lanes.regs;
        if (g.lane >= job.lanes.regs && regLane < modes && g.games >= base && g.games <= last) {
            p.psi[static_cast<std::size_t>(g.games - base)][regLane] = sum;
        }
        sink(g.lane, g.games, sum);
    }
}

// Every lane's values game by game, handed to `sink(lane, game, value)`, and the values that
// sit at the windows' ends kept in `p`.
template <typename V, typename Sink>
void fillTimeLanes(const RegWaitJob& job, const std::vector<V>& regPhase, PointValues<V>& p,
                   Sink& sink) {
    const MachineModel& model = *job.model;
    const RegWaitLanes& lanes = job.lanes;
    const std::size_t d = lanes.d;
    setMatrices(job, p);
    tableEvents(job, regPhase, p, sink);
    for (std::size_t m = 0; m < modes; ++m) {
        uncleanWindow(job, p, m, model.bigProbability[m], lanes.window + m * d, p.windowEnd[m],
                      sink);
        uncleanWindow(job, p, m, model.ceilingBigProbability, lanes.ceilingWindow + m * d,
                      p.ceilingWindowEnd[m], sink);
    }
    for (std::size_t i = 0; i < d; ++i) {
        regWindow(job, p, i, sink);
        double stay = 1.0;
        const auto mode = static_cast<std::size_t>(job.pieces->modes[i]);
        for (std::int32_t g = 1; g <= job.pieces->bigEnd; ++g) {
            sink(lanes.stretch + i, g, V(stay));
            stay *= 1.0 - model.regProbability - model.bigProbability[mode];
        }
    }
    straddlingWindows(job, p, sink);
}

// init (I - M)^-1 end over R(0..d-1) and B(0..d-1), from one row of lanes at one root: zL and
// zX are z^L and z^X there.
template <typename V>
struct Renewal {
    std::array<std::array<V, mostStates>, mostStates> a{};
    std::array<V, mostStates> init{};
    std::array<V, mostStates> end{};
};

template <typename V>
void assemble(const RegWaitJob& job, const V* row, const PointValues<V>& p, const V& zL,
              const V& zX, Renewal<V>& out) {
    const RegWaitLanes& lanes = job.lanes;
    const MachineModel& model = *job.model;
    const std::vector<int>& states = job.pieces->modes;
    const std::size_t d = lanes.d;
    for (std::size_t j = 0; j < d; ++j) {
        const auto sj = static_cast<std::size_t>(states[j]);
        V toR = row[lanes.first + j];
        V toB{};
        for (std::size_t m = 0; m < modes; ++m) {
            const V& regs = row[lanes.regs + m];
            const V& ceilingRegs = row[lanes.regs + modes + m];
            toR += regs * row[lanes.window + m * d + j] +
                   ceilingRegs * row[lanes.ceilingWindow + m * d + j];
            toB += regs * p.windowEnd[m][sj] + ceilingRegs * p.ceilingWindowEnd[m][sj];
        }
        out.init[j] = toR;
        out.init[d + j] = row[lanes.first + d + j] + zL * toB;
    }
    const double r = model.regProbability;
    for (std::size_t i = 0; i < d; ++i) {
        const auto si = static_cast<std::size_t>(states[i]);
        const V& stretch = row[lanes.stretch + i];
        const double stay = 1.0 - r - model.bigProbability[si];
        for (std::size_t j = 0; j < d; ++j) {
            const auto sj = static_cast<std::size_t>(states[j]);
            out.a[i][j] = V(i == j ? 1.0 : 0.0) - row[lanes.cont + i * d + j];
            out.a[i][d + j] = V(0.0) - zL * p.contEnd[i][sj];
            out.a[d + i][j] = V(0.0) - stretch * p.regExit[si][sj];
            out.a[d + i][d + j] =
                V(i == j ? 1.0 : 0.0) - stretch * ((model.bigProbability[si] *
                                                    model.bigNextMode[si][sj] * job.landing[sj]) *
                                                   p.big);
        }
        out.end[i] = V(0.0);
        out.end[d + i] = job.pieces->bigEnd == 0
                             ? V(1.0)
                             : std::pow(stay, static_cast<double>(job.pieces->bigEnd)) * zX;
    }
}

template <typename V>
V renewalValue(Renewal<V>& n, std::size_t states) {
    solveDominantInPlace(n.a, n.end, states);
    V value{};
    for (std::size_t s = 0; s < states; ++s) {
        value += n.init[s] * n.end[s];
    }
    return value;
}

struct BlockTables {
    std::vector<ComplexBlock> data;  // data[j * width + lane]
    std::vector<ComplexBlock> scratch;
    std::vector<ComplexBlock> gamePhase;
    std::vector<ComplexBlock> regPhase;
    std::vector<ComplexBlock> costPhase;
    std::vector<std::complex<double>> rootL;  // w^(kL), w^(kX) at each root k
    std::vector<std::complex<double>> rootX;

    explicit BlockTables(const RegWaitJob& job)
        : data(job.rounding.period * job.lanes.width),
          gamePhase(static_cast<std::size_t>(job.longestTime) + 1),
          regPhase(static_cast<std::size_t>(job.pieces->mostRegs) + 1),
          costPhase(static_cast<std::size_t>(job.rounding.roundedCost.back()) + 1) {
        const double turn = 2.0 * std::numbers::pi / static_cast<double>(job.rounding.period);
        for (std::size_t k = 0; k < job.rounding.period; ++k) {
            const auto kk = static_cast<double>(k);
            rootL.push_back(std::polar(1.0, turn * kk * job.pieces->window));
            rootX.push_back(std::polar(1.0, turn * kk * job.pieces->bigEnd));
        }
    }
};

ComplexBlock blockValue(const RegWaitJob& job, const FourierTransform& overPhase,
                        const RealBlock& theta, BlockTables& t) {
    const std::size_t period = job.rounding.period;
    const std::size_t width = job.lanes.width;
    const ComplexBlock coinRate(RealBlock{} - job.tilt, theta);
    const ComplexBlock gameRate = (-job.rounding.nc / static_cast<double>(period)) * coinRate;
    fillPowers(t.gamePhase, gameRate);
    fillPowers(t.regPhase, coinsPerReg * coinRate);
    for (ComplexBlock& x : t.data) {
        x = ComplexBlock();
    }
    PointValues<ComplexBlock> p;
    p.reg = expBlock(coinRate, coinsPerReg);
    p.big = expBlock(coinRate, coinsPerBig);
    auto sink = [&](std::size_t lane, std::int32_t game, const ComplexBlock& value) {
        const auto g = static_cast<std::size_t>(game);
        t.data[g % period * width + lane] += value * t.gamePhase[g];
    };
    fillTimeLanes(job, t.regPhase, p, sink);
    fillRoundingLane(job.rounding, coinRate, t.gamePhase, t.costPhase, t.data.data(), width,
                     job.lanes.rounding);
    transformBlocks(overPhase, t.data, t.scratch, +1);
    const ComplexBlock zL0 = expBlock(gameRate, job.pieces->window);
    const ComplexBlock zX0 = expBlock(gameRate, job.pieces->bigEnd);
    ComplexBlock sum;
    Renewal<ComplexBlock> n;
    for (std::size_t k = 0; k < period; ++k) {
        const ComplexBlock* row = t.data.data() + k * width;
        assemble(job, row, p, multiply(zL0, t.rootL[k]), multiply(zX0, t.rootX[k]), n);
        sum += renewalValue(n, 2 * job.lanes.d) * row[job.lanes.rounding];
    }
    return sum;
}

}  // namespace

void runRegWaitTransform(RegWaitJob& job, unsigned /*worker*/) {
    const FourierTransform overPhase(job.rounding.period, job.lanes.width);
    BlockTables tables(job);
    runThetaBlocks(
        job.length, job.nextBlock, job.cancel, *job.transform,
        [&](const RealBlock& theta) { return blockValue(job, overPhase, theta, tables); }, [] {});
}

double regWaitRealTransform(const RegWaitJob& job, double coinRate, double gameRate) {
    std::vector<double> regPhase(static_cast<std::size_t>(job.pieces->mostRegs) + 1);
    for (std::size_t k = 0; k < regPhase.size(); ++k) {
        regPhase[k] = std::exp(coinRate * coinsPerReg * static_cast<double>(k));
    }
    std::vector<double> row(job.lanes.width, 0.0);
    PointValues<double> p;
    p.reg = std::exp(coinsPerReg * coinRate);
    p.big = std::exp(coinsPerBig * coinRate);
    auto sink = [&](std::size_t lane, std::int32_t game, double value) {
        row[lane] += value * std::exp(gameRate * static_cast<double>(game));
    };
    fillTimeLanes(job, regPhase, p, sink);
    Renewal<double> n;
    const double zL = std::exp(gameRate * job.pieces->window);
    const double zX = std::exp(gameRate * job.pieces->bigEnd);
    const std::size_t states = 2 * job.lanes.d;
    // (I - M)^-1 must be non-negative and finite: else the renewal does not converge here.
    for (std::size_t j = 0; j < states; ++j) {
        assemble(job, row.data(), p, zL, zX, n);
        n.end.fill(0.0);
        n.end[j] = 1.0;
        solveDominantInPlace(n.a, n.end, states);
        for (std::size_t s = 0; s < states; ++s) {
            if (!std::isfinite(n.end[s]) || n.end[s] < -1e-12) {
                return std::numeric_limits<double>::infinity();
            }
        }
    }
    assemble(job, row.data(), p, zL, zX, n);
    const double value = renewalValue(n, states);
    return std::isfinite(value) && value > 0.0 ? value : std::numeric_limits<double>::infinity();
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
