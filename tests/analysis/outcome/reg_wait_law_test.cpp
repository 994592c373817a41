// The head of the net's law for a REG end that outlasts the BIG end, against the forward
// reference on small machines.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/outcome/reg_wait_law.h"
#include "tests/analysis/outcome/reg_wait_reference.h"

namespace korvale {
namespace {

// The head's q-quantile k is the reference's: P(net <= k - 1) < q <= P(net <= k) in the
// reference, up to the tolerance: the reference's own loss and the head's bound (with the
// ceiling at game 12 the head leaves a good share out after a BIG, and says so).
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
        int ceiling;
        int bigEnd;
        int regEnd;
    };
#ifdef KORVALE_SANITIZED
    const std::vector<Rule> rules = {{12, 0, 1}, {40, 0, 4}};
#else
    // With the ceiling at game 12: Y = X + 1 (the outcome law's too) and REG waits that
    // straddle the ceiling (a REG at game 9, 10 or 11 after a BIG holds the attempt past it).
    // With the ceiling at game 40, out of reach of most attempts after a BIG: REG waits one to
    // five games longer than the BIG end, where the head leaves next to nothing out.
    const std::vector<Rule> rules = {{12, 0, 1}, {12, 4, 5}, {12, 2, 9}, {12, 6, 12},
                                     {40, 0, 2}, {40, 0, 4}, {40, 1, 4}, {40, 0, 5}};
#endif
    for (const Rule& rule : rules) {
        SCOPED_TRACE("ceiling " + std::to_string(rule.ceiling) + ", " +
                     std::to_string(rule.bigEnd) + "/" + std::to_string(rule.regEnd));
        const MachineModel model = smallReferenceMachine(rule.ceiling);
        const ReferenceNetLaw reference = referenceNetLaw(model, rule.bigEnd, rule.regEnd);
        const double lost = reference.unfinished + reference.dropped;
        ASSERT_LT(lost, 1e-12);
        const NetLawHead head = solveRegWaitNetHead(model, {double(rule.bigEnd), rule.regEnd});
        EXPECT_NEAR(head.pAhead, reference.pAhead(), std::max(1e-9, head.errorBound) + lost)
            << "error bound " << head.errorBound;
        for (const double q : {0.1, 0.5}) {
            expectSameQuantile(head, reference, q, 1e-9 + lost + head.errorBound);
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
