// The attempt figures under each variant of the vector code that the processor offers, bit
// for bit against the baseline variant's: a block of roots holds more or fewer roots, and
// each of them rounds as its own solve would.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/numeric/vector_variant.h"

namespace korvale {
namespace {

std::vector<std::uint64_t> figureBits(VectorVariant variant, std::int32_t setting,
                                      EndConditions end) {
    const VectorVariant running = activeVectorVariant();
    setVectorVariant(variant);
    const AttemptFigures f = solveAttempt(setting, end, CostRounding::Exact);
    setVectorVariant(running);
    std::vector<std::uint64_t> bits;
    for (const double x : {f.expectedGames, f.expectedBigs, f.expectedCost, f.roundingErrorBound}) {
        bits.push_back(std::bit_cast<std::uint64_t>(x));
    }
    return bits;
}

// 設定６ (1000 roots) with a REG end that outlasts the BIG end, whose roots settle after
// different numbers of passes; 設定１ (250 roots) with one pass each.
const std::vector<std::pair<std::int32_t, EndConditions>> rules = {{5, {0.0, 40}},
                                                                   {0, {100.0, 50}}};

// The baseline's figures, worked out once for all the variants.
const std::vector<std::uint64_t>& baselineBits(std::size_t rule) {
    static std::vector<std::vector<std::uint64_t>> done;
    while (done.size() <= rule) {
        const auto& [setting, end] = rules[done.size()];
        done.push_back(figureBits(VectorVariant::sse2, setting, end));
    }
    return done[rule];
}

class AttemptVariantTest : public testing::TestWithParam<VectorVariant> {};

TEST_P(AttemptVariantTest, GivesTheBaselineFiguresBitForBit) {
    const VectorVariant variant = GetParam();
    if (!vectorVariantSupported(variant)) {
        GTEST_SKIP() << "this processor lacks " << vectorVariantName(variant);
    }
    for (std::size_t rule = 0; rule < rules.size(); ++rule) {
        const auto& [setting, end] = rules[rule];
        SCOPED_TRACE("setting index " + std::to_string(setting));
        EXPECT_EQ(figureBits(variant, setting, end), baselineBits(rule));
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, AttemptVariantTest,
                         testing::Values(VectorVariant::avx2, VectorVariant::avx512),
                         [](const testing::TestParamInfo<VectorVariant>& info) {
                             return std::string(vectorVariantName(info.param));
                         });

}  // namespace
}  // namespace korvale
