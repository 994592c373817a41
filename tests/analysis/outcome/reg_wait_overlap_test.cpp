#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "analysis/outcome/outcome_law.h"
#include "analysis/outcome/reg_wait_law.h"

namespace korvale {
namespace {

// With the REG end exactly one game above the BIG end both laws apply: the covered one renews at
// every BIG, the REG-wait one at REGs and clean BIGs with a window of one game. Two ways of
// cutting the same attempt must give the same law.
TEST(RegWaitLawTest, AgreesWithTheCoveredLawWhereBothApply) {
    struct Rule {
        std::int32_t setting;
        double bigEnd;
    };
#ifdef KORVALE_SANITIZED
    // The sanitizers make a law some thirty times slower: short rules.
    const Rule rules[] = {{0, 0.0}, {5, 9.0}};
#else
    const Rule rules[] = {{0, 0.0}, {1, 49.0}, {2, 99.0}, {3, 149.0}, {4, 199.0}, {5, 299.0}};
#endif
    for (const Rule& rule : rules) {
        const EndConditions end{rule.bigEnd, static_cast<std::int32_t>(rule.bigEnd) + 1};
        SCOPED_TRACE(std::to_string(rule.setting) + " " + std::to_string(rule.bigEnd));
        const NetLawHead waiting = solveRegWaitNetHead(machineModel(rule.setting), end);
        const NetLawHead covered = solveNetLawHead(rule.setting, end, {}, {.threads = 1});
        EXPECT_NEAR(waiting.pAhead, covered.pAhead, waiting.errorBound + covered.errorBound);
        EXPECT_LE(waiting.errorBound, 1e-4);
        for (const double level : {0.1, 0.25, 0.5}) {
            EXPECT_EQ(waiting.net.quantile(level), covered.net.quantile(level)) << level;
        }
    }
}

// One mode that keeps itself, BIG chance b and REG chance r. After a BIG with the longest REG
// wait left, X = 0 and Y = 2: the attempt ends after one more game without a bonus. Worked by
// hand: the first game must be a REG, which leaves two games to go; from then on a REG sets
// two again, a game without a bonus one fewer, and a BIG ends the chain.
TEST(RegWaitLawTest, BigFreeChainsWorkedByHand) {
    MachineModel model;
    const double r = 0.1;
    const double b = 0.3;
    model.regProbability = r;
    model.bigProbability[0] = b;
    model.regNextMode[0][0] = 1.0;
    model.bigNextMode[0][0] = 1.0;
    const struct {
        std::int32_t games;
        double chance;
    } cases[] = {{1, r}, {2, r * (1 - b)}, {3, r * r * (2 - 2 * b - r)}};
    for (const auto& c : cases) {
        EXPECT_NEAR(bigFreeChances(model, 0, 2, c.games)[0], c.chance, 1e-15) << c.games;
    }
    // With four games to go (Y = 5) three games need only be free of BIGs; after four, one
    // of them must have been a REG.
    EXPECT_NEAR(bigFreeChances(model, 0, 5, 3)[0], std::pow(1 - b, 3), 1e-15);
    EXPECT_NEAR(bigFreeChances(model, 0, 5, 4)[0], std::pow(1 - b, 4) - std::pow(1 - r - b, 4),
                1e-15);
}

}  // namespace
}  // namespace korvale
