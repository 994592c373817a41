// The head of the net's law for a REG end that outlasts the BIG end, against the forward
// reference on a small machine whose attempts often reach the BIG ceiling (game 12).

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/outcome/reg_wait_law.h"
#include "tests/analysis/outcome/reg_wait_reference.h"

namespace korvale {
namespace {

// The head's q-quantile k is the reference's when P(net <= k - 1) < q <= P(net <= k) holds in
// the reference up to the two sides' errors (equality but for a cumulative chance within the
// tolerance of q).
void expectSameQuantile(const NetLawHead& head, const ReferenceNetLaw& reference, double q,
                        double tolerance) {
    const std::int64_t k = head.net.quantile(q);
    EXPECT_GE(reference.atMost(k), q - tolerance)
        << q << ": head " << k << ", reference " << reference.quantile(q);
    EXPECT_LT(reference.atMost(k - 1), q + tolerance)
        << q << ": head " << k << ", reference " << reference.quantile(q);
}

TEST(RegWaitLawTest, HeadAgreesWithTheForwardReference) {
    struct Rule {
        int bigEnd;
        int regEnd;
    };
#ifdef KORVALE_SANITIZED
    const std::vector<Rule> rules = {{0, 1}, {0, 5}};
#else
    // Y = X + 1 (the outcome law's too) and REG waits far longer than the BIG end, that
    // straddle the ceiling (game 12): a REG at game 9, 10 or 11 after a BIG holds the
    // attempt past it.
    const std::vector<Rule> rules = {{0, 1}, {4, 5}, {0, 5}, {2, 9}, {3, 10}, {6, 12}};
#endif
    const MachineModel model = smallReferenceMachine();
    for (const Rule& rule : rules) {
        SCOPED_TRACE(std::to_string(rule.bigEnd) + "/" + std::to_string(rule.regEnd));
        const ReferenceNetLaw reference = referenceNetLaw(model, rule.bigEnd, rule.regEnd);
        ASSERT_LT(reference.unfinished + reference.dropped, 1e-12);
        const NetLawHead head = solveRegWaitNetHead(model, {double(rule.bigEnd), rule.regEnd});
        const double tolerance =
            std::max(1e-9, head.errorBound) + reference.unfinished + reference.dropped;
        EXPECT_NEAR(head.pAhead, reference.pAhead(), tolerance)
            << "error bound " << head.errorBound;
        for (const double q : {0.1, 0.5}) {
            expectSameQuantile(head, reference, q, tolerance);
        }
        EXPECT_GT(reference.pAhead(), 0.05);
        EXPECT_LT(reference.pAhead(), 0.95);
    }
}

TEST(RegWaitLawTest, RejectsAShorterRegEnd) {
    const MachineModel model = smallReferenceMachine();
    EXPECT_THROW(solveRegWaitNetHead(model, {5.0, 5}), std::invalid_argument);
    EXPECT_THROW(solveRegWaitNetHead(model, {5.0, 0}), std::invalid_argument);
}

}  // namespace
}  // namespace korvale
