#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "machine/attempt_end.h"

namespace korvale {
namespace {

struct UntilOverCase {
    EndConditions end;
    std::int64_t bigs, sinceBig, regs, sinceReg;
    std::int64_t games;  // worked by hand
};

TEST(GamesUntilOverTest, WorkedCases) {
    constexpr std::int64_t never = 100000;
    const UntilOverCase cases[] = {
        {{300.0, 100}, 0, 500, 0, 500, never},  // no BIG yet: only a bonus can end it
        {{300.0, 100}, 1, 0, 0, 0, 300},        // BIG just fell, no REG in the attempt
        {{300.0, 100}, 1, 250, 1, 0, 100},      // REG 250 games after the BIG: 100 more
        {{300.5, 100}, 1, 250, 1, 50, 51},      // 300.5 needs 301 games since the BIG
        {{300.0, 100}, 2, 299, 1, 400, 1},      // both ends reached by the next game
        {{0.0, 0}, 1, 0, 1, 0, 1},              // the next game ends it, whatever it is
        {{1e300, 100}, 1, 0, 0, 0, never},      // a BIG end beyond reach
    };
    for (const UntilOverCase& c : cases) {
        EXPECT_EQ(gamesUntilOver(c.end, c.bigs, c.sinceBig, c.regs, c.sinceReg, never), c.games)
            << c.end.bigEnd << "/" << c.end.regEnd << " " << c.sinceBig << " " << c.sinceReg;
    }
}

// Against the end test itself, game after game, over ends and counts on both sides of each
// other.
TEST(GamesUntilOverTest, IsTheFirstGameTheEndTestHolds) {
    constexpr std::int64_t never = 700;
    const double bigEnds[] = {-5.0,        0.0,   0.5,    1.0,
                              299.5,       300.0, 650.25, std::numeric_limits<double>::infinity(),
                              std::nan("")};
    const std::int32_t regEnds[] = {-3, 0, 1, 100, 650};
    const std::int64_t counts[] = {0, 1, 99, 300, 1000};
    for (const double bigEnd : bigEnds) {
        for (const std::int32_t regEnd : regEnds) {
            const EndConditions end{bigEnd, regEnd};
            for (const std::int64_t bigs : {0, 1, 4}) {
                for (const std::int64_t regs : {0, 2}) {
                    for (const std::int64_t sinceBig : counts) {
                        for (const std::int64_t sinceReg : counts) {
                            std::int64_t first = 1;
                            while (first < never && !attemptIsOver(end, bigs, sinceBig + first,
                                                                   regs, sinceReg + first)) {
                                ++first;
                            }
                            ASSERT_EQ(gamesUntilOver(end, bigs, sinceBig, regs, sinceReg, never),
                                      first)
                                << bigEnd << "/" << regEnd << " bigs " << bigs << " regs " << regs
                                << " since " << sinceBig << "/" << sinceReg;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace korvale
