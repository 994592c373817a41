#include "analysis/attempt/rounded_cost.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/attempt/attempt_chain.h"
#include "analysis/attempt/attempt_games_law.h"
#include "analysis/attempt/attempt_roots.h"
#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/vector_variant.h"

namespace korvale {
namespace {

using Complex = std::complex<double>;

// The most solves the tail bound's climb takes.
constexpr int tailSolves = 64;
// A bound on the periodic sum's error this small leaves nothing to gain from climbing on.
constexpr double tailEnough = 1e-15;
// The chance beyond the games' law's table that the table's length is chosen for.
constexpr double beyondLawTarget = 1e-13;

// Chernoff: P(G >= n) <= E[z^G] z^-n for every z > 1 at which E[z^G] is finite. The climb
// keeps E[z^G] at z = 1 + k / (8 E[G]), k = 1, 2, ..., while it keeps growing: past the first
// z where it is infinite the solve gives a value that falls or turns negative, and the climb
// stops there. One solve at each z serves every start; the step is that of the longest
// expected attempt, which keeps the points within every start's reach.
class TailClimb {
  public:
    // Climbs until the bound on P(G >= n) is below `enough` for every start, or as far as it
    // goes.
    TailClimb(const MachineModel& model, WholeGames games, std::span<const AttemptStart> starts,
              const std::vector<double>& expectedGames, std::int64_t n, double enough,
              const std::atomic<bool>* cancel, SolveCount& count)
        : points_(starts.size()) {
        const double longest = *std::max_element(expectedGames.begin(), expectedGames.end());
        const double step = 1.0 / (8.0 * longest);
        std::vector<double> previous(starts.size(), 1.0);
        int k = 1;
        AttemptChain<double>::Storage storage;
        for (; k <= tailSolves; ++k) {
            const double z = 1.0 + k * step;
            AttemptChain<double> chain(model, games.big, games.reg, z, 1.0, false, cancel,
                                       &storage);
            const std::vector<std::array<double, 2>> values = chain.solve(starts);
            count.add(1.0);
            if (!climbs(values, previous)) {
                break;
            }
            bool allEnough = true;
            for (std::size_t i = 0; i < starts.size(); ++i) {
                previous[i] = values[i][0];
                points_[i].push_back({z, values[i][0]});
                allEnough = allEnough && bound(i, n) <= enough;
            }
            if (allEnough) {
                break;
            }
        }
        count.add(std::max(0, tailSolves - k));  // the solves a climb that stopped early skips
    }

    // The bound on P(G >= n) from start i, from the points with ln z >= 1 / n (1 without one).
    double bound(std::size_t i, std::int64_t n) const {
        double best = 1.0;
        for (const Point& p : points_[i]) {
            if (std::log(p.z) * static_cast<double>(n) >= 1.0) {
                best = std::min(best, p.value * std::pow(p.z, -static_cast<double>(n)));
            }
        }
        return best;
    }

    // The fewest games n with a bound on P(G >= n) of at most `chance` from start i (0 without
    // a point).
    double gamesBeyond(std::size_t i, double chance) const {
        double fewest = 0.0;
        for (const Point& p : points_[i]) {
            const double n = (std::log(p.value) - std::log(chance)) / std::log(p.z);
            fewest = fewest == 0.0 ? n : std::min(fewest, n);
        }
        return std::ceil(fewest);
    }

  private:
    struct Point {
        double z;
        double value;  // E[z^G]
    };
    // Whether every start's E[z^G] grew, finite.
    static bool climbs(const std::vector<std::array<double, 2>>& values,
                       const std::vector<double>& previous) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!(values[i][0] > previous[i]) || !std::isfinite(values[i][0])) {
                return false;
            }
        }
        return true;
    }
    std::vector<std::vector<Point>> points_;  // by start
};

// E[round(c G)] = n/1000 E[G] + sum_j excess(j) Pr(G = j mod P), and with
// phi_k = E[w^(k G)], w = exp(2 pi i / P), the second term is sum_k xhat_k phi_k where
// xhat_k = (1/P) sum_j excess(j) w^(-j k). Terms k and P - k are conjugate. One solve per
// block of roots gives every start's.
std::vector<double> periodicSums(const MachineModel& model, WholeGames games,
                                 std::span<const AttemptStart> starts,
                                 const std::vector<double>& expectedGames, const PeriodicCost& cost,
                                 const WorkControl& control, SolveCount& count) {
    const std::int32_t period = cost.period;
    const double turn = 2.0 * std::numbers::pi / period;
    std::vector<Complex> backwards(static_cast<std::size_t>(period));  // w^(-m)
    for (std::int32_t m = 0; m < period; ++m) {
        backwards[static_cast<std::size_t>(m)] = std::polar(1.0, -turn * static_cast<double>(m));
    }
    auto coefficient = [&](std::int32_t k) {
        Complex sum = 0.0;
        for (std::int32_t j = 0; j < period; ++j) {
            sum += cost.excess[static_cast<std::size_t>(j)] *
                   backwards[static_cast<std::size_t>((std::int64_t{j} * k) % period)];
        }
        return sum / static_cast<double>(period);
    };
    // One solve per k, a block of them at once, shared out among the threads; each
    // term is kept by k so that the sum is taken in the same order whatever the threads did.
    const std::int32_t last = period / 2;
    RootsJob job;
    job.model = &model;
    job.bigEndGames = games.big;
    job.regEndGames = games.reg;
    job.starts.assign(starts.begin(), starts.end());
    for (std::int32_t k = 1; k <= last; ++k) {
        job.roots.push_back(std::polar(1.0, turn * k));
    }
    // A solve that fails in a worker stops the others and is handed to the caller.
    job.threads = control.workers();
    job.cancel = control.cancel;
    job.solved = [&](std::size_t roots) { count.add(static_cast<double>(roots)); };
    const auto solveAtRoots =
        KORVALE_VECTOR_FUNCTION(generatingFunctionAtRoots);
    const std::vector<Complex> phi = solveAtRoots(job);
    std::vector<Complex> coefficients(static_cast<std::size_t>(last) + 1);
    for (std::int32_t k = 0; k <= last; ++k) {
        coefficients[static_cast<std::size_t>(k)] = coefficient(k);
    }
    std::vector<double> sums(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        double periodicPart = coefficients[0].real();
        for (std::int32_t k = 1; k <= last; ++k) {
            const Complex value = phi[i * job.roots.size() + static_cast<std::size_t>(k - 1)];
            const double term = (coefficients[static_cast<std::size_t>(k)] * value).real();
            periodicPart += 2 * k == period ? term : 2.0 * term;
        }
        sums[i] = static_cast<double>(cost.thousandths) / 1000.0 * expectedGames[i] + periodicPart;
    }
    return sums;
}

