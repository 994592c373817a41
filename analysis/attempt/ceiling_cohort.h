#pragma once

// What is left of one BIG's landing when it reaches the ceiling: the chances by mode and wait of
// the attempts that landed after a BIG and then played ceilingAge games without another, which
// the capped pass moves from its young states to its old ones then. Playing each landing forward
// through all its waits would cost the waits times the ages; instead the REGs that take the wait
// back to the REG end are followed (a chance by mode for each age), and the chance at each wait
// of the REG end's window is a sum of the last of them, kept in blocks so that every term is
// added and none taken away.

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "analysis/attempt/wait_model.h"

namespace korvale {

class CeilingCohort {
  public:
    static constexpr std::size_t lanes = 8;  // landings followed side by side

    explicit CeilingCohort(const WaitModel& model);

    // For up to `lanes` landings (chances by mode and wait, each at the BIG end or at waits up to
    // lowTop): what each holds ceilingAge games on without a BIG, in the waits up to lowTop, into
    // the matching `remainders` (cleared first). A landing above lowTop that is still above it
    // then is left out: the high waits move it (high_waits.h).
    void run(std::span<const WaitRows* const> landings, std::span<WaitRows* const> remainders);

  private:
    // One chance a landing, as a GCC and Clang vector type (x * y element by element), so that
    // the landings' arithmetic is done side by side whatever the compiler makes of the loops.
    using Lanes = double __attribute__((vector_size(lanes * sizeof(double))));
    using ModeLanes = std::array<Lanes, waitModes>;

    void load(std::span<const WaitRows* const> landings);
    void play();
    // The resets' window for the age just reached (k): the chance by mode of the REGs of the
    // last regEnd ages, each kept for the games since.
    void slideWindow(std::size_t k);
    void write(std::span<WaitRows* const> remainders) const;

    const WaitModel& model_;
    std::size_t ceiling_;  // ceilingAge
    std::size_t lowTop_;   // waits up to this take a REG to the REG end
    std::size_t window_;   // the REG end: a reset stays in the low waits this many games
    std::size_t highAge_;  // games until a landing above lowTop reaches it (0: none above)
    std::array<ModeVector, waitModes> regMix_{};  // reg * regTo, [from][to]
    // The REG's moves between the modes a landing can be in: from, to and reg * regTo.
    struct Move {
        std::size_t from;
        std::size_t to;
        double chance;
    };
    std::vector<Move> regMoves_;
    std::vector<std::size_t> modes_;  // the modes a landing can be in (the others hold none)
    std::vector<ModeLanes> low_;      // landings at waits 1 .. lowTop
    std::vector<ModeLanes> suffix_;   // their sums from each wait up, at lowFrom_ .. lowTo_
    size_t lowFrom_ = 1;              // the waits of this run's landings up to lowTop
    size_t lowTo_ = 0;
    ModeLanes high_{};                     // a landing above lowTop, as it moves down
    ModeLanes descent_{};                  // the same once it has reached lowTop
    std::vector<ModeLanes> resets_;        // by age 1 .. ceiling: the REGs that land at the REG end
    std::vector<ModeLanes> suffixWindow_;  // the previous block's resets, summed to its end
    ModeLanes prefix_{};                   // this block's resets, summed to the age reached
    ModeLanes windowSum_{};                // the window's whole sum at the age reached
};

}  // namespace korvale
