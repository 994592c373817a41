// The pieces of an attempt cut at its BIGs, against a forward pass over the machine's own state
// on a small hand-built machine: the games since the BIG and since the last REG, played game by
// game with the end test as the attempt applies it, every ending filed as the next BIG (by the
// mode it leads to) or as the end of the attempt.

#include "analysis/outcome/attempt_segments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvale {
namespace {

using Piece = std::map<std::pair<int, int>, double>;  // (games, REGs) -> chance

struct ForwardPieces {
    std::map<int, Piece> bigs;  // by the mode the closing BIG leads to
    Piece end;
    double beyondRegs = 0.0;  // left out: more REGs than the pass counts
};

// One game's BIG chance in `mode`, `sinceBig` games after the last BIG (this game counted).
double bigChance(const MachineModel& model, int mode, int sinceBig) {
    return sinceBig >= model.ceilingGame ? model.ceilingBigProbability
                                         : model.bigProbability[static_cast<std::size_t>(mode)];
}

// From the new machine (mode 0, no BIG yet) or, with x >= 0, from a BIG that led to `start`,
// whose game ended no attempt. The latest REG before that BIG is taken to have fallen on the
// game before it: the renewal holds that no earlier one could matter. The state: the mode, the
// games since the last REG (up to y) and the REGs since the start or the BIG.
ForwardPieces playForward(const MachineModel& model, int start, int x, int y) {
    ForwardPieces pieces;
    const bool first = x < 0;
    if (!first && x == 0 && y <= 1) {
        pieces.end[{0, 0}] = 1.0;  // the BIG's own game ends the attempt
        return pieces;
    }
    constexpr int mostRegs = 40;
    const auto at = [&](int mode, int sinceReg, int regs) {
        return static_cast<std::size_t>((regs * (y + 1) + sinceReg) * modeCount + mode);
    };
    const std::size_t states = at(modeCount - 1, y, mostRegs - 1) + 1;
    std::vector<double> alive(states, 0.0);
    alive[at(start, std::min(1, y), 0)] = 1.0;
    const double r = model.regProbability;
    for (int game = 1;; ++game) {
        std::vector<double> next(states, 0.0);
        double left = 0.0;
        auto carry = [&](int mode, int sinceReg, int regs, double p) {
            if (!first && game >= x && sinceReg >= y) {
                pieces.end[{game, regs}] += p;
            } else if (regs < mostRegs) {
                next[at(mode, sinceReg, regs)] += p;
                left += p;
            } else {
                pieces.beyondRegs += p;
            }
        };
        for (int regs = 0; regs < mostRegs; ++regs) {
            for (int sinceReg = 0; sinceReg <= y; ++sinceReg) {
                for (int mode = 0; mode < modeCount; ++mode) {
                    const double p = alive[at(mode, sinceReg, regs)];
                    if (p == 0.0) {
                        continue;
                    }
                    const auto m = static_cast<std::size_t>(mode);
                    const double big = bigChance(model, mode, game);
                    for (int to = 0; to < modeCount; ++to) {
                        const auto t = static_cast<std::size_t>(to);
                        if (model.bigNextMode[m][t] > 0.0) {
                            pieces.bigs[to][{game, regs}] += p * big * model.bigNextMode[m][t];
                        }
                        if (model.regNextMode[m][t] > 0.0) {
                            carry(to, 0, regs + 1, p * r * model.regNextMode[m][t]);
                        }
                    }
                    carry(mode, std::min(sinceReg + 1, y), regs, p * (1.0 - r - big));
                }
            }
        }
        if (left < 1e-17) {
            return pieces;
        }
        alive.swap(next);
    }
}

// The largest difference between a piece's table and the forward pass's, entry by entry.
double largestGap(const SegmentKernel& kernel, const Piece& expected) {
    Piece got;
    for (const SegmentEntry& e : kernel) {
        got[{e.games, e.regs}] += e.mass;
    }
    double gap = 0.0;
    for (const auto& [at, p] : expected) {
        gap = std::max(gap, std::abs(p - (got.contains(at) ? got.at(at) : 0.0)));
    }
    for (const auto& [at, p] : got) {
        gap = std::max(gap, expected.contains(at) ? 0.0 : p);
    }
    return gap;
}

TEST(AttemptSegmentsTest, AgreesWithAForwardPassOverEachPiece) {
    // Setting index 1's rows with hot BIG chances and the ceiling at game 6, so that pieces are
    // short and the ceiling falls within them.
    MachineModel model = machineModel(1);
    model.bigProbability = {0.02, 0.3, 0.08, 0.25, 0.03, 0.01};
    model.regProbability = 0.03;
    model.ceilingGame = 6;
    model.ceilingBigProbability = 0.12;
    // The first piece ends at the first BIG, before any end condition applies.
    const ForwardPieces first = playForward(model, 0, -1, 0);
    EXPECT_LT(first.beyondRegs, 1e-16);
    const std::vector<std::pair<int, int>> rules = {{0, 0}, {0, 1}, {3, 2}, {3, 4}, {7, 8}};
    for (const auto& [x, y] : rules) {
        SCOPED_TRACE(std::to_string(x) + "/" + std::to_string(y));
        const AttemptSegments segments =
            attemptSegments(model, x, y, segmentTail, segmentSmallest, {}, {.threads = 2});
        // No BIG row leads to mode 0.
        ASSERT_EQ(segments.postBigModes, (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_LT(segments.lostMass, 1e-11);
        const double tolerance = segments.lostMass + 1e-15;
        for (std::size_t to = 0; to < segments.postBigModes.size(); ++to) {
            const int mode = segments.postBigModes[to];
            EXPECT_LT(largestGap(segments.first[to], first.bigs.at(mode)), tolerance)
                << "first piece to mode " << mode;
        }
        for (std::size_t from = 0; from < segments.postBigModes.size(); ++from) {
            const ForwardPieces later = playForward(model, segments.postBigModes[from], x, y);
            EXPECT_LT(later.beyondRegs, 1e-16);
            for (std::size_t to = 0; to < segments.postBigModes.size(); ++to) {
                const int mode = segments.postBigModes[to];
                const Piece none;
                EXPECT_LT(largestGap(segments.next[from][to],
                                     later.bigs.contains(mode) ? later.bigs.at(mode) : none),
                          tolerance)
                    << "from mode " << segments.postBigModes[from] << " to mode " << mode;
            }
            EXPECT_LT(largestGap(segments.end[from], later.end), tolerance)
                << "end from mode " << segments.postBigModes[from];
        }
    }
}

}  // namespace
}  // namespace korvale
