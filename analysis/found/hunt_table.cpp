#include "analysis/found/hunt_table.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <stdexcept>

#include "analysis/attempt/attempt_start.h"
#include "analysis/attempt/capped_attempt.h"
#include "analysis/found/figure_mixture.h"
#include "analysis/found/found_posterior.h"
#include "analysis/outcome/start_grid.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "common/parallel_work.h"
#include "common/status.h"

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

namespace {

// Each count's chance to end ahead and their bound; none for attempts too long for the law's
// tables.
void aheadChances(HuntColumn& column, const MachineModel& model, EndConditions end,
                  const std::vector<AttemptStart>& starts, const std::atomic<bool>* cancel) {
    try {
        for (const NetLawHead& head :
             solveNetLawHeads(model, end, starts, {.cancel = cancel, .threads = 1})) {
            column.pAhead.push_back(head.pAhead);
            column.pAheadBound = std::max(column.pAheadBound, ruleRiskOf(head).errorBound);
        }
    } catch (const StatusError& error) {
        if (error.reason() != StatusReason::AttemptsTooLong) {
            throw;
        }
        column.pAhead.clear();
        column.pAheadBound = 0.0;
    }
}

// The posterior's mixture of the settings' chances to end ahead, when every setting has them.
std::vector<double> mixedAheadChances(const HuntTable& table) {
    for (const HuntColumn& column : table.settings) {
        if (column.pAhead.empty()) {
            return {};
        }
    }
    std::vector<double> mixed(table.gamesSinceBig.size(), 0.0);
    for (std::size_t k = 0; k < mixed.size(); ++k) {
        for (const HuntColumn& column : table.settings) {
            mixed[k] +=
                table.posteriors[k][static_cast<std::size_t>(column.setting)] * column.pAhead[k];
        }
    }
    return mixed;
}

}  // namespace

HuntTable solveHuntTable(EndConditions end, const HuntGrid& grid,
                         const std::vector<std::int32_t>& settings, const SettingVector& prior,
                         CostRounding rounding, std::optional<std::int32_t> maxGames,
                         const HuntColumnDone& settingDone, const WorkControl& control,
                         HuntChances chances) {
    const std::atomic<bool>* cancel = control.cancel;
    HuntTable table;
    std::mutex told;
    table.gamesSinceBig = huntPoints(grid);
    const std::vector<std::int32_t>& counts = table.gamesSinceBig;
    table.settings.resize(settings.size());
    shareTasks(settings.size(), control.workers(), [&](std::size_t i) {
        const MachineModel model = machineModel(settings[i]);
        std::vector<AttemptStart> starts;
        for (const std::int32_t g : counts) {
            starts.push_back(foundStart(model, g));
        }
        HuntColumn& column = table.settings[i];
        column.setting = settings[i];
        if (maxGames) {
            for (const AttemptStart& start : starts) {
                column.points.push_back(
                    solveCappedAttempt(model, end, *maxGames, start, {.cancel = cancel}).figures);
            }
        } else {
            column.points = solveAttemptStarts(model, end, starts, rounding, {.cancel = cancel});
        }
        for (AttemptFigures& one : column.points) {
            one.setting = settings[i];
        }
        column.breakEven = breakEvenCount(counts, column.points);
        if (!maxGames && chances == HuntChances::WithAhead) {
            aheadChances(column, model, end, starts, cancel);
        }
        if (settingDone) {
            const std::lock_guard<std::mutex> lock(told);
            settingDone(column);
        }
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
    mixture.pAhead = mixedAheadChances(table);
    // The posterior's weights sum to 1: the mixture is off by at most the largest bound.
    for (const HuntColumn& column : table.settings) {
        mixture.pAheadBound =
            mixture.pAhead.empty() ? 0.0 : std::max(mixture.pAheadBound, column.pAheadBound);
    }
    mixture.breakEven = breakEvenCount(counts, mixture.points);
    table.mixture = std::move(mixture);
    return table;
}

}  // namespace korvale
