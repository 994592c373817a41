#include "analysis/attempt/end_sweep.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <stdexcept>

#include "analysis/attempt/attempt_start.h"
#include "analysis/attempt/capped_attempt.h"
#include "common/parallel_work.h"

namespace korvale {

std::vector<EndConditions> sweepPoints(const SweepGrid& grid) {
    if (grid.bigEndStep <= 0 || grid.regEndStep <= 0) {
        throw std::invalid_argument("sweep steps must be positive");
    }
    std::vector<EndConditions> points;
    for (std::int32_t big = grid.bigEndFirst; big <= grid.bigEndLast; big += grid.bigEndStep) {
        for (std::int32_t reg = grid.regEndFirst; reg <= grid.regEndLast; reg += grid.regEndStep) {
            points.push_back({static_cast<double>(big), reg});
        }
    }
    return points;
}

std::vector<SettingSweep> sweepEndConditions(const SweepGrid& grid,
                                             std::vector<std::int32_t> settings,
                                             const WorkControl& control) {
    const std::vector<EndConditions> points = sweepPoints(grid);
    std::vector<SettingSweep> sweeps(settings.size());
    std::vector<AttemptStart> starts;
    for (const std::int32_t setting : settings) {
        starts.push_back(grid.sinceBig ? foundStart(machineModel(setting), *grid.sinceBig)
                                       : morningStart());
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        sweeps[i].setting = settings[i];
        sweeps[i].points.resize(points.size());
    }

    // Each task is one (setting, end conditions) pair; the first solve that fails stops the
    // others and reaches the caller. Worker 0 runs on the calling thread and tells the progress,
    // each task counting for its share of the work.
    const std::size_t taskCount = points.size() * settings.size();
    std::vector<double> work(taskCount, 1.0);
    std::vector<std::size_t> order(taskCount);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (grid.maxGames) {
        for (std::size_t task = 0; task < taskCount; ++task) {
            work[task] = cappedAttemptSeconds(points[task % points.size()], *grid.maxGames);
        }
        // The dearest first, so that none is left to run alone at the end.
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return work[a] > work[b]; });
        for (SettingSweep& sweep : sweeps) {
            sweep.limitReached.resize(points.size());
        }
    }
    const double allWork = std::accumulate(work.begin(), work.end(), 0.0);
    std::atomic<double> workDone{0.0};
    shareTasks(taskCount, control.workers(), [&](std::size_t next) {
        if (control.progress && currentWorker() == 0U) {
            control.progress(workDone.load() / allWork);
        }
        const std::size_t task = order[next];
        const std::size_t setting = task / points.size();
        const std::size_t point = task % points.size();
        AttemptFigures& figures = sweeps[setting].points[point];
        if (grid.maxGames) {
            const CappedAttemptFigures capped =
                solveCappedAttempt(settings[setting], points[point], *grid.maxGames,
                                   starts[setting], {.cancel = control.cancel});
            figures = capped.figures;
            sweeps[setting].limitReached[point] = capped.limitReachedChance;
        } else {
            figures = solveAttempt(settings[setting], points[point], CostRounding::Unrounded,
                                   starts[setting], {.cancel = control.cancel});
        }
        // A loop rather than fetch_add, which not every standard library has for double.
        double done = workDone.load();
        while (!workDone.compare_exchange_weak(done, done + work[task])) {
        }
    });

    for (SettingSweep& sweep : sweeps) {
        for (std::size_t i = 0; i < sweep.points.size(); ++i) {
            if (sweep.points[i].expectedNet > sweep.points[sweep.bestPerAttempt].expectedNet) {
                sweep.bestPerAttempt = i;
            }
            if (sweep.points[i].netPer1000Games >
                sweep.points[sweep.bestPer1000Games].netPer1000Games) {
                sweep.bestPer1000Games = i;
            }
        }
    }
    return sweeps;
}

}  // namespace korvale
