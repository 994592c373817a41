#include "analysis/outcome/outcome_law.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <thread>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/outcome/attempt_segments.h"
#include "analysis/outcome/first_piece_transform.h"
#include "common/parallel_work.h"
#include "common/runtime_error.h"

namespace korvale {

double IntegerLaw::at(std::int64_t value) const {
    const std::int64_t i = value - first;
    return i >= 0 && i < static_cast<std::int64_t>(chance.size())
               ? chance[static_cast<std::size_t>(i)]
               : 0.0;
}

double IntegerLaw::atLeast(std::int64_t value) const {
    double sum = 0.0;
    const std::int64_t from = std::max<std::int64_t>(value - first, 0);
    for (auto i = static_cast<std::size_t>(from); i < chance.size(); ++i) {
        sum += chance[i];
    }
    return sum;
}

double IntegerLaw::mean() const {
    double sum = 0.0;
    for (std::size_t i = 0; i < chance.size(); ++i) {
        sum += chance[i] * static_cast<double>(first + static_cast<std::int64_t>(i));
    }
    return sum;
}

std::int64_t IntegerLaw::quantile(double q) const {
    double sum = 0.0;
    for (std::size_t i = 0; i < chance.size(); ++i) {
        sum += chance[i];
        if (sum >= q) {
            return first + static_cast<std::int64_t>(i);
        }
    }
    return first + static_cast<std::int64_t>(chance.size()) - 1;
}

namespace {

// The chance left outside the tables, on each side of each table.
constexpr double outsideTarget = 1e-10;
// The net's transform is taken of the law tilted by exp(-s net), with s set so that the tilt
// falls by `damping` across the table. The chance beyond the right end, which the transform
// folds back onto the table, comes back damped by that much; so the right end can sit where a
// Chernoff bound leaves rightEdgeTarget. That bound overstates the right tail (runs of BIGs)
// by a factor of a hundred or more, so the chance actually beyond the end stays near
// outsideTarget; it is measured, as the chance the table is short of 1. The fold from beyond
// the left end grows by the same factor, so that end is set where the bound leaves
// outsideTarget * damping.
constexpr double damping = 1e-2;
constexpr double rightEdgeTarget = 1e-8;
// The longest table the law builds.
constexpr std::size_t largestTable = std::size_t{1} << 21;

// init^T (I - S)^-1 end for d modes. Every row of S adds up in size to at most the chance that
// a piece ends with a BIG, below 1, so I - S is diagonally dominant by rows.
template <typename Value>
Value renewalValue(std::size_t d, const Value* init, const Value* step, const Value* end) {
    std::array<std::array<Value, modeCount>, modeCount> a{};
    std::array<Value, modeCount> x{};
    for (std::size_t i = 0; i < d; ++i) {
        for (std::size_t j = 0; j < d; ++j) {
            a[i][j] = (i == j ? Value(1) : Value(0)) - step[i * d + j];
        }
        x[i] = end[i];
    }
    solveDominantInPlace(a, x, d);
    Value result(0);
    for (std::size_t c = d; c-- > 0;) {
        result += init[c] * x[c];
    }
    return result;
}

// Every entry of every piece in one list, each with its lane in the transforms: the first
// pieces, then [from][to] of the later ones, then the ends.
struct Lanes {
    std::size_t d = 0;
    std::size_t count = 0;
    struct Entry {
        std::int32_t games;
        std::int32_t regs;
        std::int32_t lane;
        bool big;
        double mass;
    };
    std::vector<Entry> entries;
    std::vector<double> totals;  // total mass per lane
    std::int32_t longestGames = 0;
    std::int32_t mostRegs = 0;

