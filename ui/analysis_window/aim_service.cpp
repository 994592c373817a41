#include "ui/analysis_window/aim_service.h"

#include <array>
#include <utility>

#include "analysis/found/figure_mixture.h"
#include "analysis/found/found_posterior.h"
#include "analysis/model/machine_model.h"
#include "ui/analysis_window/exact_service.h"

namespace korvale {
namespace {

// The prior's mixture of the six settings' columns at each count, as solveHuntTable makes it
// when it works out all six at once.
void mixSettings(HuntTable& table, const SettingVector& prior) {
    const SettingModels models = machineModels();
    HuntColumn mixture;
    for (std::size_t k = 0; k < table.gamesSinceBig.size(); ++k) {
        table.posteriors.push_back(foundSettingPosterior(models, prior, table.gamesSinceBig[k]));
        std::array<AttemptFigures, settingCount> bySetting;
        for (std::size_t s = 0; s < settingCount; ++s) {
            bySetting[s] = table.settings[s].points[k];
        }
        mixture.points.push_back(mixAttemptFigures(bySetting, table.posteriors.back()));
    }
    mixture.breakEven = breakEvenCount(table.gamesSinceBig, mixture.points);
    table.mixture = std::move(mixture);
}

}  // namespace

QString AimWork::failure(const RuntimeError& error) {
    return figuresFailure(error);
}

AimCurves AimWork::solve(const AimSetup& setup, const LongWorkControl<AimCurves>& control) {
    // Two settings a pass, one a thread: the curves come in three steps, each drawn at once.
    constexpr std::int32_t perPass = 2;
    AimCurves curves;
    curves.setup = setup;
    for (std::int32_t first = 0; first < settingCount; first += perPass) {
        HuntTable pass =
            solveHuntTable(setup.end, HuntGrid{}, {first, first + 1}, setup.prior,
                           CostRounding::Unrounded, {.cancel = control.cancel, .threads = perPass});
        curves.table.gamesSinceBig = pass.gamesSinceBig;
        for (HuntColumn& column : pass.settings) {
            curves.table.settings.push_back(std::move(column));
        }
        control.progress(static_cast<double>(first + perPass) / settingCount);
        control.show(curves);
    }
    mixSettings(curves.table, setup.prior);
    return curves;
}

}  // namespace korvale
