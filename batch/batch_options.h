#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvale {

enum class RunKind { Normal, Special };  // the window's "通常" and "特別"
enum class OutputFormat { Table, Csv, Json };

// What one korvale-batch run is asked to do, as read from its command line.
struct BatchOptions {
    RunKind run = RunKind::Normal;
    std::int32_t setting = 0;  // setting index 0..5 (--setting 1..6)

    // At most one of the three is given; with none, the default amount of the run kind applies.
    std::optional<std::int64_t> games;     // normal run only
    std::optional<std::int64_t> attempts;  // attempt run only
    std::optional<double> seconds;         // either run: play until the time is up

    // End conditions of an attempt, read as the window reads its two boxes.
    double bigEnd = 300.0;      // games after the last BIG, compared as a number
    std::int32_t regEnd = 100;  // games after the last REG, rounded halves to even

    std::optional<int> threads;         // default: every core
    std::optional<std::uint64_t> seed;  // default: from the clock
    OutputFormat format = OutputFormat::Table;
    std::string logPath;  // empty: no log
    bool help = false;

    // --exact: print what the machine's tables imply instead of playing; with the end
    // conditions also what an attempt is worth, with --sweep the sweep over end conditions.
    bool exact = false;
    bool sweep = false;
    bool settingGiven = false;  // --exact: only this setting instead of all six
    bool endGiven = false;      // --big-end or --reg-end was given
};

inline constexpr std::int64_t defaultGames = 100'000'000;
inline constexpr std::int64_t defaultAttempts = 1'000'000;
inline constexpr int maxThreads = 1024;

// A command line that cannot be run. what() is the one line shown to the user; it names the
// option and the form expected.
class OptionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name. Throws OptionError.
BatchOptions parseOptions(std::span<const std::string> arguments);

// The text of --help: every option with its form and default.
std::string helpText();

// Games the normal run plays, or attempts the attempt run makes, when neither a count nor
// --seconds is given; -1 for a run bounded by --seconds.
std::int64_t requestedAmount(const BatchOptions& options);

}  // namespace korvale
