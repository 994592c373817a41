#pragma once

// The long run of one machine played without end: the limits that the per-mode statistics
// run converges to, worked out from the machine's Markov chain instead of by playing.

#include <cstdint>
#include <vector>

#include "analysis/model/machine_model.h"

namespace korvale {

struct LongRunFigures {
    std::int32_t setting = 0;     // setting index 0..5 (-1 for a hand-built model)
    double bigProbability = 0;    // BIGs per game
    double regProbability = 0;    // REGs per game
    double bonusProbability = 0;  // both together (合算)
    double payoutPercent = 0;     // coins out per coin in, in percent (機械割)
    // Per mode: the share of games begun in it, BIGs drawn in it per game of the long run,
    // and its RT release rate (games begun in it per BIG drawn in it). Mode 0 is left for
    // good at the first BIG, so its share is 0 and its rate has no limit (NaN).
    ModeVector modeShare{};
    ModeVector modeBigsPerGame{};
    ModeVector modeReleaseRate{};
};

// Solves the chain exactly for the machine at setting index 0..5.
LongRunFigures solveLongRun(std::int32_t setting);

// The same for any model (a test's degenerate machine, say).
LongRunFigures solveLongRun(const MachineModel& model);

// The state a game of the long run begins in, as someone who walks up to the machine at a
// random moment finds it: law[k][m] is the chance that k games have been played since the last
// BIG and the mode is m. k runs 0..ceilingGame-1; the last entry holds every count from there
// on, since the next game then plays under the ceiling whatever the count.
std::vector<ModeVector> longRunGameStateLaw(const MachineModel& model);

// A machine found at a random moment of its long run showing gamesSinceBig >= 0 games since
// its last BIG (REGs in the wait allowed, each moving the mode): how often a game of the long
// run begins at that count, and the law of the mode it begins in. From the ceiling on every
// mode waits alike, so the count's chance falls geometrically; it is carried as a logarithm,
// which stays finite however long the wait.
struct FoundMachineState {
    double logChance = 0.0;  // ln of the share of the long run's games that begin at the count
    ModeVector modeLaw{};    // the mode's law given the count; sums to 1
};
FoundMachineState foundMachineState(const MachineModel& model, std::int32_t gamesSinceBig);

}  // namespace korvale
