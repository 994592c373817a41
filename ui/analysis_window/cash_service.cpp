#include "ui/analysis_window/cash_service.h"

#include <algorithm>

#include "batch/run/attempt_run.h"
#include "batch/run/batch_run.h"
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
    RunControl run(1);
    AttemptTotals totals;
    totals.cash.rates = setup.rates;
    while (totals.attempts < cashAttempts) {
        stopIfCalledOff(control.cancel);
        const std::int64_t step = std::min(attemptsPerStep, cashAttempts - totals.attempts);
        const AttemptTotals played = playAttempts(setup.setting, setup.end, std::nullopt, {},
                                                  setup.rates, step, random, run, 0, nullptr);
        if (played.attempts < step) {
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
