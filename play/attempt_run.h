#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "analysis/hall/hall_rates.h"
#include "analysis/measured/simulated_totals.h"
#include "common/random_source.h"
#include "common/work_control.h"
#include "machine/attempt_end.h"
#include "machine/korvale_tables.h"
#include "play/worker_counts.h"

namespace korvale {

class GridLog;

// When an attempt ends: after at least one BIG, at least bigEnd games after the last BIG and,
// once a REG has fallen, at least regEnd games after the last REG.

enum class AttemptEnd {
    Finished,  // its end conditions hold
    Capped,    // its maxGames-th game came first, its end conditions not holding
    Stopped,   // a stop was requested first
    AtLimit,   // one of the machine's counters reached 2,147,483,647 first (counterAtLimit)
};

// Plays `machine` (a new one, or one set up by a test) game by game until the attempt ends: by
// its end conditions, or after its maxGames-th game when a limit is given (both finish it),
// or Stopped when `control` is called off. Any failure but a counter at its limit is thrown. With
// `deepest`, it is shown the net before every bonus game (the net's lowest points but the last
// game's, which the caller adds).
AttemptEnd playOneAttempt(clsKorvale& machine, const EndConditions& end, const WorkControl& control,
                          DeepestPoint* deepest = nullptr,
                          std::optional<std::int32_t> maxGames = std::nullopt);

// Where each attempt of a run begins: on a new machine (the window's morning start), or on a
// machine found sinceBig games after its last BIG (playUntilFound), a new one for every attempt
// so that the attempts stay independent of one another. With `modeLaw` a found machine is not
// looked for: its mode is drawn from that law and its ceiling counter set to sinceBig, as the
// exact figures take a found start (the measure of the cash beside them: far faster, since a
// long wait is rare).
struct AttemptStartRule {
    std::optional<std::int32_t> sinceBig;  // none: the morning
    std::optional<std::array<double, modeCount>> modeLaw = std::nullopt;
};

// Makes `attempts` attempts (-1: until a stop is requested), each on a new machine of the given
// setting drawing from `random`, as the window's attempt run does, or on a machine found as
// `start` says, each ending at its maxGames-th game at the latest when a limit is given. An attempt
// still going (or a machine still looked for) when `control` is called off is dropped, and so is
// one whose machine reaches a counter's limit: that ends the play, the limit in `counts`. Logs
// every attempt to `log` when it is not null. The games told to `counts` include those played to
// find the machines. Each attempt's yen at `rates`, and how deep its net went, are in the totals'
// `cash`.
AttemptTotals playAttempts(std::int32_t setting, const EndConditions& end,
                           std::optional<std::int32_t> maxGames, const AttemptStartRule& start,
                           const HallRates& rates, std::int64_t attempts, RandomSource& random,
                           const WorkControl& control, WorkerCounts& counts, GridLog* log);

// Books one finished attempt (or day) of `machine` at `setting` into `totals`: its counts, its
// coins by the machine's own coin rule in 64 bits (the figures get差枚 gives), its deepest point
// with the last game's net seen, and its row in `log` when that is not null.
void bookFinishedAttempt(AttemptTotals& totals, std::int32_t setting, const clsKorvale& machine,
                         DeepestPoint& deepest, GridLog* log);

}  // namespace korvale
