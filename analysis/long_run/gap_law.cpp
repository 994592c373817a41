#include "analysis/long_run/gap_law.h"

#include <cmath>
#include <stdexcept>

namespace korvale {

double GapLaw::atLeast(std::int32_t n) const {
    double sum = beyond;
    for (auto i = static_cast<std::size_t>(std::max(n, 0)); i < chance.size(); ++i) {
        sum += chance[i];
    }
    return sum;
}

std::int32_t GapLaw::quantile(double q) const {
    double sum = 0.0;
    for (std::size_t n = 0; n < chance.size(); ++n) {
        sum += chance[n];
        if (sum >= q) {
            return static_cast<std::int32_t>(n);
        }
    }
    throw std::out_of_range("quantile beyond the gap table");
}

namespace {

constexpr std::size_t modes = modeCount;
constexpr double negligible = 1e-18;

double bigChance(const MachineModel& model, std::size_t mode, std::int64_t gamesSinceBig) {
    return gamesSinceBig >= model.ceilingGame ? model.ceilingBigProbability
                                              : model.bigProbability[mode];
}

// Plays one BIG-to-BIG cycle from the start-mode law `start`: calls onGame(n, alive) before
// game n with the chance of being in each mode, until less than `negligible` is left.
// Returns the chance left.
template <typename OnGame>
double followCycle(const MachineModel& model, const ModeVector& start, OnGame onGame) {
    const double r = model.regProbability;
    ModeVector alive = start;
    for (std::int64_t n = 1;; ++n) {
        double left = 0.0;
        for (const double w : alive) {
            left += w;
        }
        if (left < negligible) {
            return left;
        }
        onGame(n, alive);
        ModeVector next{};
        for (std::size_t m = 0; m < modes; ++m) {
            const double w = alive[m];
            next[m] += w * (1.0 - r - bigChance(model, m, n));
            for (std::size_t to = 0; to < modes; ++to) {
                next[to] += w * r * model.regNextMode[m][to];
            }
        }
        alive = next;
    }
}

// The stationary law of the mode a cycle starts in: from each start mode the chance that the
// cycle's BIG leads to each mode, then that chain's fixed point by repeated steps.
ModeVector stationaryStart(const MachineModel& model, double& lost) {
    ModeMatrix step{};
    for (std::size_t s = 0; s < modes; ++s) {
        ModeVector start{};
        start[s] = 1.0;
        lost += followCycle(model, start, [&](std::int64_t n, const ModeVector& alive) {
            for (std::size_t m = 0; m < modes; ++m) {
                const double big = alive[m] * bigChance(model, m, n);
                for (std::size_t to = 0; to < modes; ++to) {
                    step[s][to] += big * model.bigNextMode[m][to];
                }
            }
        });
    }
    // Mode 0 is never reached again after a BIG, so it carries no weight; start elsewhere.
    ModeVector pi{};
    pi.fill(1.0 / modes);
    for (int round = 0; round < 100000; ++round) {
        ModeVector next{};
        for (std::size_t s = 0; s < modes; ++s) {
            for (std::size_t to = 0; to < modes; ++to) {
                next[to] += pi[s] * step[s][to];
            }
        }
        double total = 0.0;
        for (const double w : next) {
            total += w;
        }
        double change = 0.0;
        for (std::size_t m = 0; m < modes; ++m) {
            next[m] /= total;
            change = std::max(change, std::abs(next[m] - pi[m]));
        }
        pi = next;
        if (change < 1e-17) {
            break;
        }
    }
    return pi;
}

// Mean of a law whose table ends at `last` and whose tail beyond it (law.beyond) is
// geometric with `hazard` per game.
void finishLaw(GapLaw& law, double hazard) {
    double mean = 0.0;
    for (std::size_t n = 0; n < law.chance.size(); ++n) {
        mean += law.chance[n] * static_cast<double>(n);
    }
    law.mean = mean + law.beyond * (static_cast<double>(law.last()) + 1.0 / hazard);
}

// BIG to BIG, and on the way the REGs: a REG at game n of the cycle that leads to mode m
// starts a bonus gap in mode m with n games since the BIG. Fills the BIG gap's law from the
// cycle's start-mode law pi and returns regStarts[m][n]; regsPerCycle gets their sum.
std::vector<std::vector<double>> followBigGaps(const MachineModel& model, const ModeVector& pi,
                                               std::int32_t last, LongRunGaps& gaps,
                                               double& regsPerCycle) {
    const double r = model.regProbability;
    gaps.bigGap.chance.assign(static_cast<std::size_t>(last) + 1, 0.0);
    std::vector<std::vector<double>> regStarts(modes);
    gaps.lostMass += followCycle(model, pi, [&](std::int64_t n, const ModeVector& alive) {
        if (n == last + 1) {
            for (const double w : alive) {
                gaps.bigGap.beyond += w;
            }
        }
        for (std::size_t m = 0; m < modes; ++m) {
            const double big = alive[m] * bigChance(model, m, n);
            if (n <= last) {
                gaps.bigGap.chance[static_cast<std::size_t>(n)] += big;
            }
            for (std::size_t to = 0; to < modes; ++to) {
                const double moved = alive[m] * r * model.regNextMode[m][to];
                if (moved > 0.0) {
                    auto& row = regStarts[to];
                    if (row.size() <= static_cast<std::size_t>(n)) {
                        row.resize(static_cast<std::size_t>(n) + 1, 0.0);
                    }
                    row[static_cast<std::size_t>(n)] += moved;
                    regsPerCycle += moved;
                }
            }
        }
    });
    finishLaw(gaps.bigGap, model.ceilingBigProbability);
    return regStarts;
}

// A bonus gap from mode m with g games since the BIG has the hazard h = r + b(m) per game
// until the ceiling, c0 = ceiling - g games on, then hc = r + ceiling chance:
//   P(d) = h (1-h)^(d-1)                      for d < c0,
//   P(d) = (1-h)^(c0-1) hc (1-hc)^(d-c0)      for d >= c0.
// Summed over the starts with prefix sums over c0, so the work is linear in the tables. Adds
// the gaps from mode m, started by its BIGs (weight bigStarts, g = 0) and by its REGs
// (regStarts[g]), to bonus[d] and those longer than `last` to bonusBeyond.
void addBonusGaps(const MachineModel& model, std::size_t m, double bigStarts,
                  const std::vector<double>& regStarts, std::int32_t last,
                  std::vector<double>& bonus, double& bonusBeyond) {
    const double r = model.regProbability;
    const double hc = r + model.ceilingBigProbability;
    const auto ceiling = static_cast<std::int64_t>(model.ceilingGame);
    // Weight of starts by c0 (1 .. ceiling).
    std::vector<double> byC0(static_cast<std::size_t>(ceiling) + 1, 0.0);
    byC0[static_cast<std::size_t>(ceiling)] += bigStarts;
    for (std::size_t g = 0; g < regStarts.size(); ++g) {
        const std::int64_t c0 = std::max<std::int64_t>(ceiling - static_cast<std::int64_t>(g), 1);
        byC0[static_cast<std::size_t>(c0)] += regStarts[g];
    }
    const double h = r + model.bigProbability[m];
    // before[d]: weight of starts still before the ceiling at gap d (c0 > d); after:
    // sum over c0 <= d of weight (1-h)^(c0-1) (1-hc)^(-c0), kept as a running sum.
    double before = 0.0;
    for (const double w : byC0) {
        before += w;
    }
    double after = 0.0;
    double survive = 1.0;         // (1-h)^(d-1)
    double ceilingSurvive = 1.0;  // (1-hc)^(d-1)
    for (std::int64_t d = 1; d <= last; ++d) {
        if (d <= ceiling) {
            const double w = byC0[static_cast<std::size_t>(d)];
            before -= w;
            // (1-h)^(d-1) (1-hc)^(-d), with (1-hc)^(d-1) tracked alongside.
            after += w * survive / (ceilingSurvive * (1.0 - hc));
        }
        bonus[static_cast<std::size_t>(d)] +=
            std::max(before, 0.0) * h * survive + after * hc * ceilingSurvive * (1.0 - hc);
        survive *= 1.0 - h;
        ceilingSurvive *= 1.0 - hc;
    }
    // Still waiting after `last` games: before the ceiling (1-h)^last, after it
    // (1-h)^(c0-1) (1-hc)^(last-c0+1).
    bonusBeyond += std::max(before, 0.0) * survive + after * ceilingSurvive * (1.0 - hc);
}

}  // namespace

LongRunGaps solveLongRunGaps(std::int32_t setting, std::int32_t last) {
    LongRunGaps gaps = solveLongRunGaps(machineModel(setting), last);
    gaps.setting = setting;
    return gaps;
}

LongRunGaps solveLongRunGaps(const MachineModel& model, std::int32_t last) {
    if (last < model.ceilingGame) {
        throw std::invalid_argument("gap tables must reach the BIG ceiling");
    }
    LongRunGaps gaps;
    const ModeVector pi = stationaryStart(model, gaps.lostMass);
    const auto size = static_cast<std::size_t>(last) + 1;
    double regsPerCycle = 0.0;
    const std::vector<std::vector<double>> regStarts =
        followBigGaps(model, pi, last, gaps, regsPerCycle);
    std::vector<double> bonus(size, 0.0);
    double bonusBeyond = 0.0;
    for (std::size_t m = 0; m < modes; ++m) {
        addBonusGaps(model, m, pi[m], regStarts[m], last, bonus, bonusBeyond);
    }
    const double starts = 1.0 + regsPerCycle;
    gaps.bonusGap.chance.assign(size, 0.0);
    for (std::size_t d = 1; d < size; ++d) {
        gaps.bonusGap.chance[d] = bonus[d] / starts;
    }
    gaps.bonusGap.beyond = bonusBeyond / starts;
    finishLaw(gaps.bonusGap, model.regProbability + model.ceilingBigProbability);
    return gaps;
}

}  // namespace korvale
