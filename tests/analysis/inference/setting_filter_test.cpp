// The filter against a game-by-game computation written here from the per-game chances alone:
// the law over (games since the last BIG, mode) is moved one game at a time by what that game
// showed, with no shortcut for runs of quiet games, the ceiling or the lotteries.

#include "analysis/inference/setting_filter.h"
#include "analysis/inference/setting_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/long_run/long_run.h"
#include "common/random_source.h"
#include "machine/cls_korvale.h"

namespace korvale {
namespace {

enum class Outcome { Quiet, Reg, Big };
using JointLaw = std::vector<ModeVector>;  // [games since the last BIG][mode]

struct GameByGame {
    double logLikelihood = 0.0;
    JointLaw law;  // of the state the next game begins in
};

ModeVector lottery(const ModeVector& row, std::size_t mode) {
    double total = 0.0;
    for (const double chance : row) {
        total += chance;
    }
    ModeVector next{};
    if (total == 0.0) {
        next[mode] = 1.0;
        return next;
    }
    return row;
}

GameByGame gameByGame(const MachineModel& model, JointLaw law, const std::vector<Outcome>& games) {
    const std::size_t last = law.size() - 1;
    // Every game moves all counts alike (on by one, or to 0 after a BIG), so the counts that
    // hold mass stay one range.
    std::size_t low = last;
    std::size_t high = 0;
    for (std::size_t k = 0; k <= last; ++k) {
        if (law[k] != ModeVector{}) {
            low = std::min(low, k);
            high = k;
        }
    }
    GameByGame result;
    JointLaw next(law.size());
    for (const Outcome outcome : games) {
        double total = 0.0;
        for (std::size_t k = low; k <= high; ++k) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                const double mass = law[k][m];
                const bool ceiling = static_cast<std::int32_t>(k + 1) >= model.ceilingGame;
                const double big = ceiling ? model.ceilingBigProbability : model.bigProbability[m];
                const double reg = model.regProbability;
                const std::size_t later = std::min(k + 1, last);
                if (outcome == Outcome::Quiet) {
                    next[later][m] += mass * (1.0 - reg - big);
                    total += mass * (1.0 - reg - big);
                    continue;
                }
                const double chance = outcome == Outcome::Reg ? reg : big;
                const ModeVector row = lottery(
                    outcome == Outcome::Reg ? model.regNextMode[m] : model.bigNextMode[m], m);
                for (std::size_t to = 0; to < modeCount; ++to) {
                    next[outcome == Outcome::Reg ? later : 0][to] += mass * chance * row[to];
                }
                total += mass * chance;
            }
        }
        for (std::size_t k = low; k <= high; ++k) {
            law[k] = {};
        }
        if (outcome == Outcome::Big) {
            low = high = 0;
        } else {
            low = std::min(low + 1, last);
            high = std::min(high + 1, last);
        }
        for (std::size_t k = low; k <= high; ++k) {
            for (double& mass : next[k]) {
                mass /= total;
            }
        }
        result.logLikelihood += std::log(total);
        std::swap(law, next);
    }
    result.law = std::move(law);
    return result;
}

JointLaw morningLaw(const MachineModel& model) {
    JointLaw law(static_cast<std::size_t>(model.ceilingGame));
    law[0][0] = 1.0;
    return law;
}

BonusHistory historyOf(const std::vector<Outcome>& games) {
    BonusHistory history;
    for (const Outcome outcome : games) {
        ++history.trailingGames;
        if (outcome != Outcome::Quiet) {
            history.bonuses.push_back(
                {outcome == Outcome::Big ? BonusKind::Big : BonusKind::Reg, history.trailingGames});
            history.trailingGames = 0;
        }
    }
    return history;
}

FilteredState filterAll(SettingFilter filter, const BonusHistory& history) {
    for (const ObservedBonus& bonus : history.bonuses) {
        filter.addBonus(bonus);
    }
    return filter.state(history.trailingGames);
}

// Games of the machine itself, after `skipped` games nobody watched.
std::vector<Outcome> playedGames(std::int32_t setting, int skipped, int watched,
                                 std::uint64_t seed) {
    Xoshiro256PlusPlus random(seed);
    clsKorvale machine(random);
    machine.mlngSettei = setting;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    std::vector<Outcome> games;
    for (int i = 0; i < skipped + watched; ++i) {
        const std::string& result = machine.Play(num, mode, simauta);
        if (i >= skipped) {
            games.push_back(result.empty()    ? Outcome::Quiet
                            : result == "BIG" ? Outcome::Big
                                              : Outcome::Reg);
        }
    }
    return games;
}

