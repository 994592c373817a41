#pragma once

// The expected coin cost of an attempt as the machine takes it, E[round(c G)] with G the
// attempt's games, worked out one of two ways:
//   - from the rounding's period (cost_rounding.h): n/1000 E[G] and the mean of the periodic
//     part over the law of G modulo the period, from E[z^G] at the period's roots of unity
//     (attempt_roots.h). Exact for attempts shorter than the pattern holds (28 100 games at
//     設定６, 144 700 at the others); what longer attempts could add is bounded by Chernoff
//     from E[z^G] on the real line, and the way is taken while that bound is at most
//     largestRoundingError;
//   - else, with the REG end at most the BIG end + 1, from the law of G itself
//     (attempt_games_law.h), which takes every rounding as the machine does, as far as its
//     table reaches; the chance beyond it is bounded by Chernoff as well.
// Attempts too long for both (a REG end above the BIG end + 1 with long attempts, or tables
// of more than largestGamesLaw games) keep c E[G].

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"

namespace korvale {

// Counts the solves done against those planned and tells the caller's progress callback, one
// call at a time and never falling, whichever thread finished a solve.
class SolveCount {
  public:
    SolveCount(const WorkControl& control, double planned);
    void add(double solves);
    void finish();

  private:
    const WorkControl& control_;
    double planned_;
    double done_ = 0.0;
    std::mutex lock_;
};

// The solves roundedCost plans for at most (the law of the games counts as as many).
double roundedCostSolves(const MachineModel& model);

// The longest table of the games' law that is worked out (16 MiB of transform values).
inline constexpr std::int64_t largestGamesLaw = std::int64_t{1} << 20;

struct RoundedCost {
    bool worked = false;  // false: attempts too long for both ways
    double expected = 0.0;
    std::int64_t exactBelowGames = 0;  // the rounding taken as the machine's for G below this
    double errorBound = 0.0;           // coins
};

// The cost of an attempt from each start (expectedGames[i] its expected games), in their
// order; the solves at each point serve every start at once and are shared out among
// `control`'s threads.
std::vector<RoundedCost> roundedCosts(const MachineModel& model, WholeGames games,
                                      std::span<const AttemptStart> starts,
                                      const std::vector<double>& expectedGames,
                                      const WorkControl& control, SolveCount& count);

}  // namespace korvale
