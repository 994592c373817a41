// The lots bought from cash in an attempt that ends at its first BIG: against every path of a
// small hand-built machine with a hard ceiling, and against seeded play of the machine itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/outcome/cash_lots.h"
#include "common/random_source.h"
#include "play/attempt_run.h"
#include "tests/support/normal_quantile.h"

namespace korvale {
namespace {

// Every way the attempt can go, game by game, each with its chance: the lots of a path are
// ⌈deepest / lend⌉, the deepest point the lowest net after any game.
struct PathWalk {
    const MachineModel& model;
    std::int32_t ceilingGame;  // the attempt's first game at the ceiling's chance
    std::int32_t lend;
    double lots = 0.0;

    void walk(std::size_t mode, std::int32_t game, std::int64_t bonusCoins, std::int64_t deepest,
              double chance) {
        if (chance < 1e-16) {  // what is left out is far below the tolerance
            return;
        }
        const auto net = [&](std::int64_t coins) {
            return coins - static_cast<std::int64_t>(std::nearbyint(model.costCoefficient * game));
        };
        const double big =
            game >= ceilingGame ? model.ceilingBigProbability : model.bigProbability[mode];
        const double r = model.regProbability;
        // The BIG's game ends the attempt with its coins counted.
        const std::int64_t atBig = std::max(deepest, -net(bonusCoins + 388));
        lots += chance * big * static_cast<double>((atBig + lend - 1) / lend);
        const std::int64_t regCoins = bonusCoins + static_cast<std::int64_t>(model.coinsPerReg);
        for (std::size_t to = 0; to < modeCount; ++to) {
            walk(to, game + 1, regCoins, std::max(deepest, -net(regCoins)),
                 chance * r * model.regNextMode[mode][to]);
        }
        walk(mode, game + 1, bonusCoins, std::max(deepest, -net(bonusCoins)),
             chance * (1.0 - r - big));
    }
};

MachineModel tinyMachine(double cost, double regCoins) {
    MachineModel model = machineModel(0);
    model.costCoefficient = cost;
    model.coinsPerReg = regCoins;
    model.regProbability = 0.2;
    model.bigProbability = {0.1, 0.3, 0.0, 0.0, 0.0, 0.0};
    model.ceilingGame = 8;
    model.ceilingBigProbability = 1.0 - 0.2;  // the REG still falls; the attempt ends soon after
    model.regNextMode = {};
    model.regNextMode[0] = {0.6, 0.4, 0.0, 0.0, 0.0, 0.0};
    model.regNextMode[1] = {0.5, 0.5, 0.0, 0.0, 0.0, 0.0};
    return model;
}

TEST(CashLotsTest, EveryPathOfASmallMachine) {
    struct Case {
        double cost;
        double regCoins;
        std::int32_t lend;
        std::int32_t gamesSinceBig;
        ModeVector modeLaw;
    };
    const std::vector<Case> cases = {
        {static_cast<double>(1.604f), 3.0, 3, 0, {1.0}},
        {static_cast<double>(1.604f), 3.0, 1, 2, {0.3, 0.7}},
        {static_cast<double>(1.604f), 127.0, 50, 5, {0.5, 0.5}},
        {static_cast<double>(2.5f), 4.0, 2, 7, {0.0, 1.0}},  // halves to even: 2, 5, 8, 10, ...
        {static_cast<double>(16.604f), 20.0, 7, 3, {0.9, 0.1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("cost " + std::to_string(c.cost) + ", lend " + std::to_string(c.lend) +
                     ", found at " + std::to_string(c.gamesSinceBig));
        const MachineModel model = tinyMachine(c.cost, c.regCoins);
        const AttemptStart start{
            .gamesSinceBig = c.gamesSinceBig, .modeLaw = c.modeLaw, .found = true};
        PathWalk reference{model, std::max(model.ceilingGame - c.gamesSinceBig, 1), c.lend};
        for (std::size_t m = 0; m < modeCount; ++m) {
            reference.walk(m, 1, 0, 0, c.modeLaw[m] * 1.0);
        }
        const CashLots lots = solveFirstBigLots(model, start, c.lend);
        EXPECT_NEAR(lots.expected, reference.lots, 1e-9);
        EXPECT_LE(lots.errorBound, 1e-12);
    }
}

// A machine found at the ceiling plays every game at the ceiling's chance whatever its mode: a
// pass over the coins in hand alone, worked outside this program (the REG 100/65536, the BIG
// 1000/65536, the cost round(1.604f g) halves to even, lots of 50), buys 2.4503077335740 lots.
TEST(CashLotsTest, AtTheCeilingTheModeDoesNotMatter) {
    const MachineModel model = machineModel(0);
    for (const std::int32_t sinceBig : {1499, 1500, 4000}) {
        const CashLots lots = solveFirstBigLots(model, foundStart(model, sinceBig), 50);
        EXPECT_NEAR(lots.expected, 2.4503077335740, 1e-11);
        EXPECT_LE(lots.errorBound, 1e-9);
    }
}

TEST(CashLotsTest, AgreesWithTheMachinesPlay) {
#ifdef KORVALE_SANITIZED
    constexpr std::int64_t attempts = 20000;
#else
    constexpr std::int64_t attempts = 200000;
#endif
    struct Case {
        std::int32_t setting;
        std::optional<std::int32_t> sinceBig;
        std::int32_t lend;
    };
    const std::vector<Case> cases = {
        {0, std::nullopt, 50}, {5, std::nullopt, 46}, {2, 300, 50}, {4, 800, 25}};
    const double z = twoSidedNormalQuantile(0.01 / double(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("setting index " + std::to_string(c.setting) + ", found at " +
                     std::to_string(c.sinceBig.value_or(-1)));
        const MachineModel model = machineModel(c.setting);
        const AttemptStart start = c.sinceBig ? foundStart(model, *c.sinceBig) : morningStart();
        const CashLots lots = solveFirstBigLots(model, start, c.lend);
        Xoshiro256PlusPlus random(20261210 + i);
        WorkerCounts counts;
        const HallRates rates{.lend = c.lend, .pay = CoinSource::Cash};
        const std::int64_t n = c.sinceBig && *c.sinceBig > 500 ? attempts / 20 : attempts;
        const AttemptTotals played =
            playAttempts(c.setting, {0.0, 0}, std::nullopt, {.sinceBig = c.sinceBig}, rates, n,
                         random, {}, counts, nullptr);
        ASSERT_EQ(played.attempts, n);
        const RatioSums& sums = played.cash.lotsPerAttempt;
        const double mean = sums.y / sums.x;
        const double sd = std::sqrt((sums.yy / sums.x - mean * mean) / double(n - 1));
        EXPECT_NEAR(lots.expected, mean, z * sd + lots.errorBound) << "played " << mean;
    }
}

}  // namespace
}  // namespace korvale
