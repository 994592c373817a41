#include "analysis/long_run/long_run.h"

#include <cmath>
#include <limits>

#include "analysis/numeric/small_linear_solve.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;

// What follows one BIG until the next, for each mode the first game after it begins in:
// the expected games begun in each mode, and the chance that the next BIG falls in each mode.
struct BigToBig {
    ModeMatrix games{};  // [start mode][mode]
    ModeMatrix bigs{};   // [start mode][mode]
};

// One game before the ceiling, for the mass that has had no BIG yet: what draws no bonus
// stays in its mode, what draws a REG moves by the REG lottery, what draws a BIG leaves.
ModeVector stepWithoutBig(const MachineModel& model, const ModeVector& alive) {
    const double r = model.regProbability;
    ModeVector next{};
    for (std::size_t m = 0; m < modes; ++m) {
        const double mass = alive[m];
        if (mass == 0.0) {
            continue;
        }
        next[m] += mass * (1.0 - r - model.bigProbability[m]);
        for (std::size_t to = 0; to < modes; ++to) {
            next[to] += mass * r * model.regNextMode[m][to];
        }
    }
    return next;
}

// One game at the ceiling, for the mass that has had no BIG yet.
ModeVector stepAtCeiling(const MachineModel& model, const ModeVector& alive) {
    const double r = model.regProbability;
    ModeVector next{};
    for (std::size_t m = 0; m < modes; ++m) {
        next[m] += alive[m] * (1.0 - r - model.ceilingBigProbability);
        for (std::size_t to = 0; to < modes; ++to) {
            next[to] += alive[m] * r * model.regNextMode[m][to];
        }
    }
    return next;
}

// From the ceiling on every mode has the same BIG chance and REGs still move the mode, so the
// expected games begun in each mode until the BIG are the geometric sum x = u (I - Q)^-1 with
// Q = (1 - r - ceiling) I + r R, solved as one small system.
ModeVector visitsFromCeiling(const MachineModel& model, const ModeVector& alive) {
    const double r = model.regProbability;
    const double ceiling = model.ceilingBigProbability;
    // (I - Q)^T x = u, so that x is the row vector of expected visits.
    std::array<ModeVector, modes> system{};
    for (std::size_t to = 0; to < modes; ++to) {
        for (std::size_t from = 0; from < modes; ++from) {
            const double q =
                (from == to ? 1.0 - r - ceiling : 0.0) + r * model.regNextMode[from][to];
            system[to][from] = (from == to ? 1.0 : 0.0) - q;
        }
    }
    ModeVector visits = alive;
    solveInPlace(system, visits);
    return visits;
}

// Games since the BIG 1 .. ceilingGame-1 are followed one by one, the rest in one solve.
BigToBig followBigToBig(const MachineModel& model) {
    BigToBig result;
    for (std::size_t start = 0; start < modes; ++start) {
        ModeVector alive{};
        alive[start] = 1.0;
        ModeVector& games = result.games[start];
        ModeVector& bigs = result.bigs[start];
        for (std::int32_t game = 1; game < model.ceilingGame; ++game) {
            for (std::size_t m = 0; m < modes; ++m) {
                games[m] += alive[m];
                bigs[m] += alive[m] * model.bigProbability[m];
            }
            alive = stepWithoutBig(model, alive);
        }
        const ModeVector visits = visitsFromCeiling(model, alive);
        for (std::size_t m = 0; m < modes; ++m) {
            games[m] += visits[m];
            bigs[m] += visits[m] * model.ceilingBigProbability;
        }
    }
    return result;
}

// The stationary law of the mode the first game after a BIG begins in.
ModeVector stationaryStartModes(const MachineModel& model, const BigToBig& cycle) {
    ModeMatrix next{};  // [start][next start]
    for (std::size_t start = 0; start < modes; ++start) {
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::size_t to = 0; to < modes; ++to) {
                next[start][to] += cycle.bigs[start][m] * model.bigNextMode[m][to];
            }
        }
    }
    // pi (P - I) = 0 with one balance equation (always redundant) replaced by sum(pi) = 1.
    std::array<ModeVector, modes> system{};
    ModeVector pi{};
    for (std::size_t to = 0; to < modes; ++to) {
        for (std::size_t from = 0; from < modes; ++from) {
            system[to][from] = next[from][to] - (from == to ? 1.0 : 0.0);
        }
    }
    system[modes - 1].fill(1.0);
    pi[modes - 1] = 1.0;
    solveInPlace(system, pi);
    return pi;
}

