// The machine's tables typed a second time, from the machine's description, and compared cell
// by cell: a slip or a swap in any row shows here.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "machine/korvale_tables.h"

namespace korvale {
namespace {

using Row = std::array<std::int32_t, 6>;

TEST(TablesTest, Thresholds) {
    const Row reg = {100, 108, 116, 126, 136, 137};
    const Row big = {223, 49528, 2355, 49528, 329, 114};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(regThresholds[i], reg[i]) << i;
        EXPECT_EQ(bigThresholds[i], big[i]) << i;
    }
    EXPECT_EQ(bigCeilingGames, 1500);
    EXPECT_EQ(ceilingBigThreshold, 1000);
    EXPECT_EQ(drawRange, 65536);
}

TEST(TablesTest, RegWeightRows) {
    const Row even = {79994, 2, 5000, 10, 15001, 2};
    const Row odd = {79993, 2, 5000, 2, 15002, 2};
    const std::array<Row, 5> byMode = {{{0, 99994, 2, 2, 2, 2},
                                        {0, 25000, 49997, 25000, 2, 2},
                                        {0, 99994, 2, 2, 2, 2},
                                        {0, 2, 2, 25000, 74995, 2},
                                        {0, 2, 5000, 2, 15001, 79995}}};
    for (std::int32_t setting = 0; setting < 6; ++setting) {
        EXPECT_EQ(*regWeightRow(setting, 0), setting % 2 == 0 ? even : odd) << setting;
        for (std::int32_t mode = 1; mode < 6; ++mode) {
            EXPECT_EQ(*regWeightRow(setting, mode), byMode[static_cast<std::size_t>(mode - 1)])
                << setting << " " << mode;
        }
    }
}

TEST(TablesTest, BigWeightRows) {
    const std::array<std::array<Row, 6>, 6> rows = {{
        {{{0, 1001, 10001, 10001, 10001, 68997},
          {0, 90001, 4999, 2, 4997, 2},
          {0, 5000, 2, 20001, 10001, 64996},
          {0, 2, 5000, 12500, 15001, 67497},
          {0, 3000, 15001, 20001, 2, 61996},
          {0, 1001, 10001, 10001, 10001, 68997}}},
        {{{0, 1001, 10001, 15001, 10001, 63997},
          {0, 90001, 4999, 2, 4997, 2},
          {0, 5000, 2, 20001, 10001, 64996},
          {0, 2, 5000, 15001, 15001, 64996},
          {0, 3000, 15001, 20001, 2, 61996},
          {0, 1001, 10001, 15001, 10001, 63997}}},
        {{{0, 1001, 10001, 10001, 15001, 63997},
          {0, 90001, 4999, 2, 4997, 2},
          {0, 8000, 2, 20001, 12500, 59497},
          {0, 2, 10001, 12500, 15001, 62497},
          {0, 5000, 15001, 20001, 2, 59996},
          {0, 1001, 10001, 10001, 15001, 63997}}},
        {{{0, 1001, 10001, 20001, 15001, 53996},
          {0, 90001, 4999, 2, 4997, 2},
          {0, 8000, 2, 20001, 12500, 59497},
          {0, 2, 10001, 20001, 15001, 54996},
          {0, 5000, 15001, 20001, 2, 59996},
          {0, 1001, 10001, 20001, 15001, 53996}}},
        {{{0, 5000, 15001, 10001, 20001, 49997},
          {0, 90001, 4999, 2, 4997, 2},
          {0, 15001, 2, 20001, 12500, 52496},
          {0, 2, 15001, 12500, 15001, 57497},
          {0, 8000, 15001, 20001, 2, 56996},
          {0, 5, 15001, 10001, 15001, 54997}}},
        {{{0, 1001, 15001, 20001, 50001, 13997},
          {0, 25000, 25000, 2, 50000, 24998},
          {0, 2, 2, 20001, 59999, 19997},
          {0, 2, 15001, 12500, 39999, 32498},
          {0, 2, 20001, 25000, 39999, 14998},
          {0, 1001, 15001, 20001, 50000, 13997}}},
    }};
    for (std::int32_t setting = 0; setting < 6; ++setting) {
        for (std::int32_t mode = 0; mode < 6; ++mode) {
            const Row& expected =
                rows[static_cast<std::size_t>(setting)][static_cast<std::size_t>(mode)];
            const Row& actual = *bigWeightRow(setting, mode);
            for (std::size_t next = 0; next < 6; ++next) {
                EXPECT_EQ(actual[next], expected[next])
                    << "setting " << setting << " mode " << mode << " w" << next;
            }
        }
    }
}

TEST(TablesTest, Coins) {
    EXPECT_EQ(coinsInPerGame, 3);
    EXPECT_EQ(coinsPerBig, 388);
    EXPECT_EQ(coinsPerReg, 127);
    // The floats nearest 1.604 and 1.563, exactly.
    for (std::int32_t setting = 0; setting < 5; ++setting) {
        EXPECT_EQ(static_cast<double>(costCoefficient(setting)), 1.60399997234344482421875);
    }
    EXPECT_EQ(static_cast<double>(costCoefficient(5)), 1.5629999637603759765625);
}

}  // namespace
}  // namespace korvale
