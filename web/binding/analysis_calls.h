#pragma once

// The calls of the exact analysis, each as the korvale-batch command of the same figures:
// hunt, infer, sweep and day (exact --day-games N). Each reads its request (engine_request.h)
// and answers the report as korvale-batch prints it with --format json.

#include <string>
#include <string_view>

#include "web/binding/engine_progress.h"

namespace korvale {

// setting, since_big_grid [first, last, step], big_end, reg_end (0 each unless given),
// max_games, prior, the hall's rates.
std::string huntCall(std::string_view request, ThrottledProgress& progress);

// history (the text of a bonus history as korvale-batch infer reads a file), start ("morning"
// or "joined"), trailing, prior; with big_end or reg_end the worth of playing on at the hall's
// rates.
std::string inferCall(std::string_view request, ThrottledProgress& progress);

// setting, big_ends and reg_ends [first, last, step], max_games, since_big, frontier,
// means_only, the hall's rates (paid "coins": the cash put in is the command line's to measure).
std::string sweepCall(std::string_view request, ThrottledProgress& progress);

// setting (none: all six), day_games, the hall's rates (paid "coins").
std::string dayCall(std::string_view request, ThrottledProgress& progress);

}  // namespace korvale
