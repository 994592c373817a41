// The attempt figures under each variant of the vector code that the processor offers, bit
// for bit against the baseline variant's: a block of roots holds more or fewer roots, and
// each of them rounds as its own solve would.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/numeric/vector_variant.h"

namespace korvale {
namespace {

struct Rule {
    MachineModel model;
    EndConditions end;
};

std::vector<std::uint64_t> figureBits(VectorVariant variant, const Rule& rule) {
    const VectorVariant running = activeVectorVariant();
    setVectorVariant(variant);
    const AttemptFigures f = solveAttempt(rule.model, rule.end, CostRounding::Exact);
    setVectorVariant(running);
    std::vector<std::uint64_t> bits;
    for (const double x : {f.expectedGames, f.expectedBigs, f.expectedCost, f.roundingErrorBound}) {
        bits.push_back(std::bit_cast<std::uint64_t>(x));
    }
    return bits;
}

// The machine's setting-5 rows with the ceiling at game 12 and high BIG chances, where the
// roots of a block settle after different numbers of passes (a REG end that outlasts the
// BIG end); without the sanitizers also 設定６ (1000 roots) so and 設定１ with one pass a root.
const std::vector<Rule>& rules() {
    static const std::vector<Rule> all = [] {
        MachineModel boosted = machineModel(4);
        for (double& p : boosted.bigProbability) {
            p = std::min(20.0 * p, 0.9);
        }
        boosted.ceilingBigProbability *= 20.0;
        boosted.ceilingGame = 12;
        std::vector<Rule> list = {{boosted, {2.0, 14}}};
#ifndef KORVALE_SANITIZED
        list.push_back({machineModel(5), {0.0, 40}});
        list.push_back({machineModel(0), {100.0, 50}});
#endif
        return list;
    }();
    return all;
}

// The baseline's figures, worked out once for all the variants.
const std::vector<std::uint64_t>& baselineBits(std::size_t rule) {
    static std::vector<std::vector<std::uint64_t>> done;
    while (done.size() <= rule) {
        done.push_back(figureBits(VectorVariant::sse2, rules()[done.size()]));
    }
    return done[rule];
}

class AttemptVariantTest : public testing::TestWithParam<VectorVariant> {};

TEST_P(AttemptVariantTest, GivesTheBaselineFiguresBitForBit) {
    const VectorVariant variant = GetParam();
    if (!vectorVariantSupported(variant)) {
        GTEST_SKIP() << "this processor lacks " << vectorVariantName(variant);
    }
    for (std::size_t rule = 0; rule < rules().size(); ++rule) {
        SCOPED_TRACE("rule " + std::to_string(rule));
        EXPECT_EQ(figureBits(variant, rules()[rule]), baselineBits(rule));
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, AttemptVariantTest,
                         testing::Values(VectorVariant::avx2, VectorVariant::avx512),
                         [](const testing::TestParamInfo<VectorVariant>& info) {
                             return std::string(vectorVariantName(info.param));
                         });

}  // namespace
}  // namespace korvale
