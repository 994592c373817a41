// The outcome law under each variant of the vector code that the processor offers, every
// figure bitwise against the baseline variant's: the variants differ in block width and
// instructions only, never in the arithmetic's order or rounding.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "analysis/numeric/vector_variant.h"
#include "analysis/outcome/day_law.h"
#include "analysis/outcome/outcome_law.h"

namespace korvale {
namespace {

// Every figure of a law as bits, in a fixed order.
std::vector<std::uint64_t> figureBits(const OutcomeLaw& law) {
    std::vector<std::uint64_t> bits;
    const auto add = [&](double x) { bits.push_back(std::bit_cast<std::uint64_t>(x)); };
    for (const IntegerLaw* table : {&law.net, &law.games, &law.bigs}) {
        bits.push_back(static_cast<std::uint64_t>(table->first));
        bits.push_back(table->chance.size());
        for (const double chance : table->chance) {
            add(chance);
        }
    }
    for (const double x : {law.pAhead, law.pEven, law.pBehind, law.errorBound, law.tailCut,
                           law.outsideTables, law.beyondRounding}) {
        add(x);
    }
    return bits;
}

// 設定１ with both ends, and 設定６, whose rounding repeats every 1000 games. Short ends keep the
// test quick; every rule runs the same vector code.
const std::vector<std::pair<std::int32_t, EndConditions>>& lawCases() {
#ifdef KORVALE_SANITIZED
    // Under the sanitizers each variant's memory use is what is checked: one short law.
    static const std::vector<std::pair<std::int32_t, EndConditions>> cases = {{0, {0.0, 1}}};
#else
    static const std::vector<std::pair<std::int32_t, EndConditions>> cases = {{0, {50.0, 10}},
                                                                              {5, {0.0, 0}}};
#endif
    return cases;
}

std::vector<std::uint64_t> lawBits(VectorVariant variant, std::int32_t setting, EndConditions end) {
    const VectorVariant running = activeVectorVariant();
    setVectorVariant(variant);
    const OutcomeLaw law = solveOutcomeLaw(setting, end, {}, {.threads = 2});
    setVectorVariant(running);
    return figureBits(law);
}

// The baseline's figures, worked out once for all the variants.
const std::vector<std::uint64_t>& baselineBits(std::size_t c) {
    static std::map<std::size_t, std::vector<std::uint64_t>> done;
    if (!done.contains(c)) {
        done[c] = lawBits(VectorVariant::sse2, lawCases()[c].first, lawCases()[c].second);
    }
    return done[c];
}

class VectorVariantTest : public testing::TestWithParam<VectorVariant> {};

TEST_P(VectorVariantTest, GivesTheBaselineFiguresBitForBit) {
    const VectorVariant variant = GetParam();
    if (!vectorVariantSupported(variant)) {
        GTEST_SKIP() << "this processor lacks " << vectorVariantName(variant);
    }
    for (std::size_t c = 0; c < lawCases().size(); ++c) {
        const auto& [setting, end] = lawCases()[c];
        SCOPED_TRACE("setting index " + std::to_string(setting) + ", " +
                     std::to_string(end.bigEnd) + "/" + std::to_string(end.regEnd));
        const std::vector<std::uint64_t>& expected = baselineBits(c);
        const std::vector<std::uint64_t> got = lawBits(variant, setting, end);
        ASSERT_EQ(got.size(), expected.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < got.size(); ++i) {
            differing += got[i] != expected[i] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0U) << "of " << got.size() << " figures";
    }
}

// A day's law: its renewal over the BIGs runs on blocks of frequencies in the vector code.
std::vector<std::uint64_t> dayBits(VectorVariant variant) {
    const VectorVariant running = activeVectorVariant();
    setVectorVariant(variant);
    const std::vector<std::int32_t> games = {700, 1400};
    const std::vector<DayLaw> laws = solveDayLaws(machineModel(1), games, {.threads = 2});
    setVectorVariant(running);
    std::vector<std::uint64_t> bits;
    for (const DayLaw& law : laws) {
        for (const IntegerLaw* table : {&law.net, &law.bigs, &law.regs}) {
            bits.push_back(table->chance.size());
            for (const double chance : table->chance) {
                bits.push_back(std::bit_cast<std::uint64_t>(chance));
            }
        }
        bits.push_back(std::bit_cast<std::uint64_t>(law.errorBound));
    }
    return bits;
}

TEST_P(VectorVariantTest, GivesTheBaselineDayLawBitForBit) {
    const VectorVariant variant = GetParam();
    if (!vectorVariantSupported(variant)) {
        GTEST_SKIP() << "this processor lacks " << vectorVariantName(variant);
    }
    EXPECT_EQ(dayBits(variant), dayBits(VectorVariant::sse2));
}

INSTANTIATE_TEST_SUITE_P(EachWiderVariant, VectorVariantTest,
                         testing::Values(VectorVariant::avx2, VectorVariant::avx512),
                         [](const auto& info) {
                             return std::string(vectorVariantName(info.param));
                         });

TEST(VectorVariantChoiceTest, RefusesAVariantTheProcessorLacksAndKeepsTheOneRunning) {
    const VectorVariant running = activeVectorVariant();
    EXPECT_TRUE(vectorVariantSupported(VectorVariant::sse2));
    for (const VectorVariant variant : {VectorVariant::avx2, VectorVariant::avx512}) {
        if (vectorVariantSupported(variant)) {
            setVectorVariant(variant);
            EXPECT_EQ(activeVectorVariant(), variant);
        } else {
            EXPECT_THROW(setVectorVariant(variant), std::invalid_argument);
        }
    }
    setVectorVariant(running);
    EXPECT_EQ(activeVectorVariant(), running);
}

}  // namespace
}  // namespace korvale