// The machine's lotteries with large chances and a ceiling at game 3, so that a few games
// reach every case: the ceiling before, at and after a bonus, REGs under it, and a BIG there.
SettingModels smallCeilingModels() {
    SettingModels models = machineModels();
    for (std::size_t s = 0; s < settingCount; ++s) {
        models[s].regProbability = 0.08 + 0.01 * static_cast<double>(s);
        models[s].bigProbability = {0.05, 0.6, 0.2, 0.5, 0.1, 0.02 + 0.01 * static_cast<double>(s)};
        models[s].ceilingGame = 3;
        models[s].ceilingBigProbability = 0.3;
    }
    return models;
}

void expectAgreement(const SettingModels& models, HistoryStart start,
                     const std::vector<Outcome>& games) {
    const FilteredState state = filterAll(SettingFilter(models, start), historyOf(games));
    for (std::size_t s = 0; s < settingCount; ++s) {
        SCOPED_TRACE(s);
        const JointLaw law =
            start == HistoryStart::Morning ? morningLaw(models[s]) : longRunGameStateLaw(models[s]);
        const GameByGame expected = gameByGame(models[s], law, games);
        EXPECT_NEAR(state.logLikelihood[s], expected.logLikelihood,
                    1e-10 * std::max(1.0, std::abs(expected.logLikelihood)));
        // The law of (games since the last BIG, mode) the next game begins in, entry by entry.
        JointLaw filtered(expected.law.size());
        for (std::size_t i = 0; i < state.sinceBig.size(); ++i) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                filtered[static_cast<std::size_t>(state.sinceBig[i])][m] += state.law[i][m][s];
            }
        }
        for (std::size_t k = 0; k < filtered.size(); ++k) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                EXPECT_NEAR(filtered[k][m], expected.law[k][m], 1e-9) << k << " " << m;
            }
        }
    }
}