    explicit Lanes(const AttemptSegments& s) : d(s.postBigModes.size()) {
        count = d + d * d + d;
        totals.assign(count, 0.0);
        auto add = [&](const SegmentKernel& kernel, std::size_t lane, bool big) {
            for (const SegmentEntry& e : kernel) {
                entries.push_back({e.games, e.regs, static_cast<std::int32_t>(lane), big, e.mass});
                totals[lane] += e.mass;
                longestGames = std::max(longestGames, e.games);
                mostRegs = std::max(mostRegs, e.regs);
            }
        };
        for (std::size_t to = 0; to < d; ++to) {
            add(s.first[to], to, true);
        }
        for (std::size_t from = 0; from < d; ++from) {
            for (std::size_t to = 0; to < d; ++to) {
                add(s.next[from][to], d + from * d + to, true);
            }
            add(s.end[from], d + d * d + from, false);
        }
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.games < b.games; });
    }
    std::size_t firstLane() const { return 0; }
    std::size_t stepLane() const { return d; }
    std::size_t endLane() const { return d + d * d; }
};

// E[exp(coinRate * (388 BIG + 127 REG) + gameRate * games)] from the pieces with real weights,
// or infinity where that is not finite (the renewal's matrix then has spectral radius >= 1,
// which shows as an inverse with a negative or non-finite entry).
double realTransform(const Lanes& lanes, double coinRate, double gameRate) {
    std::vector<double> gameWeight(static_cast<std::size_t>(lanes.longestGames) + 1);
    for (std::size_t n = 0; n < gameWeight.size(); ++n) {
        gameWeight[n] = std::exp(gameRate * static_cast<double>(n));
    }
    std::vector<double> regWeight(static_cast<std::size_t>(lanes.mostRegs) + 1);
    for (std::size_t r = 0; r < regWeight.size(); ++r) {
        regWeight[r] = std::exp(coinRate * coinsPerReg * static_cast<double>(r));
    }
    const double bigWeight = std::exp(coinRate * coinsPerBig);
    std::vector<double> value(lanes.count, 0.0);
    for (const Lanes::Entry& e : lanes.entries) {
        value[static_cast<std::size_t>(e.lane)] +=
            e.mass * gameWeight[static_cast<std::size_t>(e.games)] *
            regWeight[static_cast<std::size_t>(e.regs)] * (e.big ? bigWeight : 1.0);
    }
    const std::size_t d = lanes.d;
    // (I - S)^-1 column by column must be non-negative and finite.
    for (std::size_t j = 0; j < d; ++j) {
        std::vector<double> unit(d, 0.0);
        unit[j] = 1.0;
        for (std::size_t i = 0; i < d; ++i) {
            std::vector<double> row(d, 0.0);
            row[i] = 1.0;
            // e_i^T (I - S)^-1 e_j
            const double entry =
                renewalValue<double>(d, row.data(), value.data() + lanes.stepLane(), unit.data());
            if (!std::isfinite(entry) || entry < -1e-12) {
                return std::numeric_limits<double>::infinity();
            }
        }
    }
    const double result =
        renewalValue<double>(d, value.data() + lanes.firstLane(), value.data() + lanes.stepLane(),
                             value.data() + lanes.endLane());
    return std::isfinite(result) && result > 0.0 ? result : std::numeric_limits<double>::infinity();
}

