#include "analysis/attempt/end_sweep.h"

#include <atomic>
#include <stdexcept>

#include "analysis/attempt/attempt_start.h"
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
    // others and reaches the caller. Worker 0 runs on the calling thread and tells the progress.
    const std::size_t taskCount = points.size() * settings.size();
    std::atomic<std::size_t> tasksDone{0};
    shareTasks(taskCount, control.workers(), [&](std::size_t task) {
        if (control.progress && currentWorker() == 0U) {
            control.progress(static_cast<double>(tasksDone) / static_cast<double>(taskCount));
        }
        const std::size_t setting = task / points.size();
        const std::size_t point = task % points.size();
        sweeps[setting].points[point] =
            solveAttempt(settings[setting], points[point], CostRounding::Unrounded, starts[setting],
                         {.cancel = control.cancel});
        ++tasksDone;
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
