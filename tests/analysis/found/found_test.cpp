// The machine as found: the posterior given the games since the last BIG worked by hand on
// hand-built machines, the settings' figures mixed, and the break-even count's rule.

#include "analysis/found/figure_mixture.h"
#include "analysis/found/found_posterior.h"
#include "analysis/found/hunt_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ceiling_closed_form.h"

namespace korvale {
namespace {

// Setting s has BIG chance b[s] in every mode before the ceiling (game C on, chance bc), so
// the mode plays no part: a wait outlasts k games with chance (1-b)^k up to k = C-1, then
// (1-b)^(C-1) (1-bc)^(k-C+1); a game begins at count k with chance P(wait > k) / E[wait], and
// E[wait] = sum_{k < C-1} (1-b)^k + (1-b)^(C-1) / bc.
TEST(FoundPosteriorTest, PriorTimesTheShareOfGamesBegunAtTheCount) {
    const SettingVector b = {0.05, 0.1, 0.15, 0.2, 0.25, 0.3};
    const SettingVector prior = {6, 1, 1, 1, 0, 2};
    constexpr int ceiling = 4;
    constexpr double bc = 0.5;
    SettingModels models{};
    for (std::size_t s = 0; s < settingCount; ++s) {
        models[s] = machineModel(0);
        models[s].bigProbability.fill(b[s]);
        models[s].ceilingGame = ceiling;
        models[s].ceilingBigProbability = bc;
    }
    for (const std::int32_t g : {0, 2, 3, 10}) {
        SCOPED_TRACE(g);
        SettingVector expected{};
        double total = 0.0;
        for (std::size_t s = 0; s < settingCount; ++s) {
            const double quiet = 1.0 - b[s];
            const double outlasts = g <= ceiling - 1 ? std::pow(quiet, g)
                                                     : std::pow(quiet, ceiling - 1) *
                                                           std::pow(1.0 - bc, g - ceiling + 1);
            double wait = std::pow(quiet, ceiling - 1) / bc;
            for (int k = 0; k < ceiling - 1; ++k) {
                wait += std::pow(quiet, k);
            }
            expected[s] = prior[s] * outlasts / wait;
            total += expected[s];
        }
        const SettingVector posterior = foundSettingPosterior(models, prior, g);
        for (std::size_t s = 0; s < settingCount; ++s) {
            EXPECT_NEAR(posterior[s], expected[s] / total, 1e-12) << s;
        }
    }
    // A wait far past the ceiling keeps its weights: every game there is alike.
    const SettingVector far =
        foundSettingPosterior(machineModels(), SettingVector{1, 1, 1, 1, 1, 1}, 1000000);
    double sum = 0.0;
    for (const double p : far) {
        EXPECT_GT(p, 0.01);
        sum += p;
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);
}

TEST(FigureMixtureTest, MeansMixAndRatesAreRatiosOfTheMixedMeans) {
    std::array<AttemptFigures, settingCount> bySetting{};
    for (std::size_t s = 0; s < settingCount; ++s) {
        bySetting[s].expectedGames = 100.0 * static_cast<double>(s + 1);
        bySetting[s].expectedBigs = 1.0;
        bySetting[s].expectedRegs = 0.5;
        bySetting[s].expectedCost = 10.0;
        bySetting[s].expectedNet = s == 0 ? -60.0 : 90.0;
        bySetting[s].costRounding = CostRounding::Exact;
    }
    bySetting[5].costRounding = CostRounding::Unrounded;
    const AttemptFigures mix = mixAttemptFigures(bySetting, {0.75, 0.25, 0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(mix.expectedGames, 125.0);
    EXPECT_DOUBLE_EQ(mix.expectedNet, -22.5);
    EXPECT_DOUBLE_EQ(mix.netPer1000Games, -180.0);
    EXPECT_DOUBLE_EQ(mix.payoutPercent, 100.0 * (375.0 - 22.5) / 375.0);
    EXPECT_EQ(mix.costRounding, CostRounding::Unrounded);  // 設定６'s is not rounded
}

TEST(HuntTableTest, BreakEvenIsTheLeastCountFromWhichTheNetStaysAbove0) {
    struct Case {
        std::vector<double> nets;
        std::optional<std::int32_t> breakEven;
    };
    const std::vector<std::int32_t> counts = {0, 50, 100, 150};
    for (const Case& c : std::vector<Case>{{{1, -1, 2, 3}, 100},
                                           {{1, 2, 3, 4}, 0},
                                           {{1, 2, 3, 0}, std::nullopt},
                                           {{-3, -2, -1, 0.5}, 150}}) {
        std::vector<AttemptFigures> points(counts.size());
        for (std::size_t i = 0; i < counts.size(); ++i) {
            points[i].expectedNet = c.nets[i];
        }
        EXPECT_EQ(breakEvenCount(counts, points), c.breakEven);
    }
    EXPECT_EQ(huntPoints({}).size(), 31U);
    EXPECT_EQ(huntPoints({1400, 1500, 60}), (std::vector<std::int32_t>{1400, 1460}));
}

// From G = 1499 on, quitting at the first BIG is a geometric wait under the ceiling: the table's
// chance to end ahead is the one worked by hand, within the bound it gives and 1e-9, whatever
// else the grid holds (the table is shared by its counts).
TEST(HuntTableTest, TheChanceToEndAheadUnderTheCeilingIsTheGeometricWaits) {
    for (const std::int32_t setting : {1, 5}) {
        const double hand = ceilingAheadAtFirstBig(setting);
        for (const HuntGrid grid : {HuntGrid{1499, 1500, 1}, HuntGrid{0, 1500, 50},
                                    HuntGrid{1500, 1500, 1}, HuntGrid{1450, 1550, 50}}) {
            SCOPED_TRACE("setting index " + std::to_string(setting) + ", from " +
                         std::to_string(grid.first) + " by " + std::to_string(grid.step));
            const HuntTable table =
                solveHuntTable({0.0, 0}, grid, {setting}, {}, CostRounding::Exact, std::nullopt, {},
                               {.threads = 1});
            const HuntColumn& column = table.settings.at(0);
            ASSERT_EQ(column.pAhead.size(), table.gamesSinceBig.size());
            EXPECT_GT(column.pAheadBound, 0.0);
            EXPECT_LT(column.pAheadBound, 1e-9);
            for (std::size_t k = 0; k < table.gamesSinceBig.size(); ++k) {
                if (table.gamesSinceBig[k] >= 1499) {
                    EXPECT_NEAR(column.pAhead[k], hand, column.pAheadBound);
                }
            }
        }
    }
}

TEST(CeilingClosedFormTest, TheChanceToEndAheadSumsTheWaitsWorkedByHand) {
    // 設定１ pays 388 + 127 k for a cost round(1.604 t): with no REG it is ahead up to t = 241
    // (cost 387), so P(ahead) is at least 1 - (1 - q)^241 = 0.9751..., and the REGs add to it.
    const double q = 1000.0 / 65536.0;
    const double noRegBound = 1.0 - std::pow(1.0 - q, 241);
    const double ahead = ceilingAheadAtFirstBig(0);
    EXPECT_GT(ahead, noRegBound);
    EXPECT_LT(ahead, noRegBound + (1.0 - noRegBound) * 0.5);
}

}  // namespace
}  // namespace korvale
