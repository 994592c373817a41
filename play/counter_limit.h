#pragma once

// The machine's counters are signed 32-bit numbers that never wrap: an attempt that outlasts
// one (a BIG end of 2200 and more can) ends the run, as the window's run ends at its limit.

#include <cstdint>
#include <optional>
#include <string>

#include "machine/cls_korvale.h"

namespace korvale {

struct CounterLimit {
    std::string key;         // for CSV and JSON: "games", "big", ...
    std::string words;       // in English, for the line on standard error
    std::string shown;       // in Japanese, as the table shows it
    int thread = 0;          // the worker whose attempt reached it (set by the run)
    std::int64_t games = 0;  // the games that attempt had played by then
};

// The counter of `machine` that stands at 2,147,483,647, looked for in the order a game counts
// them; none when every counter has room.
std::optional<CounterLimit> counterAtLimit(const clsKorvale& machine);

}  // namespace korvale
