#pragma once

// An attempt cut at its BIGs. After a BIG the attempt waits X games without a BIG; a REG
// restarts a wait of Y games. While Y <= X + 1 a REG that fell before a BIG can never outlast
// the X games that the BIG starts, so what follows a BIG depends on the mode it leads to
// alone: the attempt is a renewal process over the modes after its BIGs. Each piece between
// two BIGs is tabulated by its games and REGs, worked out game by game from the chain.

#include <atomic>
#include <cstdint>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "common/work_control.h"

namespace korvale {

inline constexpr double firstTailShare = 1e-3;

// One way a piece can go: it lasts `games` games (the closing BIG's game included) with
// `regs` REGs, with chance `mass`.
struct SegmentEntry {
    std::int32_t games = 0;
    std::int32_t regs = 0;
    double mass = 0.0;
};
using SegmentKernel = std::vector<SegmentEntry>;

struct AttemptSegments {
    // The modes that a BIG can lead to, in mode order; indexes below count in this list.
    std::vector<int> postBigModes;
    // [to]: from the start to its first BIG, which leads to postBigModes[to].
    std::vector<SegmentKernel> first;
    // [from][to]: from a BIG that led to postBigModes[from] to the next BIG, leading to [to].
    std::vector<std::vector<SegmentKernel>> next;
    // [from]: from a BIG that led to postBigModes[from] to the end of the attempt, with no
    // BIG between (0 games when the attempt ends on the BIG's own game).
    std::vector<SegmentKernel> end;
    // The largest chance that one piece lost to the cuts: its still-running tail once that
    // is below `tail`, and entries below `smallest`.
    double lostMass = 0.0;
    // What the first piece's table lost: its tail is cut at firstTailShare times `tail`, since
    // bounds taken from the table must also cover the tail that a closed form of that piece
    // keeps.
    double firstLostMass = 0.0;
    // The longest piece kept.
    std::int32_t longestGames = 0;
};

// The chance at which a piece's table ends, and the smallest entry it keeps.
inline constexpr double segmentTail = 1e-12;
inline constexpr double segmentSmallest = 1e-15;

// Needs bigEndGames >= 0 and 0 <= regEndGames <= bigEndGames + 1 (whole games, as the end
// test counts them): a negative count is a std::invalid_argument, a longer REG end a
// StatusError (LawNotCovered). `control.threads` work out the pieces side by side; setting
// `*control.cancel` calls the work off (WorkCancelled); its progress is not told. `start` sets
// the first piece only (first_piece_start.h).
AttemptSegments attemptSegments(const MachineModel& model, std::int32_t bigEndGames,
                                std::int32_t regEndGames, double tail = segmentTail,
                                double smallest = segmentSmallest, const AttemptStart& start = {},
                                const WorkControl& control = {});

}  // namespace korvale
