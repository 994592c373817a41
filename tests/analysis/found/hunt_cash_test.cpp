// The 狙い目 table's yen from cash from given lots, worked by hand: two counts, every setting
// alike but 設定６, at 5.6 coins per ¥100 and 50 lent (a lot loses ¥1000 − 5000 / 5.6 =
// ¥107.142857...).

#include <gtest/gtest.h>

#include <vector>

#include "analysis/found/hunt_cash.h"

namespace korvale {
namespace {

AttemptFigures netOf(double net) {
    AttemptFigures f;
    f.expectedNet = net;
    return f;
}

TEST(HuntCashTest, YenAndBreakEvenFromGivenLots) {
    HuntTable table;
    table.gamesSinceBig = {1000, 1100, 1200};
    // Nets 10, 20, 30 coins (設定６: 40, 50, 60); lots 2, 1.5, 1 (設定６: 3, 3, 3).
    std::vector<std::vector<double>> lots;
    for (std::int32_t s = 0; s < settingCount; ++s) {
        const double more = s == 5 ? 30.0 : 0.0;
        HuntColumn column;
        column.setting = s;
        column.points = {netOf(10 + more), netOf(20 + more), netOf(30 + more)};
        table.settings.push_back(column);
        lots.push_back(s == 5 ? std::vector<double>{3, 3, 3} : std::vector<double>{2, 1.5, 1});
    }
    // The mixture's nets as its posteriors weigh them; 設定６ at 1/2, 1/4, 0.
    table.posteriors = {{0.1, 0.1, 0.1, 0.1, 0.1, 0.5},
                        {0.15, 0.15, 0.15, 0.15, 0.15, 0.25},
                        {0.2, 0.2, 0.2, 0.2, 0.2, 0.0}};
    table.mixture.emplace();
    table.mixture->points = {netOf(25), netOf(27.5), netOf(30)};
    const HuntCash cash = huntCashOf(table, lots, {.lend = 50, .exchange = 5.6});
    ASSERT_EQ(cash.yen.size(), 7u);
    const double loss = 1000.0 - 5000.0 / 5.6;
    // 設定１: 178.571 − 214.286 < 0, 357.143 − 160.714 > 0, 535.714 − 107.143 > 0.
    EXPECT_NEAR(cash.yen[0][0], 10 * 100 / 5.6 - 2 * loss, 1e-9);
    EXPECT_EQ(cash.breakEven[0], 1100);
    // 設定６: 714.286 − 321.429, all above 0.
    EXPECT_EQ(cash.breakEven[5], 1000);
    // The mixture's lots 2.5, 1.875, 1; its yen 446.43 − 267.86, 491.07 − 200.89, 535.71 − 107.14.
    EXPECT_NEAR(cash.lots[6][0], 2.5, 1e-12);
    EXPECT_NEAR(cash.lots[6][1], 1.875, 1e-12);
    EXPECT_NEAR(cash.yen[6][1], 27.5 * 100 / 5.6 - 1.875 * loss, 1e-9);
    EXPECT_EQ(cash.breakEven[6], 1000);
    // At 6 coins per ¥100 a lot loses ¥166.67: 設定１ is −166.7 at 1000 and +83.3 at 1100, so
    // the break-even stays 1100; none when the last count is not above 0.
    EXPECT_EQ(huntCashOf(table, lots, {.lend = 50, .exchange = 6.0}).breakEven[0], 1100);
    EXPECT_EQ(breakEvenOfValues({1, 2, 3}, {1.0, -1.0, 0.0}), std::nullopt);
    EXPECT_EQ(breakEvenOfValues({1, 2, 3}, {1.0, -1.0, 2.0}), 3);
}

}  // namespace
}  // namespace korvale
