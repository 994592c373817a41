#include "analysis/found/hunt_table.h"

#include <array>
#include <stdexcept>

#include "analysis/attempt/attempt_start.h"
#include "analysis/found/figure_mixture.h"
#include "analysis/found/found_posterior.h"
#include "common/parallel_work.h"

namespace korvale {

std::vector<std::int32_t> huntPoints(const HuntGrid& grid) {
    if (grid.step <= 0) {
        throw std::invalid_argument("the grid's step must be positive");
    }
    std::vector<std::int32_t> counts;
    for (std::int64_t g = grid.first; g <= grid.last; g += grid.step) {
        counts.push_back(static_cast<std::int32_t>(g));
    }
    return counts;
}

std::optional<std::int32_t> breakEvenCount(const std::vector<std::int32_t>& counts,
                                           const std::vector<AttemptFigures>& points) {
    std::optional<std::int32_t> from;
    for (std::size_t i = counts.size(); i-- > 0;) {
        if (!(points[i].expectedNet > 0.0)) {
            break;
        }
        from = counts[i];
    }
    return from;
}

HuntTable solveHuntTable(EndConditions end, const HuntGrid& grid,
                         const std::vector<std::int32_t>& settings, const SettingVector& prior,
                         CostRounding rounding, unsigned threads, const std::atomic<bool>* cancel) {
    HuntTable table;
    table.gamesSinceBig = huntPoints(grid);
    const std::vector<std::int32_t>& counts = table.gamesSinceBig;
    table.settings.resize(settings.size());
    shareTasks(settings.size(), threads, [&](std::size_t i) {
        const MachineModel model = machineModel(settings[i]);
        std::vector<AttemptStart> starts;
        for (const std::int32_t g : counts) {
            starts.push_back(foundStart(model, g));
        }
        HuntColumn& column = table.settings[i];
        column.setting = settings[i];
        column.points = solveAttemptStarts(model, end, starts, rounding, {cancel, {}});
        for (AttemptFigures& one : column.points) {
            one.setting = settings[i];
        }
        column.breakEven = breakEvenCount(counts, column.points);
    });
    if (settings.size() != settingCount) {
        return table;
    }
    const SettingModels models = machineModels();
    HuntColumn mixture;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        table.posteriors.push_back(foundSettingPosterior(models, prior, counts[k]));
        std::array<AttemptFigures, settingCount> bySetting;
        for (std::size_t s = 0; s < settingCount; ++s) {
            bySetting[static_cast<std::size_t>(settings[s])] = table.settings[s].points[k];
        }
        mixture.points.push_back(mixAttemptFigures(bySetting, table.posteriors.back()));
    }
    mixture.breakEven = breakEvenCount(counts, mixture.points);
    table.mixture = std::move(mixture);
    return table;
}

}  // namespace korvale
