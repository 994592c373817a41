#include "analysis/outcome/day_law.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <thread>

#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/vector_variant.h"
#include "analysis/outcome/day_renewal.h"
#include "common/checked_arithmetic.h"
#include "common/parallel_work.h"

namespace korvale {
namespace {

// The law is taken of the games tilted by exp(-lambda games), lambda × period = wrapDamping: a
// day's worth that wraps around the period comes back damped by exp(-36), below 1e-15.
constexpr double wrapDamping = 36.0;
// The BIG counts stop where the chance of more is below this.
constexpr double bigCountCut = 1e-12;
// The REG count's table ends where its chance (a binomial's: a REG falls on any game with the
// same chance) falls below this past the mean.
constexpr double regCountCut = 1e-18;

// What every root of the REG count shares: the chances of the chain and the transform's size.
struct DayGrid {
    std::int32_t longest = 0;        // the most games asked for
    std::size_t period = 0;          // the transform's length in games
    double tilt = 0.0;               // exp(-lambda), the tilt of one game
    std::size_t regSize = 0;         // REG counts 0 .. regSize - 1, the roots' number
    std::vector<int> afterBig;       // the modes a BIG can lead to
    std::vector<ModeVector> regRow;  // next-mode chances after a REG, by the mode it fell in
    std::vector<ModeVector> bigRow;  // and after a BIG
    std::size_t lanes() const { return (afterBig.size() + 1) * (afterBig.size() + 1); }
};

ModeVector nextAfter(const ModeMatrix& next, int mode) {
    ModeVector row = next[static_cast<std::size_t>(mode)];
    double sum = 0.0;
    for (const double chance : row) {
        sum += chance;
    }
    if (sum == 0.0) {
        row = {};
        row[static_cast<std::size_t>(mode)] = 1.0;
    }
    return row;
}

// The REG counts worth a table entry in `games` games: up to where the binomial's chance falls
// below regCountCut past its mean.
std::size_t regCountsFor(double chance, std::int32_t games) {
    double term = std::pow(1.0 - chance, games);
    const double ratio = chance / (1.0 - chance);
    std::int32_t r = 0;
    while (r < games && (r <= chance * games || term >= regCountCut)) {
        term *= ratio * static_cast<double>(games - r) / static_cast<double>(r + 1);
        ++r;
    }
    return static_cast<std::size_t>(r) + 1;
}

DayGrid makeGrid(const MachineModel& model, std::int32_t longest) {
    DayGrid grid;
    grid.longest = longest;
    grid.period = FourierTransform::goodLength(8 * static_cast<std::size_t>(longest) + 8);
    grid.tilt = std::exp(-wrapDamping / static_cast<double>(grid.period));
    grid.regSize = FourierTransform::goodLength(regCountsFor(model.regProbability, longest));
    std::array<bool, modeCount> reached{};
    for (int mode = 0; mode < modeCount; ++mode) {
        grid.regRow.push_back(nextAfter(model.regNextMode, mode));
        grid.bigRow.push_back(nextAfter(model.bigNextMode, mode));
        for (int to = 0; to < modeCount; ++to) {
            reached[static_cast<std::size_t>(to)] =
                reached[static_cast<std::size_t>(to)] || grid.bigRow.back()[to] > 0.0;
        }
    }
    for (int mode = 0; mode < modeCount; ++mode) {
        if (reached[static_cast<std::size_t>(mode)]) {
            grid.afterBig.push_back(mode);
        }
    }
    return grid;
}

// The pieces of the day at the REG count's root y, tilted: for each start (0 the morning's mode
// 0, 1 + i after a BIG that led to afterBig[i]) the chance that the first BIG falls on game j
// and leads to afterBig[i] (lane start × (a + 1) + i) and that no BIG has fallen by game j
// (lane start × (a + 1) + a), each REG weighed by y. Game j at data[j × lanes + lane].
// `data` is a worker's table, kept from one root to the next: a day's is tens of megabytes,
// which the system would otherwise hand out anew, page by page, for every root.
void dayPieces(const MachineModel& model, const DayGrid& grid, Complex y,
               std::vector<Complex>& data) {
    const std::size_t a = grid.afterBig.size();
    const std::size_t lanes = grid.lanes();
    data.assign(grid.period * lanes, Complex{});
    for (std::size_t start = 0; start <= a; ++start) {
        std::array<Complex, modeCount> chain{};
        chain[static_cast<std::size_t>(start == 0 ? 0 : grid.afterBig[start - 1])] = 1.0;
        const std::size_t lane = start * (a + 1);
        data[lane + a] = 1.0;
        for (std::int32_t j = 1; j <= grid.longest; ++j) {
            std::array<Complex, modeCount> next{};
            Complex* row = &data[static_cast<std::size_t>(j) * lanes + lane];
            for (std::size_t m = 0; m < modeCount; ++m) {
                if (chain[m] == Complex{}) {
                    continue;
                }
                const Complex v = chain[m] * grid.tilt;
                const double big =
                    j >= model.ceilingGame ? model.ceilingBigProbability : model.bigProbability[m];
                const Complex reg = v * y * model.regProbability;
                for (std::size_t to = 0; to < modeCount; ++to) {
                    next[to] += reg * grid.regRow[m][to];
                }
                for (std::size_t i = 0; i < a; ++i) {
                    row[i] +=
                        v * (big * grid.bigRow[m][static_cast<std::size_t>(grid.afterBig[i])]);
                }
                next[m] += v * (1.0 - model.regProbability - big);
            }
            chain = next;
            for (const Complex c : chain) {
                row[a] += c;
            }
        }
    }
}

// How far the laws are: the blocks of frequencies renewed, each weighed by the BIG counts it
// renews (what its time goes with), told on the thread that asked for the laws.
class DayMeter {
  public:
    explicit DayMeter(const WorkControl& control)
        : progress_(control.progress), caller_(std::this_thread::get_id()) {}

