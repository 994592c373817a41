#include "common/checked_arithmetic.h"
#include "tests/support/expect_runtime_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvale {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

using testing::expectRuntimeError;

TEST(CheckedIntegerTest, AddsUpToTheLimitsAndNoFurther) {
    EXPECT_EQ(checkedAdd(kMax - 1, 1), kMax);
    EXPECT_EQ(checkedAdd(kMin + 1, -1), kMin);
    expectRuntimeError(StatusReason::Overflow, [] { checkedAdd(kMax, 1); });
    expectRuntimeError(StatusReason::Overflow, [] { checkedAdd(kMin, -1); });
}

TEST(CheckedIntegerTest, SubtractsAndMultipliesWithinRange) {
    EXPECT_EQ(checkedSub(0, kMax), -kMax);
    expectRuntimeError(StatusReason::Overflow, [] { checkedSub(0, kMin); });
    EXPECT_EQ(checkedMul(3, 715827882), 2147483646);
    expectRuntimeError(StatusReason::Overflow, [] { checkedMul(3, 715827883); });
    expectRuntimeError(StatusReason::Overflow, [] { checkedMul(-1, kMin); });
}

TEST(CheckedIntegerTest, FailedIncrementLeavesTheCounterAlone) {
    std::int32_t counter = kMax;
    expectRuntimeError(StatusReason::Overflow, [&] { checkedIncrement(counter); });
    EXPECT_EQ(counter, kMax);
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(100.5), 100.0);
    EXPECT_EQ(roundHalfEven(101.5), 102.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(100.7), 101.0);
    EXPECT_EQ(roundHalfEven(0.49999999999999994), 0.0);
}

TEST(RoundHalfEvenTest, ConversionToInt32ChecksTheRange) {
    EXPECT_EQ(toInt32HalfEven(2147483647.4), kMax);
    EXPECT_EQ(toInt32HalfEven(-2147483648.5), kMin);  // halfway, to the even kMin
    expectRuntimeError(StatusReason::Overflow, [] { toInt32HalfEven(2147483647.5); });
    expectRuntimeError(StatusReason::Overflow, [] { toInt32HalfEven(3e9); });
    expectRuntimeError(StatusReason::Overflow, [] { toInt32HalfEven(std::nan("")); });
}

TEST(CheckedFloatTest, DivisionFaultsAreTheirOwnKinds) {
    EXPECT_EQ(checkedQuotient(1.0, 4.0), 0.25);
    expectRuntimeError(StatusReason::DivisionByZero, [] { checkedQuotient(5.0, 0.0); });
    expectRuntimeError(StatusReason::InvalidOperation, [] { checkedQuotient(0.0, 0.0); });
    expectRuntimeError(StatusReason::FloatOverflow, [] { checkedQuotient(1e300, 1e-300); });
}

TEST(CheckedFloatTest, SumAndProductRejectInfinityAndNaN) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(checkedSum(1.5, 2.25), 3.75);
    expectRuntimeError(StatusReason::FloatOverflow, [] { checkedSum(1.7e308, 1.7e308); });
    expectRuntimeError(StatusReason::FloatOverflow, [&] { checkedSum(kInf, 1.0); });
    expectRuntimeError(StatusReason::InvalidOperation, [&] { checkedSum(kInf, -kInf); });
    expectRuntimeError(StatusReason::FloatOverflow, [] { checkedProduct(1e200, 1e200); });
}

}  // namespace
}  // namespace korvale