// The smallest x with P(X >= x) <= target by Chernoff, P(X >= x) <= E[exp(b X)] exp(-b x),
// for X = coinSign * (K - c G) (net side, coinSign = +-1) or X = G (games side), over a
// ladder of rates b. `transform(b)` gives E[exp(b X)].
template <typename Transform>
double chernoffEdge(Transform transform, double target, double firstRate) {
    // Climb until the transform is infinite, then use a fine ladder below that.
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

double chernoffBound(const Lanes& lanes, double gameRate, std::int64_t games) {
    double best = 1.0;
    for (int k = 1; k <= 64; ++k) {
        const double rate = gameRate * k / 16.0;
        const double value = realTransform(lanes, 0.0, rate);
        if (!std::isfinite(value)) {
            break;
        }
        best = std::min(best, value * std::exp(-rate * static_cast<double>(games)));
    }
    return best;
}

// Entries of one lane and one game count share the game's phase (and the BIG's coins): their
// REG counts run through a short range, so each group's REG phases are summed first from one
// table, with the masses of the counts in the range in a row (zeros where a count has no
// entry), then multiplied by the game's phase once. The first piece comes in closed form
// instead, so only the later pieces and the ends are grouped.
struct PhaseGroups {
    struct Group {
        std::size_t residue;
        std::size_t lane;
        std::int32_t games;
        bool big;
        std::int32_t firstReg;
        std::uint32_t begin;
        std::uint32_t end;
    };
    std::vector<Group> groups;
    std::vector<double> masses;

    PhaseGroups(const Lanes& lanes, std::size_t period) {
        std::vector<Lanes::Entry> sorted;
        for (const Lanes::Entry& e : lanes.entries) {
            if (static_cast<std::size_t>(e.lane) >= lanes.stepLane()) {
                sorted.push_back(e);
            }
        }
        std::sort(sorted.begin(), sorted.end(), [](const Lanes::Entry& a, const Lanes::Entry& b) {
            return a.lane != b.lane     ? a.lane < b.lane
                   : a.games != b.games ? a.games < b.games
                                        : a.regs < b.regs;
        });
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            const Lanes::Entry& e = sorted[i];
            if (i == 0 || e.lane != sorted[i - 1].lane || e.games != sorted[i - 1].games) {
                const auto at = static_cast<std::uint32_t>(masses.size());
                groups.push_back({static_cast<std::size_t>(e.games) % period,
                                  static_cast<std::size_t>(e.lane), e.games, e.big, e.regs, at,
                                  at});
            }
            Group& group = groups.back();
            masses.resize(group.begin + static_cast<std::size_t>(e.regs - group.firstReg) + 1, 0.0);
            masses.back() += e.mass;
            group.end = static_cast<std::uint32_t>(masses.size());
        }
    }
};

// round(c j) for j = 0 .. P-1, whole numbers that grow with j.
std::vector<std::int64_t> roundedCosts(const PeriodicCost& cost, double nc, std::size_t period) {
    std::vector<std::int64_t> roundedCost(period);
    for (std::size_t j = 0; j < period; ++j) {
        roundedCost[j] = std::llround(cost.excess[j] +
                                      nc * static_cast<double>(j) / static_cast<double>(period));
    }
    return roundedCost;
}

// table[n] = exp(rate n): powers by recurrence, renewed from the exact value every 64 steps.
void fillPowers(std::vector<ComplexBlock>& table, const ComplexBlock& rate) {
    const ComplexBlock step = expBlock(rate, 1.0);
    for (std::size_t n = 0; n < table.size(); ++n) {
        table[n] = n % 64 == 0 ? expBlock(rate, static_cast<double>(n)) : table[n - 1] * step;
    }
}

// What every worker of the net's transform reads.
struct NetInputs {
    const Lanes& lanes;
    const FirstPieceTransform& firstPiece;
    const PhaseGroups& groups;
    const std::vector<std::int64_t>& roundedCost;
    const FourierTransform& overPhase;  // over the residues, every lane at once
    std::size_t period;
    std::size_t width;  // lanes.count + 1: the last lane carries the rounding's part
    double nc;
    double tilt;
    std::size_t length;
    std::size_t roundingLane() const { return width - 1; }
};

// One worker's tables, and the net's tilted transform for one block of thetas. data[j * width +
// lane] holds the lane at residue j for every theta of the block.
class NetBlockSums {
  public:
    explicit NetBlockSums(const NetInputs& in)
        : in_(in),
          data_(in.period * in.width),
          costPhase_(static_cast<std::size_t>(in.roundedCost.back()) + 1),
          gamePhase_(std::max(static_cast<std::size_t>(in.lanes.longestGames), in.period) + 1),
          bigGamePhase_(gamePhase_.size()),
          regPhase_(static_cast<std::size_t>(in.lanes.mostRegs) + 1) {}

