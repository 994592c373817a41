#include "ui/analysis_window/aim_service.h"

#include "analysis/found/hunt_cash.h"
#include "ui/analysis_window/exact_service.h"

namespace korvale {

QString AimWork::failure(const Status& status) {
    return figuresFailure(status);
}

AimCurves AimWork::solve(const AimSetup& setup, const LongWorkControl<AimCurves>& control) {
    // One setting a thread on two threads: each curve is drawn as soon as it is in.
    constexpr unsigned threads = 2;
    AimCurves soFar;
    soFar.setup = setup;
    soFar.table.gamesSinceBig = huntPoints(HuntGrid{});
    // From cash the lots take about as long again as the table.
    const double tableShare = setup.cashLend ? 0.5 : 1.0;
    const auto settingDone = [&](const HuntColumn& column) {
        soFar.table.settings.push_back(column);
        control.progress(tableShare * static_cast<double>(soFar.table.settings.size()) /
                         settingCount);
        control.show(soFar);
    };
    AimCurves curves;
    curves.setup = setup;
    const std::vector<std::int32_t> settings = {0, 1, 2, 3, 4, 5};
    curves.table =
        solveHuntTable(setup.end, HuntGrid{}, settings, setup.prior, CostRounding::Unrounded,
                       setup.maxGames, settingDone, {.cancel = control.cancel, .threads = threads});
    if (setup.cashLend) {
        curves.cashLots = solveHuntLots(
            settings, curves.table.gamesSinceBig, *setup.cashLend,
            {.cancel = control.cancel,
             .progress = [&](double share) { control.progress(tableShare + share * 0.5); },
             .threads = threads});
    }
    return curves;
}

}  // namespace korvale
