#include "analysis/outcome/attempt_lanes.h"

#include <array>
#include <cmath>
#include <limits>

#include "analysis/attempt/attempt.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/outcome/renewal_value.h"

namespace korvale {

std::vector<double> laneValues(const Lanes& lanes, double coinRate, double gameRate) {
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
    return value;
}

std::vector<double> renewalAfterFirstBig(const Lanes& lanes, const std::vector<double>& values) {
    const std::size_t d = lanes.d;
    const double* step = values.data() + lanes.stepLane();
    // (I - S)^-1 column by column must be non-negative and finite.
    for (std::size_t j = 0; j < d; ++j) {
        std::vector<double> unit(d, 0.0);
        unit[j] = 1.0;
        for (std::size_t i = 0; i < d; ++i) {
            std::vector<double> row(d, 0.0);
            row[i] = 1.0;
            // e_i^T (I - S)^-1 e_j
            const double entry = renewalValue<double>(d, row.data(), step, unit.data());
            if (!std::isfinite(entry) || entry < -1e-12) {
                return {};
            }
        }
    }
    std::array<std::array<double, modeCount>, modeCount> a{};
    std::array<double, modeCount> x{};
    for (std::size_t i = 0; i < d; ++i) {
        for (std::size_t j = 0; j < d; ++j) {
            a[i][j] = (i == j ? 1.0 : 0.0) - step[i * d + j];
        }
        x[i] = values[lanes.endLane() + i];
    }
    solveDominantInPlace(a, x, d);
    return {x.begin(), x.begin() + static_cast<std::ptrdiff_t>(d)};
}

double realTransform(const Lanes& lanes, double coinRate, double gameRate) {
    const std::vector<double> values = laneValues(lanes, coinRate, gameRate);
    const std::vector<double> x = renewalAfterFirstBig(lanes, values);
    if (x.empty()) {
        return std::numeric_limits<double>::infinity();
    }
    double result = 0.0;
    for (std::size_t c = lanes.d; c-- > 0;) {
        result += values[lanes.firstLane() + c] * x[c];
    }
    return std::isfinite(result) && result > 0.0 ? result : std::numeric_limits<double>::infinity();
}

void prepareLaterPieces(NetTransformJob& job, const Lanes& lanes, const MachineModel& model,
                        const AttemptSegments& segments, const PeriodicCost& cost) {
    job.d = lanes.d;
    job.width = lanes.count + 1;
    job.longestGames = lanes.longestGames;
    job.mostRegs = lanes.mostRegs;
    groupLaterPieces(lanes, static_cast<std::size_t>(cost.period), job);
    job.model = &model;
    job.postBigModes = segments.postBigModes;
    job.rounding = roundingPeriod(cost);
}

void groupLaterPieces(const Lanes& lanes, std::size_t period, NetTransformJob& job) {
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
            const auto at = static_cast<std::uint32_t>(job.masses.size());
            job.groups.push_back({static_cast<std::size_t>(e.games) % period,
                                  static_cast<std::size_t>(e.lane), e.games, e.big, e.regs, at,
                                  at});
        }
        NetGroup& group = job.groups.back();
        job.masses.resize(group.begin + static_cast<std::size_t>(e.regs - group.firstReg) + 1, 0.0);
        job.masses.back() += e.mass;
        group.end = static_cast<std::uint32_t>(job.masses.size());
    }
}

}  // namespace korvale
