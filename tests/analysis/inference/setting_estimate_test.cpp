#include "analysis/inference/setting_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/random_source.h"
#include "machine/cls_korvale.h"

namespace korvale {
namespace {

// Expected BIGs over `games` games from (sinceBig, mode), game by game: the law over (games
// since the last BIG, mode) moved forward, each game adding its chance of a BIG.
double forwardBigs(const MachineModel& model, std::size_t sinceBig, std::size_t mode, int games) {
    const auto size = static_cast<std::size_t>(model.ceilingGame);
    std::vector<ModeVector> law(size);
    law[sinceBig][mode] = 1.0;
    double bigs = 0.0;
    for (int game = 0; game < games; ++game) {
        std::vector<ModeVector> next(size);
        // Mass lies at counts up to sinceBig + game only.
        for (std::size_t k = 0; k < std::min(size, sinceBig + static_cast<std::size_t>(game) + 1);
             ++k) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                const double mass = law[k][m];
                if (mass == 0.0) {
                    continue;
                }
                const bool ceiling = static_cast<std::int32_t>(k + 1) >= model.ceilingGame;
                const double big = ceiling ? model.ceilingBigProbability : model.bigProbability[m];
                const double reg = model.regProbability;
                const std::size_t later = std::min(k + 1, size - 1);
                bigs += mass * big;
                next[later][m] += mass * (1.0 - reg - big);
                for (std::size_t to = 0; to < modeCount; ++to) {
                    next[0][to] += mass * big * model.bigNextMode[m][to];
                    next[later][to] += mass * reg * model.regNextMode[m][to];
                }
            }
        }
        law = std::move(next);
    }
    return bigs;
}

TEST(NextGamesOutlookTest, ExpectedBigsMatchAGameByGameForwardPass) {
    SettingModels small = machineModels();
    for (MachineModel& model : small) {
        model.regProbability = 0.1;
        model.bigProbability = {0.05, 0.6, 0.2, 0.5, 0.1, 0.03};
        model.ceilingGame = 4;
        model.ceilingBigProbability = 0.3;
    }
    // States (setting, games since the last BIG, mode): far from the ceiling, reaching it during
    // the games, and under it from the first game.
    using State = std::array<std::size_t, 3>;
    const struct {
        const char* name;
        SettingModels models;
        int games;
        std::vector<State> states;
    } cases[] = {
        {"machine", machineModels(), 1000, {{0, 0, 1}, {5, 700, 5}, {0, 1499, 5}, {5, 1499, 1}}},
        {"small ceiling, more games than the ceiling",
         small,
         11,
         {{0, 0, 1}, {5, 1, 5}, {0, 2, 0}, {5, 3, 3}}},
        {"no games", machineModels(), 0, {{0, 0, 0}, {5, 1499, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NextGamesOutlook outlook(c.models, c.games);
        for (const auto& [s, k, m] : c.states) {
            const double expected = forwardBigs(c.models[s], k, m, c.games);
            EXPECT_NEAR(outlook.expectedBigs(s, static_cast<std::int32_t>(k), m), expected,
                        1e-11 * std::max(1.0, expected))
                << "setting " << s << " since BIG " << k << " mode " << m;
        }
    }
}

// Every mode with the same BIG chance p, under the ceiling too: the games are then
// independent, so the filter and the count-only answer must agree, and the next games hold
// games * p BIGs from any state.
SettingModels independentGames() {
    SettingModels models = machineModels();
    for (std::size_t s = 0; s < settingCount; ++s) {
        const double p = (200.0 + 40.0 * static_cast<double>(s)) / 65536.0;
        models[s].bigProbability.fill(p);
        models[s].ceilingBigProbability = p;
    }
    return models;
}

TEST(SettingEstimateTest, IndependentGamesGiveTheCountOnlyAnswerAndTheirNet) {
    const SettingModels models = independentGames();
    const SettingEstimator estimator(models, 1000);
    for (const HistoryStart start : {HistoryStart::Morning, HistoryStart::Joined}) {
        SettingFilter filter(models, start);
        const ObservedBonus bonuses[] = {{BonusKind::Reg, 500},
                                         {BonusKind::Big, 1},
                                         {BonusKind::Big, 2000},
                                         {BonusKind::Reg, 70}};
        for (const ObservedBonus& bonus : bonuses) {
            filter.addBonus(bonus);
        }
        const SettingEstimate e = estimator.estimate(filter, 333).value();
        EXPECT_EQ(e.games, 2904);
        EXPECT_EQ(e.bigs, 2);
        EXPECT_EQ(e.regs, 2);
        for (std::size_t s = 0; s < settingCount; ++s) {
            SCOPED_TRACE(s);
            EXPECT_NEAR(e.posterior[s], e.countOnlyPosterior[s], 1e-12);
            const double p = models[s].bigProbability[0];
            const double r = models[s].regProbability;
            const double c = models[s].costCoefficient;
            EXPECT_NEAR(e.expectedNetBySetting[s], 1000.0 * (388.0 * p + 127.0 * r - c), 1e-9);
        }
    }
}

TEST(SettingEstimateTest, PriorWeighsThePosteriorAndBadPriorsAreRejected) {
    const SettingEstimator estimator(machineModels(), 10);
    SettingFilter filter(HistoryStart::Morning);
    filter.addBonus(BonusKind::Big, 150);
    const SettingEstimate flat = estimator.estimate(filter, 0).value();
    const SettingEstimate weighted = estimator.estimate(filter, 0, {2, 0, 1, 1, 1, 1}).value();
    // Bayes by hand: the posterior odds are the prior odds times the likelihood ratio.
    EXPECT_EQ(weighted.posterior[1], 0.0);
    EXPECT_NEAR(weighted.posterior[0] / weighted.posterior[2],
                2.0 * flat.posterior[0] / flat.posterior[2], 1e-12);
    EXPECT_NEAR(weighted.atLeast4, weighted.posterior[3] + weighted.atLeast5, 1e-15);
    const SettingVector bad[] = {
        {0, 0, 0, 0, 0, 0}, {1, -1, 1, 1, 1, 1}, {1, NAN, 1, 1, 1, 1}, {INFINITY, 1, 1, 1, 1, 1}};
    for (const SettingVector& prior : bad) {
        EXPECT_THROW((void)estimator.estimate(filter, 0, prior).value(), std::invalid_argument);
    }
}

}  // namespace
}  // namespace korvale