    // The transform at theta = 2 pi (a0 + b) / length for every b of the block.
    ComplexBlock at(std::size_t a0) {
        RealBlock theta;
        for (std::size_t b = 0; b < complexBlockSize; ++b) {
            theta[b] = 2.0 * std::numbers::pi * static_cast<double>(a0 + b) /
                       static_cast<double>(in_.length);
        }
        // exp(coinRate x) weighs x coins, exp(gameRate g) the g games' share of the cost.
        const ComplexBlock coinRate(RealBlock{} - in_.tilt, theta);
        const ComplexBlock gameRate = (-in_.nc / static_cast<double>(in_.period)) * coinRate;
        fillPhases(coinRate, gameRate);
        std::fill(data_.begin(), data_.end(), ComplexBlock());
        addGroups();
        in_.firstPiece.add(coinRate, gameRate, data_.data() + in_.lanes.firstLane(), in_.width);
        addRounding(coinRate);
        in_.overPhase.transform(data_, scratch_, +1);
        return renewalSum();
    }

  private:
    void fillPhases(const ComplexBlock& coinRate, const ComplexBlock& gameRate) {
        fillPowers(gamePhase_, gameRate);
        fillPowers(regPhase_, coinsPerReg * coinRate);
        const ComplexBlock bigPhase = expBlock(coinRate, coinsPerBig);
        for (std::size_t n = 0; n < gamePhase_.size(); ++n) {
            bigGamePhase_[n] = gamePhase_[n] * bigPhase;
        }
    }

    // The later pieces and the ends, group by group.
    void addGroups() {
        const std::size_t width = in_.width;
        ComplexBlock* data = data_.data();
        const ComplexBlock* regPhase = regPhase_.data();
        const ComplexBlock* gamePhase = gamePhase_.data();
        const ComplexBlock* bigGamePhase = bigGamePhase_.data();
        const double* masses = in_.groups.masses.data();
        for (const PhaseGroups::Group& g : in_.groups.groups) {
            const double* mass = masses + g.begin;
            const ComplexBlock* phase = regPhase + g.firstReg;
            ComplexBlock sum;
            for (std::uint32_t n = 0; n < g.end - g.begin; ++n) {
                sum.re += mass[n] * phase[n].re;
                sum.im += mass[n] * phase[n].im;
            }
            const auto games = static_cast<std::size_t>(g.games);
            sum = sum * (g.big ? bigGamePhase[games] : gamePhase[games]);
            data[g.residue * width + g.lane] += sum;
        }
    }

    // h(j) = exp(-coinRate excess(j)), entered at -j so that the same transform gives its
    // coefficients on w^-k; excess(j) = round(c j) - (Nc / P) j.
    void addRounding(const ComplexBlock& coinRate) {
        const std::size_t period = in_.period;
        fillPowers(costPhase_, -1.0 * coinRate);
        for (std::size_t j = 0; j < period; ++j) {
            data_[(period - j) % period * in_.width + in_.roundingLane()] =
                (1.0 / static_cast<double>(period)) *
                (costPhase_[static_cast<std::size_t>(in_.roundedCost[j])] *
                 reciprocal(gamePhase_[j]));
        }
    }

    // Sum over the residues k of the renewal's value times the rounding's part.
    ComplexBlock renewalSum() const {
        const Lanes& lanes = in_.lanes;
        ComplexBlock sum;
        for (std::size_t k = 0; k < in_.period; ++k) {
            const ComplexBlock* row = data_.data() + k * in_.width;
            const ComplexBlock value = renewalValue<ComplexBlock>(
                lanes.d, row + lanes.firstLane(), row + lanes.stepLane(), row + lanes.endLane());
            sum += value * row[in_.roundingLane()];
        }
        return sum;
    }

