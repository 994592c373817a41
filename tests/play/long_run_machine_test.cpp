#include "play/long_run_machine.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvale {
namespace {

constexpr std::int32_t int32Max = INT32_MAX;

// Plays `blocks` stretches of `blockGames` the way the batch run does and returns the results.
std::vector<std::string> playInBlocks(LongRunMachine& player, int blocks, std::int32_t blockGames) {
    std::vector<std::string> results;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    for (int b = 0; b < blocks; ++b) {
        player.makeRoomFor(blockGames);
        for (std::int32_t i = 0; i < blockGames; ++i) {
            results.push_back(player.machine.Play(num, mode, simauta));
        }
    }
    return results;
}

// A machine whose counters are almost at the limit goes on exactly as a fresh one would: same
// games, same bonuses, and the totals go past the 32-bit range without losing a count.
TEST(LongRunMachineTest, FoldingKeepsPlayAndTotalsExact) {
    Xoshiro256PlusPlus nearStream(2024);
    LongRunMachine nearLimit(nearStream, 4);
    nearLimit.machine.mlngPlayCnt = int32Max - 100'000;
    nearLimit.machine.mlngBigCnt = int32Max - 5000;
    nearLimit.machine.mlngRegCnt = int32Max - 5000;

    Xoshiro256PlusPlus freshStream(2024);
    LongRunMachine fresh(freshStream, 4);

    const auto nearResults = playInBlocks(nearLimit, 50, 4096);
    const auto freshResults = playInBlocks(fresh, 50, 4096);
    EXPECT_EQ(nearResults, freshResults);
    EXPECT_EQ(nearLimit.machine.mMode, fresh.machine.mMode);

    const std::int64_t played = 50 * 4096;
    EXPECT_EQ(nearLimit.games(), std::int64_t{int32Max} - 100'000 + played);
    EXPECT_EQ(nearLimit.bigs(), std::int64_t{int32Max} - 5000 + fresh.bigs());
    EXPECT_EQ(nearLimit.regs(), std::int64_t{int32Max} - 5000 + fresh.regs());
    // The counters were folded part-way: 24 stretches fitted in the room of 100000 games, the
    // 25th would have gone past the limit.
    EXPECT_EQ(nearLimit.machine.mlngPlayCnt, played - 24 * 4096);
    // The games-since counters were never touched.
    EXPECT_EQ(nearLimit.machine.mlngBigPlayCnt, fresh.machine.mlngBigPlayCnt);
    EXPECT_EQ(nearLimit.machine.mlngBonusPlayCnt, fresh.machine.mlngBonusPlayCnt);
}

TEST(LongRunMachineTest, RoomIsMadeOnlyWhenAStretchWouldOverflow) {
    Xoshiro256PlusPlus stream(1);
    LongRunMachine player(stream, 0);
    player.machine.mlngPlayCnt = int32Max - 4096;
    player.makeRoomFor(4096);  // exactly fits: the last game reaches the limit
    EXPECT_EQ(player.machine.mlngPlayCnt, int32Max - 4096);
    player.makeRoomFor(4097);
    EXPECT_EQ(player.machine.mlngPlayCnt, 0);
    EXPECT_EQ(player.games(), int32Max - 4096);

    // A bonus counter near the limit is reason enough.
    player.machine.mlngRegCnt = int32Max - 10;
    player.makeRoomFor(4096);
    EXPECT_EQ(player.machine.mlngRegCnt, 0);
    EXPECT_EQ(player.regs(), int32Max - 10);
}

TEST(LongRunMachineTest, TotalsAddUpOverManyFolds) {
    Xoshiro256PlusPlus stream(1);
    LongRunMachine player(stream, 0);
    for (int i = 0; i < 5; ++i) {
        player.machine.mlngPlayCnt = int32Max;
        player.machine.mlngBigCnt = int32Max / 2;
        player.machine.mlngRegCnt = 7;
        player.makeRoomFor(1);
    }
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    player.machine.Play(num, mode, simauta);
    EXPECT_EQ(player.games(), 5 * std::int64_t{int32Max} + 1);
    EXPECT_EQ(player.bigs(), 5 * std::int64_t{int32Max / 2} + player.machine.mlngBigCnt);
    EXPECT_EQ(player.regs(), 35 + player.machine.mlngRegCnt);
}

}  // namespace
}  // namespace korvale
