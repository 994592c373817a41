#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "analysis/attempt/end_sweep.h"
#include "analysis/found/hunt_table.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/inference/filter_tables.h"
#include "analysis/inference/setting_filter.h"
#include "machine/attempt_end.h"
#include "report/format/report_format.h"

namespace korvale {

// The subcommands of korvale-batch.
enum class Command { SimulateNormal, SimulateSpecial, Exact, Sweep, Hunt, Infer };

// What one korvale-batch run is asked to do, as read from its command line. What each option
// means, and which commands take it, is said once, in the option table (option_table.cpp); the
// comments here say only how a value is held.
struct BatchOptions {
    Command command = Command::SimulateNormal;
    std::int32_t setting = 0;  // an index 0..5 (--setting 1..6)
    bool settingGiven = false;

    // At most one amount of play; with none, the default amount of the run kind.
    std::optional<std::int64_t> games;
    std::optional<std::int64_t> attempts;
    std::optional<double> seconds;
    // Also set, to defaultDayGames, by --days alone.
    std::optional<std::int32_t> dayGames;
    std::optional<std::int64_t> days;

    EndConditions end;        // hunt: the first BIG's rule unless given
    std::string bigEndTyped;  // --big-end as typed, for its limit; empty when not given
    std::optional<std::int32_t> maxGames;
    SweepGrid grid;         // --big-ends, --reg-ends, with --max-games and --since-big
    bool endGiven = false;  // --big-end or --reg-end was given (always in hunt)
    bool laws = false;
    bool frontier = false;
    bool meansOnly = false;
    HallRates rates;                       // --lend, --exchange, --pay, --games-per-hour
    std::optional<std::int32_t> sinceBig;  // none: a new machine in the morning
    HuntGrid huntGrid;                     // --since-big-grid
    // simulate special: the expected games of one attempt, when worked out before play
    std::optional<double> expectedAttemptGames;

    std::string historyPath;  // "-": standard input
    HistoryStart start = HistoryStart::Morning;
    std::int32_t trailingGames = 0;
    std::optional<SettingVector> prior;  // the weights as given; none: equal

    std::optional<int> threads;         // none: every core
    std::optional<std::uint64_t> seed;  // none: from the clock
    OutputFormat format = OutputFormat::Table;
    std::string logPath;  // empty: no log

    // Set instead of a command when the user asked for text: --help, --version or --generate.
    std::optional<std::string> textToShow;
};

inline constexpr std::int64_t defaultGames = 100'000'000;
inline constexpr std::int64_t defaultAttempts = 1'000'000;
// A day where one is asked for without its length, and the days a day run plays by default.
inline constexpr std::int32_t defaultDayGames = 8000;
inline constexpr std::int64_t defaultDays = 100'000;
// The longest day played (a day's games are one machine's, within its 32-bit counters); the
// longest whose law is worked out is largestExactDayGames (day_law.h).
inline constexpr std::int32_t largestDayGames = 10'000'000;
// The seeded simulation of the cash put in, beside the exact figures: per setting, and per
// rule of a sweep.
inline constexpr std::int64_t defaultCashAttempts = 100'000;
inline constexpr std::int64_t defaultSweepCashAttempts = 10'000;
// More threads than cores play no faster, and every thread keeps its own tallies (up to some
// megabytes in a long run) and must be given a core to see a stop: past a few hundred threads
// the memory and the time to stop (within a second, on two cores) would grow with them.
inline constexpr int maxThreads = 256;

// Reads the arguments after the program name. A command line that cannot be run throws a
// StatusError (BadCommandLine) whose what() is the one line shown to the user; it names the
// option and the form expected.
BatchOptions parseOptions(std::span<const std::string> arguments);

// Games the normal run plays, days a day run plays, or attempts the attempt run makes, when
// neither a count nor --seconds is given; -1 for a run bounded by --seconds.
std::int64_t requestedAmount(const BatchOptions& options);

// --threads, or every core (at most maxThreads).
unsigned threadCount(const BatchOptions& options);

}  // namespace korvale