    const NetInputs& in_;
    std::vector<ComplexBlock> data_;
    std::vector<ComplexBlock> scratch_;
    std::vector<ComplexBlock> costPhase_;
    std::vector<ComplexBlock> gamePhase_;
    std::vector<ComplexBlock> bigGamePhase_;
    std::vector<ComplexBlock> regPhase_;
};

// Writes a block's values to transform[a0 ..] up to lastA, and their conjugates at length - a.
void storeBlock(std::vector<Complex>& transform, const ComplexBlock& sum, std::size_t a0,
                std::size_t lastA) {
    const std::size_t length = transform.size();
    for (std::size_t b = 0; b < complexBlockSize && a0 + b <= lastA; ++b) {
        const std::size_t a = a0 + b;
        transform[a] = Complex(sum.re[b], sum.im[b]);
        if (a > 0 && a < length - a) {
            transform[length - a] = std::conj(transform[a]);
        }
    }
}

// The law from its tilted transform: chance(low + i) exp(-tilt (low + i)) = (1/length) sum_a
// transform[a] exp(-i theta_a (low + i)). `arithmetic` gets the imaginary parts left over.
IntegerLaw untiltedLaw(std::vector<Complex>& transform, std::int64_t low, double tilt,
                       double& arithmetic) {
    const std::size_t length = transform.size();
    for (std::size_t a = 0; a < length; ++a) {
        const double shift = -2.0 * std::numbers::pi *
                             static_cast<double>((static_cast<std::int64_t>(a) * low) %
                                                 static_cast<std::int64_t>(length)) /
                             static_cast<double>(length);
        transform[a] = multiply(transform[a], std::polar(1.0, shift));
    }
    FourierTransform(length, 1).transform(transform, -1);
    IntegerLaw law;
    law.first = low;
    law.chance.resize(length);
    arithmetic = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double untilt =
            std::exp(tilt * static_cast<double>(low + static_cast<std::int64_t>(i))) /
            static_cast<double>(length);
        law.chance[i] = transform[i].real() * untilt;
        arithmetic += std::abs(transform[i].imag()) * untilt;
    }
    return law;
}

// The net's law: the transform of the law tilted by exp(-tilt net) at theta = 2 pi a / length
// for a = 0 .. length/2, from the P values k of E[exp(coinRate K) (exp(gameRate) w^k)^G] with
// coinRate = i theta - tilt, gameRate = -coinRate Nc / P and w = exp(2 pi i / P).
IntegerLaw netLaw(const Lanes& lanes, const FirstPieceTransform& firstPiece,
                  const PeriodicCost& cost, std::int64_t low, std::size_t length, double tilt,
                  unsigned threads, const std::atomic<bool>* cancel, const LawProgress& progress,
                  double& arithmetic) {
    const auto period = static_cast<std::size_t>(cost.period);
    const std::size_t width = lanes.count + 1;
    const double nc = static_cast<double>(cost.thousandths * cost.period / 1000);
    const PhaseGroups groups(lanes, period);
    const std::vector<std::int64_t> roundedCost = roundedCosts(cost, nc, period);
    std::vector<Complex> transform(length, 0.0);
    // Blocks of thetas, shared out among the threads; each writes only its own.
    constexpr std::size_t block = complexBlockSize;
    const std::size_t lastA = length / 2;
    const FourierTransform overPhase(period, width);
    const NetInputs inputs{lanes,  firstPiece, groups, roundedCost, overPhase,
                           period, width,      nc,     tilt,        length};
    std::atomic<std::size_t> nextBlock{0};
    std::atomic<std::size_t> blocksDone{0};
    const std::size_t blocks = lastA / block + 1;
    // Progress is told on the caller's thread alone (worker 0), one call at a time.
    auto work = [&](unsigned worker) {
        NetBlockSums sums(inputs);
        for (std::size_t a0 = nextBlock++ * block; a0 <= lastA; a0 = nextBlock++ * block) {
            if ((cancel != nullptr && cancel->load(std::memory_order_relaxed)) || workStopped()) {
                return;
            }
            storeBlock(transform, sums.at(a0), a0, lastA);
            const std::size_t done = ++blocksDone;
            if (progress && worker == 0) {
                progress(static_cast<double>(done) / static_cast<double>(blocks));
            }
        }
    };
    runSideBySide(threads, work);
    if (cancel != nullptr && cancel->load()) {
        throw OutcomeLawCancelled();
    }
    if (progress) {
        progress(1.0);
    }
    return untiltedLaw(transform, low, tilt, arithmetic);
}

