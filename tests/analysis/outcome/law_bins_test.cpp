#include "analysis/outcome/law_bins.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "analysis/measured/count_histogram.h"

namespace korvale {
namespace {

TEST(LawBinsTest, UniformLawAcrossZeroFallsIntoTheHistogramsBins) {
    // Uniform over -150 .. 149 in bins of 100: 50, 100, 100 and 50 values by hand.
    const std::vector<double> chance(300, 1.0 / 300.0);
    const BinnedLaw binned = binLaw(-150, chance, 100);
    EXPECT_EQ(binned.firstBinStart, -200);
    ASSERT_EQ(binned.chance.size(), 4U);
    const double expected[] = {50.0 / 300, 100.0 / 300, 100.0 / 300, 50.0 / 300};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(binned.chance[i], expected[i], 1e-15) << i;
    }
    // The run's histogram puts the same values in the same bins.
    CountHistogram histogram(100);
    for (int value = -150; value < 150; ++value) {
        histogram.add(value);
    }
    EXPECT_EQ(histogram.firstBinStart(), binned.firstBinStart);
    EXPECT_EQ(histogram.counts().size(), binned.chance.size());
}

TEST(LawBinsTest, EdgesOfTheBins) {
    // One value on each side of a bin edge, and a law of width one.
    EXPECT_EQ(binLaw(-1, {0.5, 0.5}, 20).chance, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(binLaw(-1, {0.5, 0.5}, 20).firstBinStart, -20);
    EXPECT_EQ(binLaw(19, {0.25, 0.75}, 20).chance, (std::vector<double>{0.25, 0.75}));
    EXPECT_EQ(binLaw(5, {1.0}, 1).firstBinStart, 5);
    EXPECT_TRUE(binLaw(0, {}, 20).chance.empty());
    EXPECT_THROW(binLaw(0, {1.0}, 0), std::invalid_argument);
}

}  // namespace
}  // namespace korvale