// The stationary law of the mode a BIG-to-BIG cycle starts in, and the cycle's mean length.
struct CycleAfterBig {
    ModeVector pi;
    double cycleGames;
};
CycleAfterBig cycleAfterBig(const MachineModel& model) {
    const BigToBig cycle = followBigToBig(model);
    CycleAfterBig result{stationaryStartModes(model, cycle), 0.0};
    for (std::size_t start = 0; start < modes; ++start) {
        for (std::size_t m = 0; m < modes; ++m) {
            result.cycleGames += result.pi[start] * cycle.games[start][m];
        }
    }
    return result;
}

}  // namespace

LongRunFigures solveLongRun(std::int32_t setting) {
    LongRunFigures figures = solveLongRun(machineModel(setting));
    figures.setting = setting;
    return figures;
}

LongRunFigures solveLongRun(const MachineModel& model) {
    const BigToBig cycle = followBigToBig(model);
    const ModeVector pi = stationaryStartModes(model, cycle);

    ModeVector games{};
    ModeVector bigs{};
    double cycleGames = 0.0;
    for (std::size_t m = 0; m < modes; ++m) {
        for (std::size_t start = 0; start < modes; ++start) {
            games[m] += pi[start] * cycle.games[start][m];
            bigs[m] += pi[start] * cycle.bigs[start][m];
        }
        cycleGames += games[m];
    }

    LongRunFigures figures;
    figures.setting = -1;
    figures.bigProbability = 1.0 / cycleGames;
    figures.regProbability = model.regProbability;
    figures.bonusProbability = figures.bigProbability + figures.regProbability;
    const double coinsOutPerGame = model.coinsInPerGame - model.costCoefficient +
                                   model.coinsPerBig * figures.bigProbability +
                                   model.coinsPerReg * figures.regProbability;
    figures.payoutPercent = 100.0 * coinsOutPerGame / model.coinsInPerGame;
    for (std::size_t m = 0; m < modes; ++m) {
        figures.modeShare[m] = games[m] / cycleGames;
        figures.modeBigsPerGame[m] = bigs[m] / cycleGames;
        figures.modeReleaseRate[m] =
            bigs[m] > 0.0 ? games[m] / bigs[m] : std::numeric_limits<double>::quiet_NaN();
    }
    return figures;
}

std::vector<ModeVector> longRunGameStateLaw(const MachineModel& model) {
    const auto [pi, cycleGames] = cycleAfterBig(model);
    // A game begins k games after the last BIG as often, per game of the long run, as the
    // cycle that follows a BIG reaches its game k + 1 alive, per game of the cycle.
    const auto last = static_cast<std::size_t>(model.ceilingGame - 1);
    std::vector<ModeVector> law(last + 1);
    ModeVector alive = pi;
    for (std::size_t k = 0; k < last; ++k) {
        for (std::size_t m = 0; m < modes; ++m) {
            law[k][m] = alive[m] / cycleGames;
        }
        alive = stepWithoutBig(model, alive);
    }
    const ModeVector visits = visitsFromCeiling(model, alive);
    for (std::size_t m = 0; m < modes; ++m) {
        law[last][m] = visits[m] / cycleGames;
    }
    return law;
}

FoundMachineState foundMachineState(const MachineModel& model, std::int32_t gamesSinceBig) {
    const auto [pi, cycleGames] = cycleAfterBig(model);
    // As in longRunGameStateLaw: the cycle after a BIG alive at its game k + 1, per game of the
    // cycle. The mass is scaled back to 1 after each game, its logarithm kept aside.
    FoundMachineState state;
    state.logChance = -std::log(cycleGames);
    ModeVector alive = pi;
    for (std::int32_t k = 0; k < gamesSinceBig; ++k) {
        // The game that follows k games since the BIG is game k + 1.
        alive =
            k + 1 < model.ceilingGame ? stepWithoutBig(model, alive) : stepAtCeiling(model, alive);
        double mass = 0.0;
        for (const double a : alive) {
            mass += a;
        }
        if (mass <= 0.0) {
            state.logChance = -std::numeric_limits<double>::infinity();
            state.modeLaw = {};
            return state;
        }
        state.logChance += std::log(mass);
        for (double& a : alive) {
            a /= mass;
        }
    }
    state.modeLaw = alive;
    return state;
}

}  // namespace korvale