// The games' law from the transform over games alone at the length-th roots of unity.
IntegerLaw gamesLaw(const Lanes& lanes, std::size_t length, double& arithmetic) {
    const std::size_t width = lanes.count;
    std::vector<Complex> data(length * width, 0.0);
    for (const Lanes::Entry& e : lanes.entries) {
        data[static_cast<std::size_t>(e.games) % length * width +
             static_cast<std::size_t>(e.lane)] += e.mass;
    }
    FourierTransform(length, width).transform(data, +1);
    std::vector<Complex> values(length);
    for (std::size_t b = 0; b < length; ++b) {
        const Complex* row = data.data() + b * width;
        values[b] = renewalValue<Complex>(lanes.d, row + lanes.firstLane(), row + lanes.stepLane(),
                                          row + lanes.endLane());
    }
    FourierTransform(length, 1).transform(values, -1);
    IntegerLaw law;
    law.chance.resize(length);
    arithmetic = 0.0;
    for (std::size_t t = 0; t < length; ++t) {
        law.chance[t] = values[t].real() / static_cast<double>(length);
        arithmetic += std::abs(values[t].imag()) / static_cast<double>(length);
    }
    return law;
}

// The BIG count's law: the chance of reaching each BIG, mode by mode, times the chance that
// the attempt ends before the next one.
IntegerLaw bigsLaw(const Lanes& lanes, double& leftOver) {
    const std::size_t d = lanes.d;
    std::vector<double> reach(lanes.totals.begin(), lanes.totals.begin() + d);
    IntegerLaw law;
    law.first = 0;
    law.chance.push_back(0.0);
    for (int bigs = 1;; ++bigs) {
        double ending = 0.0;
        double still = 0.0;
        std::vector<double> next(d, 0.0);
        for (std::size_t from = 0; from < d; ++from) {
            ending += reach[from] * lanes.totals[lanes.endLane() + from];
            for (std::size_t to = 0; to < d; ++to) {
                next[to] += reach[from] * lanes.totals[lanes.stepLane() + from * d + to];
            }
        }
        law.chance.push_back(ending);
        for (const double w : next) {
            still += w;
        }
        reach.swap(next);
        if (still < 1e-18 || bigs >= 10000000) {
            leftOver = still;
            return law;
        }
    }
}

}  // namespace

void requireOutcomeLawCovers(EndConditions end) {
    const WholeGames games = wholeGames(end);
    if (games.reg > games.big + 1) {
        throw RuntimeError(ErrorKind::LawNotCovered,
                           "the outcome law does not cover these end conditions");
    }
}