// E[round(c G)] = c E[G] + E[round(c G) - c G], the second from the games' law: exact for
// every G below the table's length, bounded beyond it.
RoundedCost lawSum(const MachineModel& model, WholeGames games, const AttemptStart& start,
                   double expectedGames, const TailClimb& climb, std::size_t i,
                   const WorkControl& control) {
    const double needed = climb.gamesBeyond(i, beyondLawTarget);
    if (!(needed > 0.0 && needed <= static_cast<double>(largestGamesLaw))) {
        return {};
    }
    const AttemptGamesLaw law =
        attemptGamesLaw(model, games, static_cast<std::size_t>(needed), start,
                        {.cancel = control.cancel, .threads = control.threads});
    const double c = model.costCoefficient;
    double excess = 0.0;
    for (std::size_t g = 0; g < law.chance.size(); ++g) {
        const double cost = c * static_cast<double>(g);  // exact: c has 24 bits, g at most 21
        excess += law.chance[g] * (std::nearbyint(cost) - cost);
    }
    RoundedCost rounded;
    rounded.exactBelowGames = static_cast<std::int64_t>(law.chance.size());
    // The excess lies in [-1/2, 1/2]: what the pieces' cuts lost and the arithmetic's error
    // count half, the attempts folded in from beyond the table (excess(g) taken as that of
    // g mod length) at most once.
    rounded.errorBound =
        0.5 * (law.lost + law.arithmetic) + climb.bound(i, rounded.exactBelowGames);
    rounded.worked = rounded.errorBound <= largestRoundingError;
    rounded.expected = c * expectedGames + excess;
    return rounded;
}

}  // namespace

SolveCount::SolveCount(const WorkControl& control, double planned)
    : control_(control), planned_(planned) {}

void SolveCount::add(double solves) {
    if (!control_.progress) {
        return;
    }
    const std::lock_guard lock(lock_);
    done_ = std::min(done_ + solves, planned_);
    control_.progress(done_ / planned_);
}

void SolveCount::finish() {
    if (control_.progress) {
        const std::lock_guard lock(lock_);
        control_.progress(1.0);
    }
}

double roundedCostSolves(const MachineModel& model) {
    return tailSolves + static_cast<double>(periodicCost(model.costCoefficient).period / 2);
}

std::vector<RoundedCost> roundedCosts(const MachineModel& model, WholeGames games,
                                      std::span<const AttemptStart> starts,
                                      const std::vector<double>& expectedGames,
                                      const WorkControl& control, SolveCount& count) {
    const PeriodicCost cost = periodicCost(model.costCoefficient);
    const TailClimb climb(model, games, starts, expectedGames, cost.validBelow, tailEnough,
                          control.cancel, count);
    // Beyond n games the pattern's cost is off by at most G/n + 1 coins, and with ln z >= 1/n
    // that is at most 2 z^(G-n): the error of the periodic sum is at most twice the bound.
    std::vector<double> periodicErrors(starts.size());
    bool anyPeriodic = false;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        periodicErrors[i] = 2.0 * climb.bound(i, cost.validBelow);
        anyPeriodic = anyPeriodic || periodicErrors[i] <= largestRoundingError;
    }
    const std::vector<double> sums =
        anyPeriodic ? periodicSums(model, games, starts, expectedGames, cost, control, count)
                    : std::vector<double>{};
    std::vector<RoundedCost> rounded(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (periodicErrors[i] <= largestRoundingError) {
            rounded[i] = {true, sums[i], cost.validBelow, periodicErrors[i]};
        } else if (games.reg <= games.big + 1) {
            rounded[i] = lawSum(model, games, starts[i], expectedGames[i], climb, i, control);
        }
    }
    if (!anyPeriodic) {
        count.add(static_cast<double>(cost.period / 2));
    }
    return rounded;
}

}  // namespace korvale
