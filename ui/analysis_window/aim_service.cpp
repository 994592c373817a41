#include "ui/analysis_window/aim_service.h"

#include "ui/analysis_window/exact_service.h"

namespace korvale {

QString AimWork::failure(const RuntimeError& error) {
    return figuresFailure(error);
}

AimCurves AimWork::solve(const AimSetup& setup, const LongWorkControl<AimCurves>& control) {
    // One setting a thread on two threads: each curve is drawn as soon as it is in.
    constexpr unsigned threads = 2;
    AimCurves soFar;
    soFar.setup = setup;
    soFar.table.gamesSinceBig = huntPoints(HuntGrid{});
    const auto settingDone = [&](const HuntColumn& column) {
        soFar.table.settings.push_back(column);
        control.progress(static_cast<double>(soFar.table.settings.size()) / settingCount);
        control.show(soFar);
    };
    AimCurves curves;
    curves.setup = setup;
    curves.table = solveHuntTable(setup.end, HuntGrid{}, {0, 1, 2, 3, 4, 5}, setup.prior,
                                  CostRounding::Unrounded, setup.maxGames, settingDone,
                                  {.cancel = control.cancel, .threads = threads});
    return curves;
}

}  // namespace korvale