bool outcomeLawCovers(EndConditions end) {
    try {
        requireOutcomeLawCovers(end);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

OutcomeLaw solveOutcomeLaw(std::int32_t setting, EndConditions end, unsigned threads,
                           const std::atomic<bool>* cancel, const LawProgress& progress) {
    OutcomeLaw law = solveOutcomeLaw(machineModel(setting), end, threads, cancel, progress);
    law.setting = setting;
    return law;
}

OutcomeLaw solveOutcomeLaw(const MachineModel& model, EndConditions end, unsigned threads,
                           const std::atomic<bool>* cancel, const LawProgress& progress) {
    requireOutcomeLawCovers(end);
    if (threads == 0) {
        threads = std::max(1U, std::thread::hardware_concurrency());
    }
    const WholeGames games = wholeGames(end);
    const AttemptSegments segments =
        attemptSegments(model, games.big, games.reg, threads, segmentTail, segmentSmallest, cancel);
    const Lanes lanes(segments);
    const PeriodicCost cost = periodicCost(model.costCoefficient);

    OutcomeLaw law;
    law.end = end;
    double bigsLeft = 0.0;
    law.bigs = bigsLaw(lanes, bigsLeft);
    // Every piece may have lost up to lostMass: the attempt at most that times its pieces.
    law.tailCut = segments.lostMass * (law.bigs.mean() + 1.0) + bigsLeft;

    // The tables' edges, from Chernoff bounds on W = K - c G (net = round(W)) and on G.
    const double c = model.costCoefficient;
    const double gameStep = 1.0 / (8.0 * std::max(1.0, static_cast<double>(games.big) + 300.0));
    const double coinStep = gameStep / 2.0;
    const double high = chernoffEdge([&](double b) { return realTransform(lanes, b, -c * b); },
                                     rightEdgeTarget, coinStep);
    const double lowAbs = chernoffEdge([&](double b) { return realTransform(lanes, -b, c * b); },
                                       outsideTarget * damping, coinStep);
    const double longest = chernoffEdge([&](double b) { return realTransform(lanes, 0.0, b); },
                                        outsideTarget, gameStep);
    // net >= x needs W >= x - 1/2, net <= x needs W <= x + 1/2.
    const auto netLow = static_cast<std::int64_t>(std::floor(-lowAbs - 0.5));
    const auto netHigh = static_cast<std::int64_t>(std::ceil(high + 0.5));
    const auto gamesHigh = static_cast<std::int64_t>(std::ceil(longest));
    const std::size_t netLength =
        FourierTransform::goodLength(static_cast<std::size_t>(netHigh - netLow + 1));
    const std::size_t gamesLength =
        FourierTransform::goodLength(static_cast<std::size_t>(gamesHigh + 1));
    if (netLength > largestTable || gamesLength > largestTable) {
        throw RuntimeError(ErrorKind::AttemptsTooLong,
                           "attempts this long have no outcome law here");
    }
    const double tilt = -std::log(damping) / static_cast<double>(netLength);
    law.roundingExactBelowGames = cost.validBelow;
    law.beyondRounding = chernoffBound(lanes, gameStep, cost.validBelow);

    double netArithmetic = 0.0;
    double gamesArithmetic = 0.0;
    const FirstPieceTransform firstPiece(model, segments.postBigModes,
                                         static_cast<std::size_t>(cost.period));
    // The net's transform is nearly all of the work: its share done is the progress.
    law.net = netLaw(lanes, firstPiece, cost, netLow, netLength, tilt, threads, cancel, progress,
                     netArithmetic);
    law.games = gamesLaw(lanes, gamesLength, gamesArithmetic);
    // What the net's table leaves out: the chance it is short of 1 (beyond its right end,
    // and any cut), the fold from beyond each end (damped from the right, grown from the
    // left) and the chance beyond its left end; and the chance beyond the games' table.
    const double listed = std::accumulate(law.net.chance.begin(), law.net.chance.end(), 0.0);
    // The first piece's transform keeps the tail that its table (and so the bound on the
    // left end) lost; that chance lies beyond the left end too.
    law.outsideTables = std::max(1.0 - listed, 0.0) + rightEdgeTarget * damping +
                        outsideTarget * damping + outsideTarget + segments.firstLostMass / damping +
                        outsideTarget;
    law.errorBound = law.tailCut + law.outsideTables + law.beyondRounding +
                     std::max(netArithmetic, gamesArithmetic);
    law.pBehind = 0.0;
    for (std::size_t i = 0; i < law.net.chance.size(); ++i) {
        const std::int64_t net = law.net.first + static_cast<std::int64_t>(i);
        (net > 0 ? law.pAhead : net == 0 ? law.pEven : law.pBehind) += law.net.chance[i];
    }
    return law;
}

}  // namespace korvale
