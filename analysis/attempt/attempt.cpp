#include "analysis/attempt/attempt.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>
#include <thread>
#include <vector>

#include "analysis/attempt/attempt_chain.h"
#include "analysis/attempt/cost_rounding.h"
#include "common/runtime_error.h"
#include "common/parallel_work.h"

namespace korvale {
namespace {

// Counts the solves done against those planned and tells the caller's progress callback, one
// call at a time and never falling, whichever thread finished a solve.
class SolveCount {
  public:
    SolveCount(const AttemptControl& control, double planned)
        : control_(control), planned_(planned) {}

    void add(double solves) {
        if (!control_.progress) {
            return;
        }
        const std::lock_guard lock(lock_);
        done_ = std::min(done_ + solves, planned_);
        control_.progress(done_ / planned_);
    }
    void finish() {
        if (control_.progress) {
            const std::lock_guard lock(lock_);
            control_.progress(1.0);
        }
    }

  private:
    const AttemptControl& control_;
    double planned_;
    double done_ = 0.0;
    std::mutex lock_;
};

// The most solves the tail bound's climb takes.
constexpr double tailSolves = 64.0;

// E[round(c G)] = n/1000 E[G] + sum_j excess(j) Pr(G = j mod P), and with
// phi_k = E[w^(k G)], w = exp(2 pi i / P), the second term is sum_k xhat_k phi_k where
// xhat_k = (1/P) sum_j excess(j) w^(-j k). Terms k and P - k are conjugate.
double expectedRoundedCost(const MachineModel& model, WholeGames games, double expectedGames,
                           const PeriodicCost& cost, const std::atomic<bool>* cancel,
                           SolveCount& count) {
    using Complex = std::complex<double>;
    const std::int32_t period = cost.period;
    const double turn = 2.0 * std::numbers::pi / period;
    auto coefficient = [&](std::int32_t k) {
        Complex sum = 0.0;
        for (std::int32_t j = 0; j < period; ++j) {
            sum += cost.excess[static_cast<std::size_t>(j)] *
                   std::polar(1.0, -turn * static_cast<double>((std::int64_t{j} * k) % period));
        }
        return sum / static_cast<double>(period);
    };
    // One solve per k, shared out among the machine's cores; each term is kept by k so that
    // the sum is taken in the same order whatever the threads did.
    const std::int32_t last = period / 2;
    std::vector<double> terms(static_cast<std::size_t>(last + 1), 0.0);
    // A solve that fails in a worker stops the others and is handed to the caller. Each
    // worker's solves share their storage.
    const unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    std::vector<AttemptChain<Complex>::Storage> storage(threads);
    shareTasks(static_cast<std::size_t>(last), threads, [&](std::size_t task) {
        const auto k = static_cast<std::int32_t>(task) + 1;
        const Complex z = std::polar(1.0, turn * k);
        AttemptChain<Complex> chain(model, games.big, games.reg, z, Complex(1.0), false, cancel,
                                    &storage[currentWorker().value_or(0)]);
        const double term = (coefficient(k) * chain.solve()[0]).real();
        terms[static_cast<std::size_t>(k)] = 2 * k == period ? term : 2.0 * term;
        count.add(1.0);
    });
    double periodicPart = coefficient(0).real();
    for (const double term : terms) {
        periodicPart += term;
    }
    return static_cast<double>(cost.thousandths) / 1000.0 * expectedGames + periodicPart;
}

// Chernoff: P(G >= n) <= E[z^G] z^-n for every z > 1 at which E[z^G] is finite. z climbs
// from 1 in steps of 1/(8 E[G]) while E[z^G] keeps growing; past the first z where it is
// infinite the solve gives a value that falls or turns negative, and the climb stops there.
// Beyond n games the pattern's cost is off by at most G/n + 1 coins, and with ln z >= 1/n that
// is at most 2 z^(G-n): the error of the periodic sum is at most twice the bound returned.
double tailBound(const MachineModel& model, WholeGames games, double expectedGames, std::int64_t n,
                 const std::atomic<bool>* cancel, SolveCount& count) {
    const double step = 1.0 / (8.0 * expectedGames);
    double best = 1.0;
    double previous = 1.0;
    int k = 1;
    AttemptChain<double>::Storage storage;
    for (; k <= static_cast<int>(tailSolves); ++k) {
        const double z = 1.0 + k * step;
        AttemptChain<double> chain(model, games.big, games.reg, z, 1.0, false, cancel, &storage);
        const double value = chain.solve()[0];
        count.add(1.0);
        if (!(value > previous) || !std::isfinite(value)) {
            break;
        }
        previous = value;
        if (std::log(z) * static_cast<double>(n) >= 1.0) {
            best = std::min(best, value * std::pow(z, -static_cast<double>(n)));
        }
    }
    count.add(std::max(0.0, tailSolves - k));  // the solves a climb that stopped early skips
    return best;
}

}  // namespace

WholeGames wholeGames(EndConditions end) {
    if (!std::isfinite(end.bigEnd) || end.bigEnd > largestBigEnd) {
        throw RuntimeError(ErrorKind::EndBeyondTables, "BIG end must be a number up to 2000");
    }
    if (end.regEnd > largestRegEnd) {
        throw RuntimeError(ErrorKind::EndBeyondTables, "REG end must be at most 1000");
    }
    return {end.bigEnd <= 0.0 ? 0 : static_cast<std::int32_t>(std::ceil(end.bigEnd)),
            end.regEnd <= 0 ? 0 : end.regEnd};
}

AttemptFigures solveAttempt(std::int32_t setting, EndConditions end, CostRounding rounding,
                            const AttemptControl& control) {
    AttemptFigures figures = solveAttempt(machineModel(setting), end, rounding, control);
    figures.setting = setting;
    return figures;
}

AttemptFigures solveAttempt(const MachineModel& model, EndConditions end, CostRounding rounding,
                            const AttemptControl& control) {
    const WholeGames games = wholeGames(end);
    stopIfCalledOff(control.cancel);
    const PeriodicCost cost =
        rounding == CostRounding::Exact ? periodicCost(model.costCoefficient) : PeriodicCost{};
    SolveCount count(control, rounding == CostRounding::Exact
                                  ? 1.0 + tailSolves + static_cast<double>(cost.period / 2)
                                  : 1.0);
    count.add(0.0);
    AttemptChain<double> chain(model, games.big, games.reg, 1.0, 0.0, true, control.cancel);
    const std::array<double, 2> expected = chain.solve();
    count.add(1.0);

    AttemptFigures figures;
    figures.end = end;
    figures.expectedGames = expected[0];
    figures.expectedBigs = expected[1];
    // A REG falls with the same chance in every game whatever came before, and whether the
    // attempt goes on to a game is settled before it, so E[REGs] = r E[games] (Wald).
    figures.expectedRegs = model.regProbability * expected[0];
    figures.expectedCost = model.costCoefficient * figures.expectedGames;
    if (rounding == CostRounding::Exact) {
        const double error =
            2.0 * tailBound(model, games, expected[0], cost.validBelow, control.cancel, count);
        if (error <= largestRoundingError) {
            figures.expectedCost =
                expectedRoundedCost(model, games, expected[0], cost, control.cancel, count);
            figures.costRounding = CostRounding::Exact;
            figures.roundingExactBelowGames = cost.validBelow;
            figures.roundingErrorBound = error;
        }
    }
    figures.expectedNet = model.coinsPerBig * figures.expectedBigs +
                          model.coinsPerReg * figures.expectedRegs - figures.expectedCost;
    figures.netPer1000Games = 1000.0 * figures.expectedNet / figures.expectedGames;
    const double coinsIn = model.coinsInPerGame * figures.expectedGames;
    figures.payoutPercent = 100.0 * (coinsIn + figures.expectedNet) / coinsIn;
    count.finish();
    return figures;
}

double attemptGeneratingFunction(const MachineModel& model, EndConditions end, double z) {
    const WholeGames games = wholeGames(end);
    AttemptChain<double> chain(model, games.big, games.reg, z, 1.0, false);
    return chain.solve()[0];
}

}  // namespace korvale