TEST(SettingFilterExactTest, MachineHistoriesFromTheMorningMatchGameByGame) {
    // Long enough to pass the ceiling with quiet stretches and bonuses on either side of it.
    const struct {
        std::int32_t setting;
        int games;
        std::uint64_t seed;
    } cases[] = {{0, 6000, 1}, {3, 4000, 2}, {5, 5000, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        expectAgreement(machineModels(), HistoryStart::Morning,
                        playedGames(c.setting, 0, c.games, c.seed));
    }
}

TEST(SettingFilterExactTest, JoinedHistoryMatchesGameByGameOverTheUnknownGamesSinceBig) {
    // REGs before the first BIG watched, then the usual filter.
    std::vector<Outcome> games(700, Outcome::Quiet);
    games[120] = Outcome::Reg;
    games[431] = Outcome::Reg;
    games[600] = Outcome::Big;
    games[601] = Outcome::Big;
    games[650] = Outcome::Reg;
    expectAgreement(machineModels(), HistoryStart::Joined, games);
    expectAgreement(machineModels(), HistoryStart::Joined,
                    std::vector<Outcome>(900, Outcome::Quiet));
}

TEST(SettingFilterExactTest, SmallCeilingMachineMatchesGameByGame) {
    const std::vector<Outcome> q(1, Outcome::Quiet);
    for (const HistoryStart start : {HistoryStart::Morning, HistoryStart::Joined}) {
        for (const std::uint64_t seed : {4u, 5u, 6u}) {
            Xoshiro256PlusPlus random(seed);
            std::vector<Outcome> games;
            for (int i = 0; i < 60; ++i) {
                const double u = random.nextFraction();
                games.push_back(u < 0.15 ? Outcome::Reg : u < 0.3 ? Outcome::Big : Outcome::Quiet);
            }
            expectAgreement(smallCeilingModels(), start, games);
        }
    }
}

TEST(SettingFilterExactTest, MassFarBelowTheReferenceModeIsWeighedInLogs) {
    // From the morning only mode 0 holds mass, and its quiet game is so much less likely than
    // the reference mode's that the relative run of 3000 games is far below 1e-250.
    SettingModels models = machineModels();
    for (MachineModel& model : models) {
        model.bigProbability[0] = 0.5;
        model.ceilingGame = 4000;
    }
    std::vector<Outcome> games(3000, Outcome::Quiet);
    games.back() = Outcome::Reg;
    games.push_back(Outcome::Big);
    games.resize(3200, Outcome::Quiet);
    expectAgreement(models, HistoryStart::Morning, games);
}

// Every sequence of n games, quiet, REG or BIG, as a history: their chances add up to 1.
double totalOverAllHistories(const SettingModels& models, HistoryStart start, int n,
                             std::size_t setting) {
    const SettingFilter fresh(models, start);
    std::vector<Outcome> games(static_cast<std::size_t>(n));
    double total = 0.0;
    int count = 1;
    for (int i = 0; i < n; ++i) {
        count *= 3;
    }
    for (int code = 0; code < count; ++code) {
        int rest = code;
        for (Outcome& outcome : games) {
            outcome = static_cast<Outcome>(rest % 3);
            rest /= 3;
        }
        total += std::exp(filterAll(fresh, historyOf(games)).logLikelihood[setting]);
    }
    return total;
}

TEST(SettingFilterExactTest, ChancesOfAllHistoriesOfNGamesAddUpToOne) {
    const struct {
        const char* name;
        SettingModels models;
        HistoryStart start;
        int games;
    } cases[] = {
        {"machine, morning", machineModels(), HistoryStart::Morning, 6},
        {"small ceiling, morning", smallCeilingModels(), HistoryStart::Morning, 7},
        {"small ceiling, joined", smallCeilingModels(), HistoryStart::Joined, 7},
        {"small ceiling, joined, one game", smallCeilingModels(), HistoryStart::Joined, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::size_t s : {0u, 5u}) {
            EXPECT_NEAR(totalOverAllHistories(c.models, c.start, c.games, s), 1.0, 1e-12);
        }
    }
}

// A history that ends with a REG and quiet games up to the ceiling and past it: the posterior
// from the filter's likelihoods against the one worked game by game, on the machine with its
// ceiling at game 3, the REG falling before, at and past the ceiling, from the morning, after a
// BIG and joined.
TEST(SettingFilterExactTest, PosteriorWithTrailingGamesMeetingTheCeilingAfterAReg) {
    const SettingModels models = smallCeilingModels();
    const SettingVector prior = {0.1, 0.2, 0.3, 0.15, 0.15, 0.1};
    for (const HistoryStart start : {HistoryStart::Morning, HistoryStart::Joined}) {
        for (const bool bigFirst : {false, true}) {
            for (int before = 0; before <= 4; ++before) {
                for (int trailing = 0; trailing <= 6; ++trailing) {
                    SCOPED_TRACE(::testing::Message() << static_cast<int>(start) << bigFirst << " "
                                                      << before << " " << trailing);
                    std::vector<Outcome> games(bigFirst ? 1 : 0, Outcome::Big);
                    games.resize(games.size() + static_cast<std::size_t>(before), Outcome::Quiet);
                    games.push_back(Outcome::Reg);
                    games.resize(games.size() + static_cast<std::size_t>(trailing), Outcome::Quiet);
                    const FilteredState state =
                        filterAll(SettingFilter(models, start), historyOf(games));
                    const SettingVector posterior = posteriorOf(state.logLikelihood, prior).value();
                    SettingVector expected{};
                    double total = 0.0;
                    for (std::size_t s = 0; s < settingCount; ++s) {
                        const JointLaw law = start == HistoryStart::Morning
                                                 ? morningLaw(models[s])
                                                 : longRunGameStateLaw(models[s]);
                        expected[s] =
                            prior[s] * std::exp(gameByGame(models[s], law, games).logLikelihood);
                        total += expected[s];
                    }
                    for (std::size_t s = 0; s < settingCount; ++s) {
                        EXPECT_NEAR(posterior[s], expected[s] / total, 1e-12) << s;
                    }
                }
            }
        }
    }
}

TEST(SettingFilterTest, RejectsGapsBelowOneAndNegativeTrailingGames) {
    SettingFilter filter(HistoryStart::Morning);
    EXPECT_THROW(filter.addBonus(BonusKind::Big, 0), std::invalid_argument);
    EXPECT_THROW(filter.addBonus(BonusKind::Reg, -5), std::invalid_argument);
    EXPECT_THROW((void)filter.state(-1), std::invalid_argument);
    filter.addBonus(BonusKind::Reg, maxObservedGames);
    EXPECT_EQ(filter.games(), maxObservedGames);
    EXPECT_TRUE(std::isfinite(filter.state(maxObservedGames).logLikelihood[0]));
}

}  // namespace
}  // namespace korvale
