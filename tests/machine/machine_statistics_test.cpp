// Long seeded runs: what the machine does over millions of games must agree with what its tables
// imply. Every game is a REG with probability R / 65536 whatever the mode, and a BIG with
// probability B / 65536 given the mode it began in and the games since the last BIG. Each
// observed rate must lie within five standard errors of its exact value (a false alarm about
// once in 1.7 million; the seeds are fixed, so a failure is a real change).

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "machine/cls_korvale.h"
#include "machine/korvale_tables.h"
#include "machine_test_support.h"

namespace korvale {
namespace {

struct RateCount {
    double trials = 0;
    double hits = 0;

    void expectNear(double probability, const std::string& what) const {
        ASSERT_GT(trials, 0) << what;
        const double observed = hits / trials;
        const double standardError = std::sqrt(probability * (1 - probability) / trials);
        EXPECT_NEAR(observed, probability, 5 * standardError + 1e-12)
            << what << ": " << hits << " in " << trials;
    }
};

class MachineStatisticsTest : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(MachineStatisticsTest, RatesAgreeWithTheTables) {
    const std::int32_t setting = GetParam();
    Xoshiro256PlusPlus generator(1000 + static_cast<std::uint64_t>(setting));
    clsKorvale machine(generator);
    machine.mlngSettei = setting;

    RateCount reg;
    std::array<RateCount, modeCount> bigByMode;
    RateCount bigAtCeiling;
    constexpr int kGames = 3000000;
    for (int game = 0; game < kGames; ++game) {
        const std::int32_t mode = machine.mMode;
        const bool atCeiling = machine.mlngBigPlayCnt + 1 >= bigCeilingGames;
        std::int32_t num, playMode, simauta;
        const std::string& result = machine.Play(num, playMode, simauta);
        ASSERT_EQ(playMode, mode);
        reg.trials += 1;
        reg.hits += result == "REG";
        // A BIG is only possible when the game was not a REG.
        if (result != "REG") {
            RateCount& big = atCeiling ? bigAtCeiling : bigByMode[static_cast<std::size_t>(mode)];
            big.trials += 1;
            big.hits += result == "BIG";
        }
    }
    const double r = regThreshold(setting) / 65536.0;
    reg.expectNear(r, "REG");
    for (std::int32_t mode = 0; mode < modeCount; ++mode) {
        if (bigByMode[static_cast<std::size_t>(mode)].trials > 1000) {
            const double b = bigThresholds[static_cast<std::size_t>(mode)] / 65536.0;
            bigByMode[static_cast<std::size_t>(mode)].expectNear(
                b / (1 - r), "BIG in mode " + std::to_string(mode));
        }
    }
    // Modes 1..5 all show up in a long run.
    for (std::int32_t mode = 1; mode < modeCount; ++mode) {
        EXPECT_GT(bigByMode[static_cast<std::size_t>(mode)].trials, 0) << mode;
    }
    if (bigAtCeiling.trials > 1000) {
        bigAtCeiling.expectNear(ceilingBigThreshold / 65536.0 / (1 - r), "BIG at the ceiling");
    }
}

INSTANTIATE_TEST_SUITE_P(EverySetting, MachineStatisticsTest, ::testing::Range(0, 6));

}  // namespace
}  // namespace korvale
