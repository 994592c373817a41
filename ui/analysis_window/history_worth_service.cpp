#include "ui/analysis_window/history_worth_service.h"

#include "analysis/inference/setting_estimate.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/history_posterior.h"

namespace korvale {

QString HistoryWorthWork::failure(const Status& status) {
    return figuresFailure(status);
}

HistoryWorthResult HistoryWorthWork::solve(const HistoryWorthSetup& setup,
                                           const LongWorkControl<HistoryWorthResult>& control) {
    SettingFilter filter(setup.start);
    for (const ObservedBonus& bonus : setup.bonuses) {
        filter.addBonus(bonus);
    }
    const SettingEstimate estimate =
        sharedSettingEstimator()->estimate(filter, setup.trailingGames).value();
    // Two settings at a time, one a thread.
    constexpr unsigned threads = 2;
    HistoryWorthResult result;
    result.worth = solveHistoryWorth(
        machineModels(), filter.state(setup.trailingGames), estimate.posterior, setup.end,
        CostRounding::Exact,
        {.cancel = control.cancel, .progress = control.progress, .threads = threads});
    return result;
}

}  // namespace korvale
