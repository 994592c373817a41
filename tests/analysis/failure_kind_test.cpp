// Every failure the analysis expects is a status naming its own cause, so that the window and
// korvale-batch can say the right one; a caller that breaks a contract gets a logic_error.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_games_law.h"
#include "analysis/attempt/end_sweep.h"
#include "analysis/inference/bonus_history_reader.h"
#include "analysis/inference/setting_estimate.h"
#include "analysis/model/machine_model.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/outcome/attempt_segments.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "common/status.h"

namespace korvale {
namespace {

TEST(FailureKindTest, EachExpectedFailureNamesItsCause) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::atomic<bool> calledOff{true};
    const struct {
        const char* name;
        std::function<void()> operation;
        std::optional<StatusReason> kind;  // nothing: a broken contract (std::logic_error)
    } cases[] = {
        {"figures, BIG end beyond 2000",
         [] {
             solveAttempt(0, {2000.5, 0});
         },
         StatusReason::EndBeyondTables},
        {"figures, REG end beyond 1000",
         [] {
             solveAttempt(0, {300.0, 1001});
         },
         StatusReason::EndBeyondTables},
        {"figures, BIG end not a number",
         [nan] {
             (void)wholeGames({nan, 0});
         },
         StatusReason::EndBeyondTables},
        {"figures, called off",
         [&] {
             solveAttempt(0, {0.0, 0}, CostRounding::Exact, {}, {.cancel = &calledOff});
         },
         StatusReason::Cancelled},
        {"law, REG end of the BIG end + 2",
         [] {
             solveOutcomeLaw(0, {100.0, 102});
         },
         StatusReason::LawNotCovered},
        {"law, BIG end beyond 2000 with no REG end",
         [] {
             solveOutcomeLaw(0, {2500.0, 0});
         },
         StatusReason::EndBeyondTables},
        {"law, REG end beyond 1000",
         [] {
             throw StatusError(outcomeLawCoverage({1500.0, 1001}));
         },
         StatusReason::EndBeyondTables},
        {"law, called off",
         [&] {
             solveOutcomeLaw(0, {0.0, 0}, {}, {.cancel = &calledOff, .threads = 1});
         },
         StatusReason::Cancelled},
        // Every long call hears its control's flag, on however many threads.
        {"sweep of the means, called off",
         [&] { (void)sweepEndConditions({}, {0}, {.cancel = &calledOff, .threads = 2}); },
         StatusReason::Cancelled},
        {"sweep of the risks, called off",
         [&] {
             (void)sweepRuleRisks({0, 0, 1, 0, 0, 1}, {0}, {}, {.cancel = &calledOff});
         },
         StatusReason::Cancelled},
        {"rule risk, called off",
         [&] {
             (void)solveRuleRisk(0, {0.0, 0}, {}, {.cancel = &calledOff, .threads = 2});
         },
         StatusReason::Cancelled},
        {"head of the law, a REG end that outlasts the BIG end, called off",
         [&] {
             (void)solveNetLawHead(0, {0.0, 5}, {}, {.cancel = &calledOff, .threads = 2});
         },
         StatusReason::Cancelled},
        {"games' law, called off",
         [&] {
             (void)attemptGamesLaw(machineModel(0), {0, 0}, 1024, {}, {.cancel = &calledOff});
         },
         StatusReason::Cancelled},
        {"law pieces, called off",
         [&] {
             (void)attemptSegments(machineModel(0), 0, 0, segmentTail, segmentSmallest, {},
                                   {.cancel = &calledOff, .threads = 2});
         },
         StatusReason::Cancelled},
        {"law pieces, REG end of the BIG end + 2",
         [] { (void)attemptSegments(machineModel(0), 10, 12); }, StatusReason::LawNotCovered},
        {"history, a line that does not read",
         [] { (void)readBonusHistory("BIG 10\nBIG x\n").value(); }, StatusReason::NotABonusHistory},
        {"history, impossible under the only setting the prior allows",
         [] {
             (void)posteriorOf({-INFINITY, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}).value();
         },
         StatusReason::ImpossibleHistory},
        {"equations without an answer",
         [] {
             std::array<double, 2> b{1.0, 1.0};
             solveInPlace(std::array<std::array<double, 2>, 2>{}, b);
         },
         StatusReason::NoSolution},
        {"setting index 6",
         [] {
             solveOutcomeLaw(6, {0.0, 0});
         },
         std::nullopt},
        {"law pieces, negative BIG end", [] { (void)attemptSegments(machineModel(0), -1, 0); },
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            // As a caller gets it back: a status, never the exception that carried it.
            const Status status = catchStatus(c.operation);
            ASSERT_TRUE(c.kind.has_value()) << status.message();
            EXPECT_EQ(status.reason(), *c.kind) << status.message();
        } catch (const std::logic_error& error) {
            EXPECT_FALSE(c.kind.has_value()) << error.what();
        }
    }
}

}  // namespace
}  // namespace korvale
