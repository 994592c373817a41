// The outcome laws of an attempt on a machine found some games after its last BIG: against the
// forward reference started there, against the ceiling's geometric wait worked out by hand,
// and a pure-mode start against the new machine of a machine with its modes relabelled.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_start.h"
#include "analysis/outcome/outcome_law.h"
#include "analysis/outcome/start_grid.h"
#include "tests/analysis/outcome/reg_wait_reference.h"

namespace korvale {
namespace {

double worstGap(const IntegerLaw& law, const std::map<std::int64_t, double>& expected) {
    double worst = 0.0;
    for (const auto& [value, chance] : expected) {
        worst = std::max(worst, std::abs(law.at(value) - chance));
    }
    for (std::size_t i = 0; i < law.chance.size(); ++i) {
        if (!expected.contains(law.first + static_cast<std::int64_t>(i))) {
            worst = std::max(worst, std::abs(law.chance[i]));
        }
    }
    return worst;
}

AttemptStart handStart(std::int32_t gamesSinceBig, ModeVector modeLaw) {
    return {gamesSinceBig, modeLaw, true};
}

TEST(FoundStartTest, AgreesWithTheForwardReferenceStartedThere) {
    // The small machine's ceiling at game 12: found 5 games after a BIG the ceiling binds from
    // the attempt's game 7, found 11 or 30 games after from its first game. Y <= X + 1 takes the
    // renewal (whole law and head). A longer REG end takes the REG-wait law (head), with the
    // ceiling at game 40, out of reach after a BIG, so that the head's bound is tight: found 33
    // games after, REGs at the attempt's games 4 and 5 hold it past the ceiling at game 7;
    // found 39 after, every REG's window plays at the ceiling.
    struct Case {
        std::int32_t ceiling;
        std::int32_t gamesSinceBig;
        ModeVector modeLaw;
        int bigEnd;
        int regEnd;
    };
#ifdef KORVALE_SANITIZED
    // The reference runs some thirty times slower there: one case of each law.
    const std::vector<Case> cases = {{12, 5, {0.2, 0.5, 0.3}, 0, 0},
                                     {40, 33, {0.3, 0.3, 0.4}, 0, 4}};
#else
    const std::vector<Case> cases = {
        {12, 5, {0.2, 0.5, 0.3}, 0, 0},  {12, 11, {0.6, 0.0, 0.4}, 2, 1},
        {12, 30, {0.1, 0.1, 0.8}, 4, 5}, {40, 33, {0.3, 0.3, 0.4}, 0, 4},
        {40, 39, {0.5, 0.2, 0.3}, 1, 4},
    };
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE("ceiling " + std::to_string(c.ceiling) + ", G " +
                     std::to_string(c.gamesSinceBig) + ", " + std::to_string(c.bigEnd) + "/" +
                     std::to_string(c.regEnd));
        const MachineModel model = smallReferenceMachine(c.ceiling);
        const EndConditions end{double(c.bigEnd), c.regEnd};
        const AttemptStart start = handStart(c.gamesSinceBig, c.modeLaw);
        const ReferenceNetLaw reference =
            referenceNetLaw(model, c.bigEnd, c.regEnd, 1e-13, {c.modeLaw, c.gamesSinceBig});
        const double lost = reference.unfinished + reference.dropped;
        ASSERT_LT(lost, 1e-12);
        const NetLawHead head = solveNetLawHead(model, end, start, {.threads = 1});
        EXPECT_NEAR(head.pAhead, reference.pAhead(), std::max(1e-9, head.errorBound) + lost);
        EXPECT_NEAR(reference.atMost(head.net.quantile(0.1)),
                    reference.atMost(reference.quantile(0.1)), head.errorBound + lost);
        if (outcomeLawCovers(end)) {
            const OutcomeLaw law = solveOutcomeLaw(model, end, start, {.threads = 1});
            EXPECT_LT(law.errorBound, 1e-8);
            EXPECT_LE(worstGap(law.net, reference.net), law.errorBound + lost);
        } else {
            EXPECT_LT(head.errorBound, 1e-5);
        }
    }
}

TEST(FoundStartTest, FromTheCeilingOnQuittingAtTheFirstBigIsAGeometricWait) {
    // Every game at the ceiling is a BIG with chance p = 1000/65536 in every mode and a REG
    // with chance r: n games with k REGs among the first n - 1 have chance
    // C(n-1, k) r^k s^(n-1-k) p, s = 1 - r - p, and a net of 388 + 127 k - round(c n).
    const std::int32_t setting = 0;
    const MachineModel model = machineModel(setting);
    const double p = 1000.0 / 65536.0;
    const double r = model.regProbability;
    const double s = 1.0 - r - p;
    std::map<std::int64_t, double> net;
    double noReg = p;  // s^(n-1) p
    for (int n = 1; noReg > 1e-30; ++n) {
        const auto cost = static_cast<std::int64_t>(std::nearbyint(model.costCoefficient * n));
        double chance = noReg;
        for (int k = 0; k < n && chance > 1e-30; ++k) {
            net[388 + 127 * k - cost] += chance;
            chance *= double(n - 1 - k) / double(k + 1) * r / s;
        }
        noReg *= s;
    }
    double ahead = 0.0;
    for (auto it = net.upper_bound(0); it != net.end(); ++it) {
        ahead += it->second;
    }
    for (const std::int32_t g : {1499, 1500, 4000}) {
        SCOPED_TRACE(g);
        const AttemptStart start = foundStart(model, g);
        const OutcomeLaw law = solveOutcomeLaw(setting, {0.0, 0}, start, {.threads = 2});
        ASSERT_LT(law.errorBound, 1e-8);
        EXPECT_LE(worstGap(law.net, net), law.errorBound + 1e-13);
        EXPECT_NEAR(law.games.mean(), 1.0 / p, 1e-6);
        const NetLawHead head = solveNetLawHead(setting, {0.0, 0}, start, {.threads = 2});
        EXPECT_NEAR(head.pAhead, ahead, head.errorBound + 1e-13);
    }
}

// The model with modes 0 and m swapped: its new machine is the original in mode m.
MachineModel swapModes(MachineModel model, std::size_t m) {
    auto swapIn = [m](ModeVector& v) { std::swap(v[0], v[m]); };
    swapIn(model.bigProbability);
    for (ModeMatrix* rows : {&model.regNextMode, &model.bigNextMode}) {
        std::swap((*rows)[0], (*rows)[m]);
        for (ModeVector& row : *rows) {
            swapIn(row);
        }
    }
    return model;
}

TEST(FoundStartTest, APureModeIsTheNewMachineOfTheModelWithThatModeFirst) {
    // Found just after a BIG (the ceiling as far off as a new machine's), in one mode, and in
    // the long run's mixture of them, whose means are the mixture of the pure modes' means from
    // the attempt chain of each relabelled model (games and BIGs: from a hot mode the chain
    // leaves the rounded cost out of reach).
    const MachineModel model = machineModel(3);
    const EndConditions end{0.0, 1};
    const AttemptStart found = foundStart(model, 0);
    double mixedGames = 0.0;
    double mixedBigs = 0.0;
    for (std::size_t m = 1; m < modeCount; ++m) {
        SCOPED_TRACE(m);
        ModeVector pure{};
        pure[m] = 1.0;
        const MachineModel swapped = swapModes(model, m);
        const OutcomeLaw law = solveOutcomeLaw(model, end, handStart(0, pure), {.threads = 2});
        const OutcomeLaw morning = solveOutcomeLaw(swapped, end, {}, {.threads = 2});
        EXPECT_LT(law.errorBound, 1e-8);
        std::map<std::int64_t, double> expected;
        for (std::size_t i = 0; i < morning.net.chance.size(); ++i) {
            expected[morning.net.first + static_cast<std::int64_t>(i)] = morning.net.chance[i];
        }
        EXPECT_LE(worstGap(law.net, expected), law.errorBound + morning.errorBound);
        const AttemptFigures chain = solveAttempt(swapped, end);
        mixedGames += found.modeLaw[m] * chain.expectedGames;
        mixedBigs += found.modeLaw[m] * chain.expectedBigs;
    }
    EXPECT_EQ(found.modeLaw[0], 0.0);  // no BIG leads to the morning's mode
    const OutcomeLaw law = solveOutcomeLaw(model, end, found, {.threads = 2});
    EXPECT_NEAR(law.games.mean(), mixedGames, 1e-6);
    EXPECT_NEAR(law.bigs.mean(), mixedBigs, 1e-8);
}

TEST(FoundStartTest, AGridOfStartsGivesEachStartsHead) {
    // One renewal for every start against a whole head from each: before the ceiling, just
    // before it, at it and the new machine, under two rules.
    const MachineModel model = machineModel(1);
    const std::vector<AttemptStart> starts = {morningStart(),          foundStart(model, 0),
                                              foundStart(model, 700),  foundStart(model, 1450),
                                              foundStart(model, 1499), foundStart(model, 1600)};
    for (const EndConditions end : {EndConditions{0.0, 0}, EndConditions{40.0, 30}}) {
        SCOPED_TRACE(end.bigEnd);
        const std::vector<NetLawHead> heads = solveNetLawHeads(model, end, starts, {.threads = 2});
        ASSERT_EQ(heads.size(), starts.size());
        for (std::size_t s = 0; s < starts.size(); ++s) {
            SCOPED_TRACE(starts[s].gamesSinceBig);
            const NetLawHead alone = solveNetLawHead(model, end, starts[s], {.threads = 2});
            const double tolerance = heads[s].errorBound + alone.errorBound;
            EXPECT_LT(heads[s].errorBound, 1e-5);
            EXPECT_NEAR(heads[s].pAhead, alone.pAhead, tolerance);
            EXPECT_EQ(heads[s].net.quantile(0.5), alone.net.quantile(0.5));
            EXPECT_EQ(heads[s].net.quantile(0.1), alone.net.quantile(0.1));
        }
    }
}

TEST(FoundStartTest, RefusesAStartThatIsNoMachine) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const AttemptStart& start : {handStart(-1, {1.0}), handStart(0, {0.5, 0.4}),
                                      handStart(0, {1.5, -0.5}), handStart(0, {nan, 1.0})}) {
        EXPECT_THROW(solveOutcomeLaw(0, {0.0, 0}, start, {.threads = 1}), std::invalid_argument);
        EXPECT_THROW(solveNetLawHead(0, {0.0, 4}, start, {.threads = 1}), std::invalid_argument);
        EXPECT_THROW(solveNetLawHeads(machineModel(0), {0.0, 0}, {start}, {.threads = 1}),
                     std::invalid_argument);
    }
    // A machine found as far from its last BIG as a count can say plays at the ceiling.
    const NetLawHead farthest =
        solveNetLawHead(0, {0.0, 0}, handStart(2147483647, {0.0, 1.0}), {.threads = 1});
    const NetLawHead atCeiling =
        solveNetLawHead(0, {0.0, 0}, handStart(1499, {1.0}), {.threads = 1});
    EXPECT_NEAR(farthest.pAhead, atCeiling.pAhead, farthest.errorBound + atCeiling.errorBound);
}

}  // namespace
}  // namespace korvale
