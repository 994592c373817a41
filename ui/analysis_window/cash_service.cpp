#include "ui/analysis_window/cash_service.h"

#include <algorithm>

#include "play/attempt_run.h"
#include "play/parallel_run.h"
#include "ui/analysis_window/exact_service.h"

namespace korvale {

namespace {

// Attempts played between looks at the call-off flag.
constexpr std::int64_t attemptsPerStep = 500;

}  // namespace

QString CashWork::failure(const Status& status) {
    return figuresFailure(status);
}

CashMeasure CashWork::solve(const CashSetup& setup, const LongWorkControl<CashMeasure>& control) {
    // One stream played on, step after step: the attempts one thread of the batch program plays.
    Xoshiro256PlusPlus random = streamForThread(cashSeed, 0);
    WorkerCounts counts;
    AttemptTotals totals;
    totals.cash.rates = setup.rates;
    while (totals.attempts < cashAttempts) {
        stopIfCalledOff(control.cancel);
        const std::int64_t step = std::min(attemptsPerStep, cashAttempts - totals.attempts);
        const AttemptTotals played =
            playAttempts(setup.setting, setup.end, std::nullopt, {}, setup.rates, step, random,
                         control, counts, nullptr);
        // Called off in the middle of the step: the attempts it dropped are not a limit.
        stopIfCalledOff(control.cancel);
        if (counts.limit) {
            throw StatusError(StatusReason::Overflow, "a counter reached its limit");
        }
        totals.merge(played);
        control.progress(static_cast<double>(totals.attempts) / cashAttempts);
    }
    CashMeasure measure;
    measure.cash = std::move(totals.cash);
    return measure;
}

}  // namespace korvale
