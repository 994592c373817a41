// The head of the net's law for a REG end that outlasts the BIG end, against seeded play of
// the machine itself: the batch program's attempt run plays the attempts and tallies their nets.
// Intervals by the normal approximation to the binomial; each rule checks three figures, and
// every figure gets the width that makes the whole family's coverage 99% (Bonferroni).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/outcome/reg_wait_law.h"
#include "common/random_source.h"
#include "play/attempt_run.h"
#include "tests/support/normal_quantile.h"

namespace korvale {
namespace {

struct SimulatedRule {
    std::int32_t setting;
    EndConditions end;
};

TEST(RegWaitSimulationTest, HeadAgreesWithTheMachinesPlay) {
#ifdef KORVALE_SANITIZED
    // The machine and the law run many times slower under the sanitizers: fewer attempts
    // (intervals some seven times wider) and two rules, REG ends of 100 (the head's work grows
    // with the REG end).
    constexpr std::int64_t attempts = 20000;
    const std::vector<SimulatedRule> rules = {{2, {50.0, 100}}, {0, {0.0, 100}}};
#else
    constexpr std::int64_t attempts = 1000000;
    const std::vector<SimulatedRule> rules = {{0, {0.0, 300}},   {1, {250.0, 300}},
                                              {2, {50.0, 100}},  {3, {100.0, 250}},
                                              {4, {150.0, 200}}, {5, {200.0, 300}}};
#endif
    const double z = twoSidedNormalQuantile(0.01 / (3.0 * double(rules.size())));
    const double n = double(attempts);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const auto& [setting, end] = rules[i];
        SCOPED_TRACE("setting index " + std::to_string(setting) + ", " +
                     std::to_string(end.bigEnd) + "/" + std::to_string(end.regEnd));
        const NetLawHead head = solveRegWaitNetHead(machineModel(setting), end);
        Xoshiro256PlusPlus random(20261209 + i);
        WorkerCounts counts;
        const AttemptTotals played = playAttempts(setting, end, std::nullopt, {}, HallRates{},
                                                  attempts, random, {}, counts, nullptr);
        ASSERT_EQ(played.attempts, attempts);
        const Tally& nets = played.netLaw;
        // The law's own error, and the attempts whose rounding may leave the table's by a coin.
        const double allowance = head.errorBound + head.beyondRounding;
        const double ahead = double(nets.countAtLeast(1)) / n;
        EXPECT_NEAR(head.pAhead, ahead, z * std::sqrt(ahead * (1.0 - ahead) / n) + allowance)
            << "played " << ahead;
        for (const double q : {0.1, 0.5}) {
            // The law's q-point k: P(net <= k - 1) < q <= P(net <= k), so the played shares
            // at or below k and at or below k - 1 bracket q within their intervals.
            const std::int64_t k = head.net.quantile(q);
            const double atMost = 1.0 - double(nets.countAtLeast(k + 1)) / n;
            const double below = 1.0 - double(nets.countAtLeast(k)) / n;
            const double width = z * std::sqrt(q * (1.0 - q) / n) + allowance;
            EXPECT_GE(atMost, q - width) << q << ": law's point " << k;
            EXPECT_LE(below, q + width) << q << ": law's point " << k;
        }
    }
}

}  // namespace
}  // namespace korvale
