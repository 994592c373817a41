#pragma once

// How one attempt can turn out, not only on average: the laws of its net coins, its games and
// its BIG count, worked out from the machine's chain.
//
// The net coins are 388 BIG + 127 REG - round(c G), with the cost rounded once per attempt.
// Below a bound the rounding repeats with the period P of the coefficient (250 games, 1000 for
// 設定６), so the net is K - Nc floor(G / P) - round(c (G mod P)) with K the bonus coins and
// Nc = c P. The attempt is a renewal process over the modes after its BIGs (attempt_segments.h);
// its transform E[exp(i theta K) z^G] at z = exp(-i theta Nc / P) times each P-th root of unity
// is one small linear solve, and those P values at each theta give the transform of the net,
// which one inverse transform turns into the law. (The transform is taken at theta plus a
// small imaginary part, of the law tilted by exp(-s net), so that the far right tail that the
// inversion folds back onto the table comes back damped.) The games' law comes the same way
// from the transform over G alone, the BIG count's from the pieces' totals. The derivation,
// with each term of the error bound, is docs/outcome_law.md.

#include <atomic>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"
#include "common/status.h"
#include "common/work_control.h"
#include "machine/attempt_end.h"

namespace korvale {

// A law over consecutive whole numbers: chance[i] is the chance of first + i.
struct IntegerLaw {
    std::int64_t first = 0;
    std::vector<double> chance;

    double at(std::int64_t value) const;       // 0 outside the table
    double atLeast(std::int64_t value) const;  // P(X >= value)
    double mean() const;
    // The smallest value whose cumulative chance reaches q (0 < q < 1).
    std::int64_t quantile(double q) const;
};

inline constexpr std::array<double, 9> lawPercentiles = {1, 5, 10, 25, 50, 75, 90, 95, 99};

struct OutcomeLaw {
    std::int32_t setting = -1;  // -1 for a hand-built model
    EndConditions end;
    IntegerLaw net;      // net coins per attempt
    IntegerLaw games;    // games per attempt
    IntegerLaw bigs;     // BIGs per attempt
    double pAhead = 0;   // P(net > 0)
    double pEven = 0;    // P(net = 0)
    double pBehind = 0;  // P(net < 0)
    // A bound on the error of any chance of the three laws (and of any sum of chances): the
    // chance cut from the chain's tails, the chance outside the tables (which the transforms
    // would fold back in), the chance of attempts too long for the rounding's period, and the
    // arithmetic.
    double errorBound = 0;
    // The parts of that bound, for the record.
    double tailCut = 0;         // lost from the pieces' tails and tiny entries
    double outsideTables = 0;   // beyond the tables: measured past the net's right end,
                                // Chernoff bounds elsewhere, and what the inversion folds in
    double beyondRounding = 0;  // Chernoff bound on P(games >= roundingExactBelowGames)
    std::int64_t roundingExactBelowGames = 0;
};

// Thrown when the work was called off from outside; the same type as the attempt figures'.
using OutcomeLawCancelled = WorkCancelled;

// Throws StatusError for end conditions the law does not cover: those that solveAttempt
// rejects (EndBeyondTables), a REG end longer than the BIG end plus one game (LawNotCovered),
// and attempts so long that the tables would exceed a few million entries (AttemptsTooLong).
// `control.threads` share the transform out. Setting `*control.cancel` from another thread
// stops the work within a few milliseconds (OutcomeLawCancelled). `control.progress`, when
// given, hears the share of the work done now and then, on the calling thread. `start`: the
// morning's new machine, or one found some games after its last BIG (attempt_start.h);
// std::invalid_argument for a negative count.
OutcomeLaw solveOutcomeLaw(std::int32_t setting, EndConditions end, const AttemptStart& start = {},
                           const WorkControl& control = {});
OutcomeLaw solveOutcomeLaw(const MachineModel& model, EndConditions end,
                           const AttemptStart& start = {}, const WorkControl& control = {});

// The head of the net's law, for the chance to end ahead and the lower percentiles at a small
// share of the whole law's cost: the table runs from far in the left tail to a little above
// both the median and 0, and the chance above it is 1 minus what the table holds. The law is
// taken tilted so strongly that the right tail beyond the table comes back onto it damped by
// a millionth, so the table can stop where the tail has hardly begun.
struct NetLawHead {
    std::int32_t setting = -1;
    EndConditions end;
    IntegerLaw net;     // chance[i] of net = net.first + i, up to the table's top
    double pAhead = 0;  // P(net > 0)
    // A bound on the error of any cumulative chance P(net <= k) in the table, but for the
    // rounding's part: attempts of roundingExactBelowGames games or more, at most
    // beyondRounding of them, may have a net one coin off the table's (round(c G) leaves
    // the period's pattern by one there).
    double errorBound = 0;
    double beyondRounding = 0;
    std::int64_t roundingExactBelowGames = 0;
};

// Every end condition that solveAttempt takes: a REG end above the BIG end plus one game comes
// from the law of reg_wait_law.h. Throws StatusError for end conditions beyond the tables
// (EndBeyondTables) and attempts too long for them (AttemptsTooLong), and
// OutcomeLawCancelled once `*control.cancel` is set; its progress is not told. `start` as for
// solveOutcomeLaw.
NetLawHead solveNetLawHead(std::int32_t setting, EndConditions end, const AttemptStart& start = {},
                           const WorkControl& control = {});
NetLawHead solveNetLawHead(const MachineModel& model, EndConditions end,
                           const AttemptStart& start = {}, const WorkControl& control = {});

// Whether solveOutcomeLaw covers these end conditions at all: those solveAttempt takes, with
// the REG end at most the BIG end plus one game (in whole games); else the status that names
// why not (EndBeyondTables, LawNotCovered). Attempts too long for the tables are found only
// once the work has begun.
Status outcomeLawCoverage(EndConditions end);
inline bool outcomeLawCovers(EndConditions end) {
    return outcomeLawCoverage(end).ok();
}

}  // namespace korvale
