#include "analysis/inference/filter_tables.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvale {
namespace {

constexpr double smallestStoredRun = 1e-250;

// The log of 1 - x, accurate for the small x of a quiet game.
double logOneMinus(double x) {
    return std::log1p(-x);
}

}  // namespace

FilterTables::FilterTables(const SettingModels& models) : ceilingGame(models[0].ceilingGame) {
    if (ceilingGame < 1) {
        throw std::invalid_argument("the ceiling game must be at least 1");
    }
    for (const MachineModel& model : models) {
        if (model.ceilingGame != ceilingGame) {
            throw std::invalid_argument("the six models must share their ceiling game");
        }
    }
    for (std::size_t s = 0; s < settingCount; ++s) {
        const MachineModel& model = models[s];
        const double r = model.regProbability;
        const double c = model.ceilingBigProbability;
        logReg[s] = std::log(r);
        logCeilingBig[s] = std::log(c);
        logCeilingQuiet[s] = logOneMinus(r + c);
        logReferenceQuiet[s] = -INFINITY;
        for (std::size_t m = 0; m < modeCount; ++m) {
            const double b = model.bigProbability[m];
            big[m][s] = b;
            logBig[m][s] = std::log(b);
            logQuiet[m][s] = logOneMinus(r + b);
            logReferenceQuiet[s] = std::max(logReferenceQuiet[s], logQuiet[m][s]);
        }
        for (std::size_t kind = 0; kind < 2; ++kind) {
            const ModeMatrix& rows = kind == 0 ? model.bigNextMode : model.regNextMode;
            for (std::size_t from = 0; from < modeCount; ++from) {
                double total = 0.0;
                for (const double chance : rows[from]) {
                    total += chance;
                }
                for (std::size_t to = 0; to < modeCount; ++to) {
                    next[kind][from][to][s] = total > 0.0 ? rows[from][to] : (from == to ? 1 : 0);
                }
            }
        }
    }
    quietRunRelative.resize(static_cast<std::size_t>(ceilingGame));
    for (std::size_t n = 0; n < quietRunRelative.size(); ++n) {
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                // A mode that never plays a quiet game, or a machine none of whose modes does.
                const bool never = std::isinf(logQuiet[m][s]);
                const double run = never
                                       ? (n == 0 ? 1.0 : 0.0)
                                       : std::exp(timesLog(static_cast<std::int64_t>(n),
                                                           logQuiet[m][s] - logReferenceQuiet[s]));
                quietRunRelative[n][m][s] = run < smallestStoredRun ? 0.0 : run;
            }
        }
    }
}

}  // namespace korvale
