// The capped attempt against every state of a tiny machine played out plainly: the mode, the
// ceiling's counter, the games since the last REG and whether a BIG and a REG have fallen,
// carried game by game with the end test as the machine states it. The ceilings are a few games
// long, so that the attempts reach them over and over within the limit.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/attempt/capped_attempt.h"

namespace korvale {
namespace {

struct Plain {
    double games = 0;
    double bigs = 0;
    double regs = 0;
    double cost = 0;
    double alive = 0;
};

// A row of weights that are all 0 keeps the mode.
double nextChance(const ModeVector& row, std::size_t from, std::size_t to) {
    const bool none = std::all_of(row.begin(), row.end(), [](double w) { return w == 0.0; });
    return none ? (from == to ? 1.0 : 0.0) : row[to];
}

// Every state before each game: [mode][ceiling count][games since the REG][BIG yet][REG yet].
Plain playEveryState(const MachineModel& model, int bigEnd, int regEnd, int maxGames,
                     const AttemptStart& start) {
    const int counts = start.gamesSinceBig + maxGames + 1;
    const auto index = [&](std::size_t m, int c, int r, int big, int reg) {
        return (((m * static_cast<std::size_t>(counts) + static_cast<std::size_t>(c)) *
                     static_cast<std::size_t>(maxGames + 1) +
                 static_cast<std::size_t>(r)) *
                    2 +
                static_cast<std::size_t>(big)) *
                   2 +
               static_cast<std::size_t>(reg);
    };
    std::vector<double> now(index(modeCount, 0, 0, 0, 0), 0.0);
    for (std::size_t m = 0; m < modeCount; ++m) {
        now[index(m, start.gamesSinceBig, 0, 0, 0)] = start.modeLaw[m];
    }
    Plain plain;
    for (int game = 1; game <= maxGames; ++game) {
        std::vector<double> next(now.size(), 0.0);
        double ended = 0.0;
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (int c = 0; c < counts; ++c) {
                for (int r = 0; r <= maxGames; ++r) {
                    for (int big = 0; big < 2; ++big) {
                        for (int reg = 0; reg < 2; ++reg) {
                            const double p = now[index(m, c, r, big, reg)];
                            if (p == 0.0) {
                                continue;
                            }
                            // This game is game c + 1 after the machine's last BIG.
                            const double bc = c + 1 >= model.ceilingGame
                                                  ? model.ceilingBigProbability
                                                  : model.bigProbability[m];
                            const double rc = model.regProbability;
                            plain.games += p;
                            plain.bigs += p * bc;
                            plain.regs += p * rc;
                            const auto after = [&](std::size_t mode, int nc, int nr, int nbig,
                                                   int nreg, double chance) {
                                if (nbig == 1 && nc >= bigEnd && (nreg == 0 || nr >= regEnd)) {
                                    ended += chance;
                                } else {
                                    next[index(mode, nc, nr, nbig, nreg)] += chance;
                                }
                            };
                            const int sinceReg = reg == 1 ? r + 1 : 0;
                            for (std::size_t to = 0; to < modeCount; ++to) {
                                after(to, 0, sinceReg, 1, reg,
                                      p * bc * nextChance(model.bigNextMode[m], m, to));
                                after(to, c + 1, 0, big, 1,
                                      p * rc * nextChance(model.regNextMode[m], m, to));
                            }
                            after(m, c + 1, sinceReg, big, reg, p * (1.0 - bc - rc));
                        }
                    }
                }
            }
        }
        plain.cost += ended * std::nearbyint(model.costCoefficient * game);
        now.swap(next);
    }
    for (const double p : now) {
        plain.alive += p;
    }
    plain.cost += plain.alive * std::nearbyint(model.costCoefficient * maxGames);
    return plain;
}

// Three modes, the ceiling after 6 games at a chance of its own, a REG that keeps the mode.
MachineModel tinyMachine() {
    MachineModel model;
    model.regProbability = 0.09;
    model.bigProbability = {0.02, 0.25, 0.07, 0.0, 0.0, 0.0};
    model.ceilingGame = 6;
    model.ceilingBigProbability = 0.4;
    model.bigNextMode = {
        {{0.0, 0.5, 0.5, 0, 0, 0}, {0.0, 0.2, 0.8, 0, 0, 0}, {0.0, 0.6, 0.4, 0, 0, 0}, {}, {}, {}}};
    model.regNextMode = {{{}, {0.0, 0.0, 1.0, 0, 0, 0}, {}, {}, {}, {}}};
    model.costCoefficient = 1.604;
    model.coinsInPerGame = 3;
    model.coinsPerBig = 388;
    model.coinsPerReg = 127;
    return model;
}

// The machine's own chances with its ceiling after 12 games.
MachineModel shortCeiling() {
    MachineModel model = machineModel(2);
    model.ceilingGame = 12;
    return model;
}

TEST(CappedReferenceTest, AgreesWithEveryStatePlayedOut) {
    struct Case {
        bool tiny;
        int bigEnd;
        int regEnd;
        int maxGames;
        int sinceBig;  // -1: the morning
    };
    const Case cases[] = {
        {true, 3, 2, 60, -1},    // every landing at the BIG end
        {true, 0, 1, 40, -1},    // quitting at the first BIG
        {true, 9, 2, 60, -1},    // waits above the REG end + 1, young and old
        {true, 14, 0, 70, 4},    // those outlasting the ceiling; found 4 games after a BIG
        {true, 1, 9, 60, -1},    // a REG wait that outlasts the BIG end
        {true, 0, 7, 50, 9},     // the same from the first BIG; found under the ceiling
        {false, 20, 5, 60, -1},  // the machine's modes with a short ceiling
        {false, 2, 15, 60, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.bigEnd << "/" << c.regEnd << " " << c.maxGames);
        const MachineModel model = c.tiny ? tinyMachine() : shortCeiling();
        AttemptStart start;
        if (c.sinceBig >= 0) {
            start = {.gamesSinceBig = c.sinceBig,
                     .modeLaw = c.tiny ? ModeVector{0.0, 0.3, 0.7}
                                       : ModeVector{0.0, 0.1, 0.2, 0.0, 0.3, 0.4},
                     .found = true};
        }
        const Plain plain = playEveryState(model, c.bigEnd, c.regEnd, c.maxGames, start);
        const CappedAttemptFigures capped =
            solveCappedAttempt(model, {static_cast<double>(c.bigEnd), c.regEnd}, c.maxGames, start);
        const auto near = [](double value) { return 1e-12 * std::abs(value) + 1e-300; };
        EXPECT_NEAR(capped.figures.expectedGames, plain.games, near(plain.games));
        EXPECT_NEAR(capped.figures.expectedBigs, plain.bigs, near(plain.bigs));
        EXPECT_NEAR(capped.figures.expectedRegs, plain.regs, near(plain.regs));
        EXPECT_NEAR(capped.figures.expectedCost, plain.cost, near(plain.cost));
        EXPECT_NEAR(capped.limitReachedChance, plain.alive, near(plain.alive));
    }
}

}  // namespace
}  // namespace korvale
