#pragma once

// What one attempt is worth: an attempt plays a new machine (mode 0, nothing played), or one
// found some games after its last BIG (attempt_start.h), until, after a game, it has drawn at
// least one BIG, at least bigEnd games have followed the last BIG, and either no REG has fallen
// or at least regEnd games have followed the last REG. Worked out exactly from the machine's
// chain, not by playing.

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "common/work_control.h"
#include "machine/attempt_end.h"

namespace korvale {

// The largest end conditions the solver takes. Past 1500 games without a BIG every game is a
// BIG with chance 1000/65536, so a longer BIG end is almost never reached: at 2000 an attempt
// already lasts some 3e7 games and takes about 1e5 BIGs, and the figures lose a digit for
// every further tenfold, which doubles cannot carry much further. The REG end bounds the
// memory (about 50 MB at 1000, twice that with the exact rounding).
inline constexpr double largestBigEnd = 2000.0;
inline constexpr std::int32_t largestRegEnd = 1000;

// The largest bound on the exact rounding's error (coins per attempt) that still counts as
// exact.
inline constexpr double largestRoundingError = 1e-9;

// How the expected coin cost treats the machine's rounding of c * games per attempt.
enum class CostRounding {
    // c * E[games]: fast, used by the sweep. The true expected cost differs by less than half a
    // coin (a few thousandths in practice).
    Unrounded,
    // E[round(c * games)] from the law of the attempt's length (rounded_cost.h), exact for
    // attempts shorter than roundingExactBelowGames, and what longer ones could add bounded by
    // roundingErrorBound, at most largestRoundingError. Attempts too long for that keep the
    // unrounded cost, and the figures say so (costRounding, roundingBeyondReach).
    Exact,
};

struct AttemptFigures {
    std::int32_t setting = -1;  // -1 for a hand-built model
    EndConditions end;
    AttemptStart start{};  // where the attempt began
    double expectedGames = 0;
    double expectedBigs = 0;
    double expectedRegs = 0;
    // The expected coin cost: c * E[games], or E[round(c * games)] with CostRounding::Exact.
    double expectedCost = 0;
    CostRounding costRounding = CostRounding::Unrounded;
    std::int64_t roundingExactBelowGames = 0;  // with CostRounding::Exact
    double roundingErrorBound = 0;             // coins, with CostRounding::Exact
    // CostRounding::Exact was asked for, but the attempts are too long for it to be worked out
    // (a REG end above the BIG end + 1 with attempts that outlast the rounding's period, or a
    // law of the games longer than its tables): the cost is c * E[games].
    bool roundingBeyondReach = false;
    double expectedNet = 0;      // 388 E[BIG] + 127 E[REG] - expectedCost
    double netPer1000Games = 0;  // 1000 E[net] / E[games]: the rate over many attempts
    double payoutPercent = 0;    // 100 (3 E[games] + E[net]) / (3 E[games])
};

// The end conditions in whole games: the end test compares whole games with the BIG end as a
// number, so it needs ceil(bigEnd) games; anything at or below 0 holds at once. Throws
// StatusError (EndBeyondTables) for conditions beyond largestBigEnd or largestRegEnd.
struct WholeGames {
    std::int32_t big;
    std::int32_t reg;
};
WholeGames wholeGames(EndConditions end);

// Throws StatusError (EndBeyondTables) when bigEnd is not a finite number up to largestBigEnd or
// regEnd exceeds largestRegEnd (anything at or below 0 means "no condition"). `control.threads`
// share out the exact rounding's solves; `control.progress` is told on the threads doing the
// work.
AttemptFigures solveAttempt(std::int32_t setting, EndConditions end,
                            CostRounding rounding = CostRounding::Unrounded,
                            const AttemptStart& start = morningStart(),
                            const WorkControl& control = {});
AttemptFigures solveAttempt(const MachineModel& model, EndConditions end,
                            CostRounding rounding = CostRounding::Unrounded,
                            const AttemptStart& start = morningStart(),
                            const WorkControl& control = {});

// The figures of one rule from each start, in their order, from one pass of the chain (and
// with the exact rounding one set of solves at the rounding's points) for them all: the
// starts differ only until the first BIG.
std::vector<AttemptFigures> solveAttemptStarts(const MachineModel& model, EndConditions end,
                                               std::span<const AttemptStart> starts,
                                               CostRounding rounding = CostRounding::Unrounded,
                                               const WorkControl& control = {});

// E[z^games] of one attempt (the games' generating function), for checks and for work on the
// distribution of the attempt's length.
double attemptGeneratingFunction(const MachineModel& model, EndConditions end, double z,
                                 const AttemptStart& start = morningStart());

}  // namespace korvale
