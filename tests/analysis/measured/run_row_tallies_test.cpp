// The analysis window's tallies: the min/max envelope, the histograms and the games of an
// attempt recovered from its coins.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "analysis/measured/run_row_tallies.h"
#include "machine/coin_totals.h"

namespace korvale {
namespace {

// A random walk with drift, as a slump graph looks.
std::vector<double> walk(std::int64_t points) {
    std::vector<double> y;
    std::uint64_t state = 12345;
    double value = 0;
    for (std::int64_t i = 0; i < points; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        value += static_cast<double>(state >> 60) - 7.8;
        y.push_back(value);
    }
    return y;
}

TEST(MinMaxEnvelope, EveryColumnKeepsItsExactLowestAndHighest) {
    for (const std::int64_t points : {std::int64_t{50}, std::int64_t{4096}, std::int64_t{300001}}) {
        for (const int columns : {7, 640, 2048}) {
            SCOPED_TRACE(::testing::Message() << points << " points, " << columns << " columns");
            const std::vector<double> y = walk(points);
            MinMaxEnvelope envelope;
            for (std::int64_t x = 0; x < points; ++x) {
                envelope.add(x, y[static_cast<std::size_t>(x)]);
            }
            // By brute force, in columns of whole buckets.
            const std::int64_t width = envelope.columnWidth(columns);
            EXPECT_LE((points + width - 1) / width, columns);
            EXPECT_GT(2 * ((points + width - 1) / width),
                      std::min<std::int64_t>(columns, points / 2));
            std::map<std::int64_t, std::pair<double, double>> expected;
            for (std::int64_t x = 0; x < points; ++x) {
                const double v = y[static_cast<std::size_t>(x)];
                auto [at, fresh] = expected.try_emplace(x / width, v, v);
                at->second = {std::min(at->second.first, v), std::max(at->second.second, v)};
            }
            std::map<std::int64_t, std::pair<double, double>> drawn;
            std::int64_t lastX = -1;
            for (const EnvelopePoint& point : envelope.polyline(columns)) {
                EXPECT_GT(point.x, lastX);  // in the order they came
                lastX = point.x;
                EXPECT_EQ(point.y, y[static_cast<std::size_t>(point.x)]);
                auto [at, fresh] = drawn.try_emplace(point.x / width, point.y, point.y);
                at->second = {std::min(at->second.first, point.y),
                              std::max(at->second.second, point.y)};
            }
            EXPECT_EQ(drawn, expected);
            EXPECT_LE(envelope.polyline(columns).size(), 2u * static_cast<std::size_t>(columns));
            EXPECT_EQ(envelope.lowest(), *std::min_element(y.begin(), y.end()));
            EXPECT_EQ(envelope.highest(), *std::max_element(y.begin(), y.end()));
        }
    }
}

TEST(MinMaxEnvelope, MemoryDoesNotGrowWithTheCurve) {
    MinMaxEnvelope envelope;
    const std::size_t empty = envelope.memoryBytes();
    for (std::int64_t x = 0; x < 3'000'000; x += 3) {
        envelope.add(x, static_cast<double>(x % 1000));
    }
    EXPECT_EQ(envelope.memoryBytes(), empty);
    EXPECT_LT(empty, std::size_t{256} * 1024);
}

TEST(CountHistogram, BinsRoundDownAndCountEveryValue) {
    CountHistogram histogram(100);
    for (const std::int64_t value : {0, 99, 100, -1, -100, -101, 250}) {
        histogram.add(value);
    }
    // Bins from [-200, -100) to [200, 300).
    EXPECT_EQ(histogram.firstBinStart(), -200);
    EXPECT_EQ(histogram.counts(), (std::vector<std::int64_t>{1, 2, 2, 1, 1}));
    EXPECT_EQ(histogram.total(), 7);
    EXPECT_EQ(histogram.countAtLeast(100), 2);
    EXPECT_EQ(histogram.countAtLeast(-100), 6);
}

TEST(GamesForCost, RecoversTheGamesOfEveryCost) {
    for (const std::int32_t setting : {0, 5}) {
        std::int64_t unreached = -1;
        std::int64_t previous = -1;
        for (std::int64_t games = 0; games < 30000; ++games) {
            const std::int64_t cost = costOfGames(setting, games);
            ASSERT_EQ(gamesForCost(setting, cost), games) << setting;
            if (cost > previous + 1) {
                unreached = cost - 1;  // no count of games costs this
            }
            previous = cost;
        }
        EXPECT_EQ(gamesForCost(setting, unreached), -1);
    }
    EXPECT_EQ(gamesForCost(0, -1), -1);
}

TEST(ModeRunTally, CountsModesGapsAndBatches) {
    ModeRunTally tally(0);
    // (big, games since the previous bonus, mode): 6000 rows, BIGs 600 games apart.
    std::int64_t games = 0;
    for (int i = 0; i < 6000; ++i) {
        const bool big = i % 3 == 2;
        tally.addBonus(big, 200, i % 2 == 0 ? 5 : 4);
        games += 200;
    }
    EXPECT_EQ(tally.games(), games);
    EXPECT_EQ(tally.bigs(), 2000);
    EXPECT_EQ(tally.totals().modeGames[5] + tally.totals().modeGames[4], games);
    EXPECT_EQ(tally.bigGapsAtLeast(0), 2000);  // every gap is 600 games
    EXPECT_EQ(tally.bigGapsAtLeast(1), 0);
    EXPECT_EQ(tally.net(), coinTotals(0, games, 2000, 4000).net);
    NormalTotals sum;
    const std::vector<NormalTotals> batches = tally.batches();
    for (const NormalTotals& batch : batches) {
        sum += batch;
    }
    EXPECT_EQ(sum, tally.totals());
    EXPECT_LE(batches.size(), ModeRunTally::maxBatches);
    EXPECT_GE(batches.size(), ModeRunTally::maxBatches / 2);
}

}  // namespace
}  // namespace korvale
