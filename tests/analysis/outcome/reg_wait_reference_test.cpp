// The forward reference that the REG-wait law is checked against, first checked itself against
// the outcome law on the end conditions that law covers (the REG end at most the BIG end plus
// one game), on the same small machine.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/outcome/outcome_law.h"
#include "tests/analysis/outcome/reg_wait_reference.h"

namespace korvale {
namespace {

TEST(RegWaitReferenceTest, AgreesWithTheOutcomeLawWhereThatCovers) {
    struct Rule {
        int bigEnd;
        int regEnd;
    };
#ifdef KORVALE_SANITIZED
    const std::vector<Rule> rules = {{0, 0}, {0, 1}};
#else
    // At once, a REG end that holds the end, one shorter, and BIG ends on both sides of the
    // ceiling (game 12).
    const std::vector<Rule> rules = {{0, 0}, {0, 1}, {4, 3}, {6, 7}, {13, 2}};
#endif
    const MachineModel model = smallReferenceMachine();
    for (const Rule& rule : rules) {
        SCOPED_TRACE(std::to_string(rule.bigEnd) + "/" + std::to_string(rule.regEnd));
        const ReferenceNetLaw reference = referenceNetLaw(model, rule.bigEnd, rule.regEnd);
        EXPECT_LT(reference.unfinished + reference.dropped, 1e-12);
        const OutcomeLaw law =
            solveOutcomeLaw(model, {double(rule.bigEnd), rule.regEnd}, {}, {.threads = 1});
        ASSERT_LT(law.errorBound, 1e-9);
        const double tolerance = law.errorBound + reference.unfinished + reference.dropped;
        EXPECT_NEAR(law.pAhead, reference.pAhead(), tolerance);
        double worst = 0.0;
        for (const auto& [net, chance] : reference.net) {
            worst = std::max(worst, std::abs(law.net.at(net) - chance));
        }
        EXPECT_LE(worst, tolerance) << "largest gap between the two nets' chances";
        for (const double q : {0.01, 0.1, 0.5, 0.9}) {
            EXPECT_EQ(law.net.quantile(q), reference.quantile(q)) << q;
        }
        // Some attempts end behind, some ahead: the comparison means something either side.
        EXPECT_GT(reference.pAhead(), 0.05);
        EXPECT_LT(reference.pAhead(), 0.95);
    }
}

TEST(RegWaitReferenceTest, MeanNetIsTheAttemptsExpectedNet) {
    // Where the outcome law does not reach (REG ends beyond the BIG end plus one game), the
    // attempt figures do: their expected net with the exact rounding is the reference's mean.
    struct Rule {
        int ceiling;
        int bigEnd;
        int regEnd;
    };
#ifdef KORVALE_SANITIZED
    const std::vector<Rule> rules = {{40, 0, 4}};
#else
    const std::vector<Rule> rules = {{12, 2, 9}, {40, 0, 4}, {40, 0, 5}, {40, 1, 4}};
#endif
    for (const Rule& rule : rules) {
        SCOPED_TRACE("ceiling " + std::to_string(rule.ceiling) + ", " +
                     std::to_string(rule.bigEnd) + "/" + std::to_string(rule.regEnd));
        const MachineModel model = smallReferenceMachine(rule.ceiling);
        const ReferenceNetLaw reference = referenceNetLaw(model, rule.bigEnd, rule.regEnd);
        double mean = 0.0;
        for (const auto& [net, chance] : reference.net) {
            mean += double(net) * chance;
        }
        const AttemptFigures figures =
            solveAttempt(model, {double(rule.bigEnd), rule.regEnd}, CostRounding::Exact);
        ASSERT_EQ(figures.costRounding, CostRounding::Exact);
        EXPECT_NEAR(mean, figures.expectedNet, 1e-8 * std::abs(figures.expectedNet));
    }
}

}  // namespace
}  // namespace korvale