    // The units of one pass over the frequencies for k = 0 .. bigs BIGs.
    static std::uint64_t passUnits(const DayGrid& grid, std::int64_t bigs) {
        return (grid.period + dayBlockSize - 1) / dayBlockSize *
               static_cast<std::uint64_t>(bigs + 1);
    }
    // The units still to come besides those done; on the calling thread, no worker running.
    void plan(std::uint64_t toCome) { total_ = done_.load() + toCome; }
    void add(std::uint64_t units) {
        const std::uint64_t done = done_ += units;
        if (progress_ && std::this_thread::get_id() == caller_) {
            progress_(std::min(0.99, static_cast<double>(done) / static_cast<double>(total_)));
        }
    }

  private:
    WorkControl::Progress progress_;
    std::thread::id caller_;
    std::atomic<std::uint64_t> done_{0};
    std::uint64_t total_ = 1;
};

// At root y: for k = 0 .. bigs BIGs, the chance (weighed by y^REGs) that the day has k BIGs
// after each of `games`, as value[k][sample].
std::vector<std::vector<Complex>> dayRenewal(const MachineModel& model, const DayGrid& grid,
                                             std::vector<Complex>& data,
                                             std::span<const std::int32_t> games, Complex y,
                                             std::int64_t bigs, const std::atomic<bool>* cancel,
                                             DayMeter& meter) {
    dayPieces(model, grid, y, data);
    const FourierTransform transform(grid.period, grid.lanes());
    transform.transform(data, -1);
    std::vector<std::vector<Complex>> value(static_cast<std::size_t>(bigs) + 1,
                                            std::vector<Complex>(games.size()));
    const auto renew =
        KORVALE_VECTOR_FUNCTION(renewDayBlock);
    const DayRenewalJob job{.data = &data,
                            .afterBig = grid.afterBig.size(),
                            .period = grid.period,
                            .transform = &transform,
                            .games = games,
                            .bigs = bigs};
    for (std::size_t from = 0; from < grid.period; from += dayBlockSize) {
        stopIfCalledOff(cancel);
        renew(job, from, value);
        meter.add(static_cast<std::uint64_t>(bigs + 1));
    }
    for (std::vector<Complex>& atGames : value) {
        for (std::size_t n = 0; n < games.size(); ++n) {
            atGames[n] /= static_cast<double>(grid.period) * std::pow(grid.tilt, games[n]);
        }
    }
    return value;
}

// At y = 1: the BIG counts up to where their chances reach 1 - bigCountCut at the longest
// day, or, where the arithmetic's own error (about 1e-13 for a long day) keeps the sum from
// getting there, up to where the chance of k BIGs has stayed below a hundredth of the cut for
// quietCounts counts in a row: past the mean the chances of more BIGs fall geometrically (runs
// of BIGs in the modes that keep giving them), so the tail beyond is below the cut. The count
// tried is doubled until it gets there (at most the day's games).
constexpr std::int64_t quietCounts = 32;

std::vector<std::vector<Complex>> bigCountLaw(const MachineModel& model, const DayGrid& grid,
                                              std::vector<Complex>& data,
                                              std::span<const std::int32_t> games,
                                              const std::atomic<bool>* cancel, DayMeter& meter) {
    const std::uint64_t roots = grid.regSize / 2 + 1;
    for (std::int64_t bigs = 512;; bigs *= 2) {
        bigs = std::min<std::int64_t>(bigs, grid.longest);
        // The other roots' BIG counts are not known yet: taken as this try's.
        meter.plan(roots * DayMeter::passUnits(grid, bigs));
        std::vector<std::vector<Complex>> value =
            dayRenewal(model, grid, data, games, 1.0, bigs, cancel, meter);
        double found = 0.0;
        std::int64_t quiet = 0;
        for (std::size_t k = 0; k < value.size(); ++k) {
            const double chance = value[k].back().real();
            found += chance;
            quiet = std::abs(chance) < bigCountCut / 100.0 ? quiet + 1 : 0;
            if (found >= 1.0 - bigCountCut || (found > 0.5 && quiet == quietCounts)) {
                value.resize(k + 1);
                return value;
            }
        }
        if (bigs == grid.longest) {
            return value;
        }
    }
}

}  // namespace

namespace {

// The day's laws after `games` games from the chances of (BIGs k, REGs r): chance[k][r].
DayLaw lawOf(const MachineModel& model, std::int32_t games,
             const std::vector<std::vector<double>>& chance) {
    DayLaw law;
    law.games = games;
    const auto bigs = static_cast<std::int64_t>(chance.size());
    const auto regs = static_cast<std::int64_t>(chance.front().size());
    const auto perBig = static_cast<std::int64_t>(model.coinsPerBig);
    const auto perReg = static_cast<std::int64_t>(model.coinsPerReg);
    const auto cost = static_cast<std::int64_t>(
        roundHalfEven(model.costCoefficient * static_cast<double>(games)));
    law.net.first = -cost;
    law.net.chance.assign(static_cast<std::size_t>((bigs - 1) * perBig + (regs - 1) * perReg + 1),
                          0.0);
    law.bigs.chance.assign(static_cast<std::size_t>(bigs), 0.0);
    law.regs.chance.assign(static_cast<std::size_t>(regs), 0.0);
    double total = 0.0;
    for (std::int64_t k = 0; k < bigs; ++k) {
        for (std::int64_t r = 0; r < regs; ++r) {
            const double p =
                std::max(0.0, chance[static_cast<std::size_t>(k)][static_cast<std::size_t>(r)]);
            law.net.chance[static_cast<std::size_t>(k * perBig + r * perReg)] += p;
            law.bigs.chance[static_cast<std::size_t>(k)] += p;
            law.regs.chance[static_cast<std::size_t>(r)] += p;
            total += p;
        }
    }
    law.meanNet = law.net.mean();
    law.pAhead = law.net.atLeast(1);
    law.pEven = law.net.at(0);
    law.pBehind = law.net.atLeast(law.net.first) - law.net.atLeast(0);
    law.errorBound = std::abs(1.0 - total) + bigCountCut;
    return law;
}

}  // namespace

std::vector<DayLaw> solveDayLaws(const MachineModel& model, std::span<const std::int32_t> games,
                                 const WorkControl& control) {
    const std::atomic<bool>* cancel = control.cancel;
    if (games.empty()) {
        return {};
    }
    for (const std::int32_t n : games) {
        if (n < 0 || n > largestDayLawGames) {
            throw std::invalid_argument("a day's games out of range");
        }
    }
    // The longest day last: the BIG counts are cut by its law.
    std::vector<std::int32_t> sorted(games.begin(), games.end());
    std::sort(sorted.begin(), sorted.end());
    const DayGrid grid = makeGrid(model, std::max(sorted.back(), 1));
    const std::size_t roots = grid.regSize / 2 + 1;
    // value[root][k][sample]; the root y = 1 first, which says where the BIG counts stop.
    std::vector<std::vector<std::vector<Complex>>> value(roots);
    std::vector<std::vector<Complex>> tables(control.workers());  // one a worker
    DayMeter meter(control);
    value[0] = bigCountLaw(model, grid, tables[0], sorted, cancel, meter);
    const auto bigs = static_cast<std::int64_t>(value[0].size()) - 1;
    meter.plan((roots - 1) * DayMeter::passUnits(grid, bigs));
    shareTasks(roots - 1, control.workers(), [&](std::size_t task) {
        const double angle = 2.0 * std::numbers::pi * static_cast<double>(task + 1) /
                             static_cast<double>(grid.regSize);
        value[task + 1] = dayRenewal(model, grid, tables[currentWorker().value_or(0)], sorted,
                                     std::polar(1.0, angle), bigs, cancel, meter);
    });
    std::vector<DayLaw> laws;
    for (const std::int32_t n : games) {
        const auto sample = static_cast<std::size_t>(
            std::lower_bound(sorted.begin(), sorted.end(), n) - sorted.begin());
        std::vector<std::vector<double>> chance(value[0].size(),
                                                std::vector<double>(grid.regSize, 0.0));
        for (std::size_t k = 0; k < chance.size(); ++k) {
            for (std::size_t r = 0; r < grid.regSize; ++r) {
                // The inverse over the roots; a root past the half is its mirror's conjugate.
                double sum = 0.0;
                for (std::size_t l = 0; l < grid.regSize; ++l) {
                    const Complex v = l < roots ? value[l][k][sample]
                                                : std::conj(value[grid.regSize - l][k][sample]);
                    sum +=
                        multiply(v, std::polar(1.0, -2.0 * std::numbers::pi *
                                                        static_cast<double>(l * r % grid.regSize) /
                                                        static_cast<double>(grid.regSize)))
                            .real();
                }
                chance[k][r] = sum / static_cast<double>(grid.regSize);
            }
        }
        laws.push_back(lawOf(model, n, chance));
    }
    if (control.progress) {
        control.progress(1.0);
    }
    return laws;
}

DayLaw solveDayLaw(std::int32_t setting, std::int32_t games, const WorkControl& control) {
    const std::array<std::int32_t, 1> one = {games};
    DayLaw law = solveDayLaws(machineModel(setting), one, control).front();
    law.setting = setting;
    return law;
}

namespace {

IntegerLaw mixLaws(std::span<const DayLaw> laws, std::span<const double> weights,
                   IntegerLaw DayLaw::*member) {
    std::int64_t first = 0;
    std::int64_t end = 0;
    bool any = false;
    for (const DayLaw& law : laws) {
        const IntegerLaw& part = law.*member;
        if (part.chance.empty()) {
            continue;
        }
        const auto partEnd = part.first + static_cast<std::int64_t>(part.chance.size());
        first = any ? std::min(first, part.first) : part.first;
        end = any ? std::max(end, partEnd) : partEnd;
        any = true;
    }
    IntegerLaw mixed{first, std::vector<double>(static_cast<std::size_t>(end - first), 0.0)};
    for (std::size_t i = 0; i < laws.size(); ++i) {
        const IntegerLaw& part = laws[i].*member;
        for (std::size_t j = 0; j < part.chance.size(); ++j) {
            mixed.chance[static_cast<std::size_t>(part.first - first) + j] +=
                weights[i] * part.chance[j];
        }
    }
    return mixed;
}

}  // namespace

DayLaw mixDayLaws(std::span<const DayLaw> laws, std::span<const double> weights) {
    DayLaw mixed;
    mixed.games = laws.empty() ? 0 : laws.front().games;
    mixed.net = mixLaws(laws, weights, &DayLaw::net);
    mixed.bigs = mixLaws(laws, weights, &DayLaw::bigs);
    mixed.regs = mixLaws(laws, weights, &DayLaw::regs);
    for (std::size_t i = 0; i < laws.size(); ++i) {
        mixed.meanNet += weights[i] * laws[i].meanNet;
        mixed.pAhead += weights[i] * laws[i].pAhead;
        mixed.pEven += weights[i] * laws[i].pEven;
        mixed.pBehind += weights[i] * laws[i].pBehind;
        mixed.errorBound = std::max(mixed.errorBound, laws[i].errorBound);
    }
    return mixed;
}

}  // namespace korvale
