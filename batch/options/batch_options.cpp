#include "batch/options/batch_options.h"

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/attempt_reach.h"
#include "analysis/numeric/vector_variant.h"
#include "batch/options/attempt_outlook.h"
#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "common/runtime_error.h"
#include "common/version.h"

namespace korvale {
namespace {

// A text typed by the user as it can be shown on a terminal: bytes that are not UTF-8, and
// control characters, as \xNN.
std::string printable(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // The length of a well-formed UTF-8 sequence starting here, 0 if none.
        std::size_t length = byte < 0x80                    ? 1
                             : byte >= 0xC2 && byte <= 0xDF ? 2
                             : byte >= 0xE0 && byte <= 0xEF ? 3
                             : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                            : 0;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned next =
                i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0U;
            const bool second = k == 1;
            const unsigned low = second && byte == 0xE0   ? 0xA0
                                 : second && byte == 0xF0 ? 0x90
                                                          : 0x80;
            const unsigned high = second && byte == 0xED   ? 0x9F
                                  : second && byte == 0xF4 ? 0x8F
                                                           : 0xBF;
            if (next < low || next > high) {
                length = 0;
                break;
            }
        }
        if (length == 0 || (length == 1 && (byte < 0x20 || byte == 0x7F))) {
            shown += fmt::format("\\x{:02X}", byte);
            ++i;
            continue;
        }
        shown.append(text.substr(i, length));
        i += length;
    }
    return shown;
}

[[noreturn]] void fail(std::string_view option, const std::string& message) {
    throw RuntimeError(ErrorKind::BadCommandLine,
                       fmt::format("korvale-batch: {}: {}", option, message));
}

[[noreturn]] void badValue(std::string_view option, std::string_view expected,
                           std::string_view text) {
    fail(option, fmt::format("expected {}, got \"{}\"", expected, printable(text)));
}

// A whole number written as plain digits, within [low, high].
template <typename Integer>
Integer readWhole(std::string_view option, std::string_view text, Integer low, Integer high,
                  std::string_view expected) {
    const std::optional<WholeNumber> whole = tryReadWhole(text, WholeForm::Digits);
    if (!whole || whole->beyond64Bits || std::cmp_less(whole->magnitude, low) ||
        std::cmp_greater(whole->magnitude, high)) {
        badValue(option, expected, text);
    }
    return static_cast<Integer>(whole->magnitude);
}

// An optional sign, then digits with at most one point and at least one digit; no exponent.
bool isPlainDecimal(std::string_view text) {
    if (text.starts_with('+') || text.starts_with('-')) {
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const bool digitsOnly = text.find_first_not_of("0123456789.") == std::string_view::npos;
    const bool onePoint =
        point == std::string_view::npos || text.find('.', point + 1) == std::string_view::npos;
    return digitsOnly && onePoint && text.find_first_of("0123456789") != std::string_view::npos;
}

// A decimal number as isPlainDecimal reads it.
double readDecimal(std::string_view option, std::string_view text, std::string_view expected) {
    if (!isPlainDecimal(text)) {
        badValue(option, expected, text);
    }
    const std::string plain(text.starts_with('+') ? text.substr(1) : text);
    double value = 0.0;
    std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return value;
}

// FIRST:LAST:STEP, whole numbers with 0 <= FIRST <= LAST <= largest and STEP >= 1.
void readRange(std::string_view option, const std::string& text, std::int32_t largest,
               std::int32_t& first, std::int32_t& last, std::int32_t& step) {
    const std::string expected = fmt::format(
        "FIRST:LAST:STEP with 0 <= FIRST <= LAST <= {}, "
        "STEP 1 to 2147483647, such as 0:1000:50",
        largest);
    const std::size_t colon1 = text.find(':');
    const std::size_t colon2 = colon1 == std::string::npos ? colon1 : text.find(':', colon1 + 1);
    if (colon2 == std::string::npos) {
        badValue(option, expected, text);
    }
    const std::string_view all(text);
    first = readWhole<std::int32_t>(option, all.substr(0, colon1), 0, largest, expected);
    last = readWhole<std::int32_t>(option, all.substr(colon1 + 1, colon2 - colon1 - 1), first,
                                   largest, expected);
    step = readWhole<std::int32_t>(option, all.substr(colon2 + 1), 1, INT32_MAX, expected);
}

// Six weights P1,...,P6, decimals of at least 0 that are not all 0.
SettingVector readPrior(const std::string& text) {
    const std::string_view expected =
        "six weights of 設定１..設定６ separated by commas, at least 0 and not all 0, such as "
        "1,1,1,2,2,2";
    SettingVector weights{};
    std::string_view rest(text);
    double total = 0.0;
    for (std::size_t s = 0; s < weights.size(); ++s) {
        const std::size_t comma = rest.find(',');
        if ((comma == std::string_view::npos) != (s + 1 == weights.size())) {
            badValue("--prior", expected, text);
        }
        weights[s] = readDecimal("--prior", rest.substr(0, comma), expected);
        if (weights[s] < 0.0 || !std::isfinite(weights[s])) {
            badValue("--prior", expected, text);
        }
        total += weights[s];
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    if (!(total > 0.0) || !std::isfinite(total)) {
        badValue("--prior", expected, text);
    }
    return weights;
}

// The option texts as CLI11 hands them over; read strictly once the command is known.
struct RawOptions {
    std::string setting;
    std::string games;
    std::string attempts;
    std::string seconds;
    std::string bigEnd;
    std::string regEnd;
    std::string threads;
    std::string seed;
    std::string bigEnds;
    std::string regEnds;
    std::string format = "table";
    std::string logPath;
    std::string historyPath;
    std::string start = "morning";
    std::string trailing;
    std::string prior;
    bool laws = false;
    bool frontier = false;
    bool meansOnly = false;
};

void addSetting(CLI::App& command, RawOptions& raw, const std::string& what) {
    command.add_option("--setting", raw.setting, what)->type_name("1..6");
}

void addFormat(CLI::App& command, RawOptions& raw) {
    command.add_option("--format", raw.format, "how the figures are written to standard output")
        ->type_name("table|csv|json")
        ->default_str("table");
}

void addThreads(CLI::App& command, RawOptions& raw) {
    command
        .add_option("--threads", raw.threads,
                    fmt::format("threads to work on, 1 to {} (default: every core, at most {})",
                                maxThreads, maxThreads))
        ->type_name("T");
}

void addPlayOptions(CLI::App& command, RawOptions& raw) {
    command
        .add_option("--seconds", raw.seconds,
                    "play for S seconds instead of a number of games or attempts")
        ->type_name("S");
    addThreads(command, raw);
    command
        .add_option("--seed", raw.seed,
                    "seed of the random streams (default: from the clock; always printed, so "
                    "that a run can be repeated). Thread i draws from the seed's xoshiro256++ "
                    "stream advanced by i jumps of 2^128.")
        ->type_name("S");
    addFormat(command, raw);
}

void addEndConditions(CLI::App& command, RawOptions& raw, const std::string& bigNote,
                      const std::string& regNote) {
    command
        .add_option("--big-end", raw.bigEnd,
                    "an attempt ends at least X games after its last BIG" + bigNote)
        ->type_name("X");
    command
        .add_option("--reg-end", raw.regEnd,
                    "and, once it has had a REG, at least Y games after its last REG (a decimal "
                    "is rounded to the nearest whole game, halves to even)" +
                        regNote)
        ->type_name("Y");
}

// `stopped`: what a command stopped with Ctrl-C prints.
std::string helpFooter(const std::string& stopped = "what it played") {
    return "Bad options exit with status 2, a failed run with status 1, a run stopped with "
           "Ctrl-C with status 130 after printing " +
           stopped + ".";
}

// Whether the option was given to the command the parse got to.
bool optionGiven(const CLI::App& app, const char* name) {
    const CLI::App* command = app.get_subcommands().front();
    while (!command->get_subcommands().empty()) {
        command = command->get_subcommands().front();
    }
    const CLI::Option* option = command->get_option_no_throw(name);
    return option != nullptr && option->count() > 0;
}

// The setting and the amount of play.
void readAmounts(const RawOptions& raw, const CLI::App& app, BatchOptions& o) {
    if (optionGiven(app, "--setting")) {
        o.setting = readWhole<std::int32_t>("--setting", raw.setting, 1, 6, "an integer 1..6") - 1;
        o.settingGiven = true;
    }
    if (optionGiven(app, "--games")) {
        o.games =
            readWhole<std::int64_t>("--games", raw.games, 1, INT64_MAX / 4,
                                    fmt::format("a whole number of games, 1 to {}", INT64_MAX / 4));
    }
    if (optionGiven(app, "--attempts")) {
        o.attempts = readWhole<std::int64_t>(
            "--attempts", raw.attempts, 1, INT64_MAX / 4,
            fmt::format("a whole number of attempts, 1 to {}", INT64_MAX / 4));
    }
    if (optionGiven(app, "--seconds")) {
        const std::string_view expected = "a number of seconds above 0, such as 10 or 2.5";
        const double seconds = readDecimal("--seconds", raw.seconds, expected);
        if (!(seconds > 0.0) || seconds > 1e9) {
            badValue("--seconds", expected, raw.seconds);
        }
        o.seconds = seconds;
    }
}

// The end conditions of an attempt.
void readEnds(const RawOptions& raw, const CLI::App& app, BatchOptions& o) {
    if (optionGiven(app, "--big-end")) {
        const std::string_view expected = "a decimal number of games, 0 or more, such as 300";
        o.end.bigEnd = readDecimal("--big-end", raw.bigEnd, expected);
        if (o.end.bigEnd < 0.0) {
            badValue("--big-end", expected, raw.bigEnd);
        }
        o.endGiven = true;
    }
    if (optionGiven(app, "--reg-end")) {
        const std::string_view expected = "a decimal number of games, 0 or more, such as 100";
        const double regEnd = readDecimal("--reg-end", raw.regEnd, expected);
        if (regEnd < 0.0) {
            badValue("--reg-end", expected, raw.regEnd);
        }
        try {
            o.end.regEnd = toInt32HalfEven(regEnd);
        } catch (const RuntimeError&) {
            fail("--reg-end", fmt::format("\"{}\" is beyond the 32-bit game counter (at most {})",
                                          printable(raw.regEnd), INT32_MAX));
        }
        o.endGiven = true;
    }
}

// How the run goes: threads, seed, the sweep's grid and the output format.
void readRunValues(const RawOptions& raw, const CLI::App& app, BatchOptions& o) {
    if (optionGiven(app, "--threads")) {
        o.threads = readWhole<int>("--threads", raw.threads, 1, maxThreads,
                                   fmt::format("an integer 1..{}", maxThreads));
    }
    if (optionGiven(app, "--seed")) {
        o.seed = readWhole<std::uint64_t>("--seed", raw.seed, 0, UINT64_MAX,
                                          "a whole number 0..18446744073709551615");
    }
    if (optionGiven(app, "--big-ends")) {
        readRange("--big-ends", raw.bigEnds, static_cast<std::int32_t>(largestBigEnd),
                  o.grid.bigEndFirst, o.grid.bigEndLast, o.grid.bigEndStep);
    }
    if (optionGiven(app, "--reg-ends")) {
        readRange("--reg-ends", raw.regEnds, largestRegEnd, o.grid.regEndFirst, o.grid.regEndLast,
                  o.grid.regEndStep);
    }
    if (const auto format = parseOutputFormat(raw.format)) {
        o.format = *format;
    } else {
        badValue("--format", "table, csv or json", raw.format);
    }
}

// The history, its start, the games after its last bonus and the prior.
void readInferValues(const RawOptions& raw, const CLI::App& app, BatchOptions& o) {
    if (o.command == Command::Infer) {
        if (raw.historyPath.empty()) {
            badValue("FILE", "a file name, or - for standard input", raw.historyPath);
        }
        o.historyPath = raw.historyPath;
        if (raw.start == "morning" || raw.start == "joined") {
            o.start = raw.start == "morning" ? HistoryStart::Morning : HistoryStart::Joined;
        } else {
            badValue("--start", "morning or joined", raw.start);
        }
    }
    if (optionGiven(app, "--trailing")) {
        o.trailingGames = readWhole<std::int32_t>("--trailing", raw.trailing, 0, INT32_MAX,
                                                  "a whole number of games 0..2147483647");
    }
    if (optionGiven(app, "--prior")) {
        o.prior = readPrior(raw.prior);
    }
}

// Reads the strict values of the options that were given, in the order their complaints come.
void readValues(const RawOptions& raw, const CLI::App& app, BatchOptions& o) {
    readAmounts(raw, app, o);
    readEnds(raw, app, o);
    readRunValues(raw, app, o);
    readInferValues(raw, app, o);
    if (optionGiven(app, "--log")) {
        if (raw.logPath.empty()) {
            badValue("--log", "a file name", raw.logPath);
        }
        o.logPath = raw.logPath;
    }
}

// Refuses end conditions that no attempt can be expected to meet within the machine's 32-bit
// game counter, and runs of so many attempts that some would outlast it; keeps the expected
// games of one attempt for the warning of a long run.
void checkAttemptsCanEnd(BatchOptions& o) {
    // The option to blame: the REG end when the BIG end alone could be met.
    const auto blamed = [&](bool bigEndAloneTooLong) {
        return o.end.regEnd > 0 && o.end.bigEnd > 0.0 && !bigEndAloneTooLong ? "--reg-end"
                                                                             : "--big-end";
    };
    if (endConditionsOutOfReach(o.setting, o.end)) {
        fail(blamed(endConditionsOutOfReach(o.setting, {o.end.bigEnd, 0})),
             "no attempt can meet these end conditions within the machine's 32-bit game "
             "counter: on average an attempt would last more than 2147483647 games");
    }
    const std::optional<ExpectedAttemptGames> expected = expectedAttemptGames(o.setting, o.end);
    if (!expected) {
        return;
    }
    const double limit = static_cast<double>(INT32_MAX);
    if (expected->games > limit) {
        const auto bigAlone = expectedAttemptGames(o.setting, {o.end.bigEnd, 0});
        fail(blamed(bigAlone && bigAlone->games > limit),
             fmt::format("no attempt can meet these end conditions within the machine's 32-bit "
                         "game counter: one attempt is expected to last {:.4g} games ({}), more "
                         "than 2147483647",
                         expected->games, expected->basis));
    }
    if (!o.seconds) {
        const std::int64_t attempts = o.attempts.value_or(defaultAttempts);
        const double overruns = static_cast<double>(attempts) * chanceOfOverrun(expected->games);
        if (overruns >= 0.5) {
            fail("--attempts",
                 fmt::format("{} attempts do not fit the machine's 32-bit game counter: one "
                             "attempt is expected to last {:.4g} games, so about {:.3g} of them "
                             "would outlast 2147483647 games and stop the run",
                             attempts, expected->games, overruns));
        }
    }
    o.expectedAttemptGames = expected->games;
}

// Conditions that need more than one option, checked once every value is read.
void checkCombinations(BatchOptions& o) {
    const int amounts = (o.games ? 1 : 0) + (o.attempts ? 1 : 0) + (o.seconds ? 1 : 0);
    if (amounts > 1) {
        fail(o.seconds ? "--seconds" : "--attempts",
             "give only one of the amount of play and --seconds S");
    }
    if (o.command == Command::SimulateSpecial) {
        checkAttemptsCanEnd(o);
    }
    if (o.command == Command::Exact && o.endGiven) {
        if (o.end.bigEnd > largestBigEnd) {
            fail("--big-end",
                 fmt::format("the exact figures take a BIG end of at most {}", largestBigEnd));
        }
        if (o.end.regEnd > largestRegEnd) {
            fail("--reg-end",
                 fmt::format("the exact figures take a REG end of at most {}", largestRegEnd));
        }
    }
    if (o.frontier && o.meansOnly) {
        fail("--frontier",
             "the frontier needs each rule's chance to end ahead, which "
             "--means-only leaves out");
    }
    if (o.laws && !o.endGiven) {
        fail("--laws", "the laws of an attempt need --big-end or --reg-end");
    }
}

// The command the parse got to: the program, or the deepest subcommand named.
const CLI::App* deepestCommand(const CLI::App& app) {
    const CLI::App* command = &app;
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (const CLI::App* sub : command->get_subcommands({})) {
            if (sub->parsed()) {
                command = sub;
                deeper = true;
                break;
            }
        }
    }
    return command;
}

// "simulate normal" for that subcommand, "" for the program.
std::string commandPath(const CLI::App* command) {
    std::string path;
    for (; command != nullptr; command = command->get_parent()) {
        if (command->get_parent() != nullptr) {
            path = command->get_name() + (path.empty() ? "" : " " + path);
        }
    }
    return path;
}

// The parser's complaint said in the program's own words, pointing to the help of the command
// it is about.
std::string ourWording(const CLI::ParseError& error, const CLI::App& app) {
    const CLI::App* command = deepestCommand(app);
    const std::string path = commandPath(command);
    const std::string lead = path.empty() ? "" : path + ": ";
    const std::string help =
        path.empty() ? "korvale-batch --help" : "korvale-batch " + path + " --help";
    const std::string name = error.get_name();
    // What was left over, in the order typed (the parser takes them last first).
    std::vector<std::string> extras = command->remaining();
    std::reverse(extras.begin(), extras.end());
    const auto firstOption = std::find_if(extras.begin(), extras.end(),
                                          [](const std::string& e) { return e.starts_with('-'); });
    std::string what;
    if (firstOption != extras.end()) {
        what = fmt::format("{}there is no option \"{}\"", lead, printable(*firstOption));
    } else if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        if (extras.empty()) {
            // "The following argument was not expected: b": the words after the colon.
            const std::string message = error.what();
            const std::size_t colon = message.rfind(": ");
            extras.push_back(colon == std::string::npos ? message : message.substr(colon + 2));
        }
        what = fmt::format("{}\"{}\" is not expected: {} takes options only", lead,
                           printable(extras.front()),
                           command->get_name() == "infer" ? "after the history FILE, infer" : path);
    } else if (name == "RequiredError" && command->get_require_subcommand_min() > 0) {
        std::string names;
        const auto subcommands = command->get_subcommands({});
        for (std::size_t i = 0; i < subcommands.size(); ++i) {
            names += (i == 0                        ? ""
                      : i + 1 == subcommands.size() ? " or "
                                                    : ", ") +
                     subcommands[i]->get_name();
        }
        what = fmt::format("{}a command is needed: {}", lead, names);
    } else if (name == "RequiredError") {
        what = fmt::format("{}the history FILE is missing (a file name, or - for standard input)",
                           lead);
    } else if (name == "ArgumentMismatch") {
        // "--games: 1 required N missing" or "... but received 2": the option leads.
        const std::string message = error.what();
        const std::string option = message.substr(0, message.find(':'));
        const CLI::Option* given = command->get_option_no_throw(option);
        what = given != nullptr && given->count() > 1
                   ? fmt::format("{}: given more than once", option)
                   : fmt::format("{}: the value is missing", option);
    } else {
        std::string message = error.what();
        std::replace(message.begin(), message.end(), '\n', ' ');
        what = printable(message);
    }
    return fmt::format("korvale-batch: {} (see {})", what, help);
}

// The program's commands, as they were added to the parser.
struct Commands {
    CLI::App* simulate = nullptr;
    CLI::App* normal = nullptr;
    CLI::App* special = nullptr;
    CLI::App* exact = nullptr;
    CLI::App* sweep = nullptr;
    CLI::App* infer = nullptr;
};

void addSimulateCommands(CLI::App& app, RawOptions& raw, Commands& commands) {
    CLI::App* simulate = app.add_subcommand(
        "simulate", "play the machine and measure its figures, each rate with a 95% interval");
    simulate->require_subcommand(1);
    CLI::App* normal = simulate->add_subcommand(
        "normal",
        "one machine per thread played without end (the window's 通常): long-run figures per "
        "mode");
    addSetting(*normal, raw, "the payout setting, 設定１..設定６ (default: 1)");
    normal->add_option("--games", raw.games, "games to play in all (default: 100000000)")
        ->type_name("N");
    addPlayOptions(*normal, raw);
    normal->add_option("--log", raw.logPath, "write every bonus as CSV, as the window's grid")
        ->type_name("FILE");

    CLI::App* special = simulate->add_subcommand(
        "special",
        "attempts from a new machine each (the window's 特別), shared out among the "
        "threads");
    addSetting(*special, raw, "the payout setting, 設定１..設定６ (default: 1)");
    special->add_option("--attempts", raw.attempts, "attempts to make in all (default: 1000000)")
        ->type_name("N");
    addEndConditions(*special, raw, " (default: 300)", " (default: 100)");
    addPlayOptions(*special, raw);
    special->add_option("--log", raw.logPath, "write every attempt as CSV, as the window's grid")
        ->type_name("FILE");
    commands.simulate = simulate;
    commands.normal = normal;
    commands.special = special;
}

CLI::App* addExactCommand(CLI::App& app, RawOptions& raw) {
    CLI::App* exact = app.add_subcommand(
        "exact",
        "the figures the machine's tables imply, worked out from its Markov chain: the long "
        "run of every setting; with end conditions also what one attempt is worth");
    addSetting(*exact, raw, "only this setting (default: all six)");
    addEndConditions(*exact, raw, " (up to 2000; default: 300 when only --reg-end is given)",
                     " (up to 1000; default: 100 when only --big-end is given)");
    exact->add_flag("--laws", raw.laws,
                    "with end conditions also the laws of one attempt: the chance to end ahead, "
                    "the percentiles of its net coins and games, P(net >= k), the BIG count's "
                    "law (seconds to minutes a setting); for a REG end above the BIG end + 1 "
                    "the chance to end ahead and the 50% and 10% points only, as the sweep "
                    "gives them");
    addThreads(*exact, raw);
    addFormat(*exact, raw);
    return exact;
}

CLI::App* addSweepCommand(CLI::App& app, RawOptions& raw) {
    CLI::App* sweep = app.add_subcommand(
        "sweep",
        "what an attempt is worth for every BIG end 0..1000 by 50 and REG end 0..300 by "
        "50, with the chance to end ahead and the median and 10% point of the net coins "
        "(about a second a rule: minutes for the grid), and each setting's best rules and "
        "efficient frontier");
    addSetting(*sweep, raw, "only this setting (default: all six)");
    sweep->add_option("--big-ends", raw.bigEnds, "the BIG ends from FIRST to LAST by STEP")
        ->type_name("FIRST:LAST:STEP")
        ->default_str("0:1000:50");
    sweep->add_option("--reg-ends", raw.regEnds, "the REG ends from FIRST to LAST by STEP")
        ->type_name("FIRST:LAST:STEP")
        ->default_str("0:300:50");
    sweep->add_flag("--frontier", raw.frontier,
                    "only the rules on each setting's efficient frontier: those that no other "
                    "rule beats on both the net coins per 1000 games and the chance to end "
                    "ahead, from the highest net per 1000 games down");
    sweep->add_flag("--means-only", raw.meansOnly,
                    "only what each rule is worth on average, without its chance to end ahead "
                    "and its points (under a second for the default grid, where those take "
                    "minutes)");
    addThreads(*sweep, raw);
    addFormat(*sweep, raw);
    return sweep;
}

CLI::App* addInferCommand(CLI::App& app, RawOptions& raw) {
    CLI::App* infer = app.add_subcommand(
        "infer",
        "which setting a machine is on, from its bonus history: the exact posterior over the six "
        "settings (the hidden mode followed game by game), P(設定≥4), P(設定≥5), the expected "
        "net coins of the next 1000 games, and the count-only answer beside it");
    infer
        ->add_option("file", raw.historyPath,
                     "the history: a bonus log, the window's grid or saved results as CSV "
                     "(BONUS,回転数,...), or lines \"BIG 123\" / \"REG 45\" (games since the "
                     "previous bonus, the bonus game included); UTF-8, Shift-JIS or UTF-16; - "
                     "reads standard input")
        ->required()
        ->type_name("FILE");
    infer
        ->add_option("--start", raw.start,
                     "morning: the history starts at a new machine's first game; joined: at the "
                     "first game watched during the day, the machine's state unknown")
        ->type_name("morning|joined")
        ->default_str("morning");
    infer
        ->add_option("--trailing", raw.trailing,
                     "games played since the last bonus, none of them a bonus (default: 0)")
        ->type_name("N");
    infer
        ->add_option("--prior", raw.prior,
                     "weights of 設定１..設定６ before the history (default: all equal)")
        ->type_name("P1,...,P6");
    addFormat(*infer, raw);
    return infer;
}

// Every command, in the order of the help, each with its footer.
Commands addCommands(CLI::App& app, RawOptions& raw) {
    Commands commands;
    addSimulateCommands(app, raw, commands);
    commands.exact = addExactCommand(app, raw);
    commands.sweep = addSweepCommand(app, raw);
    commands.infer = addInferCommand(app, raw);
    commands.normal->footer(helpFooter());
    commands.special->footer(helpFooter() +
                             " An attempt that outlasts one of the machine's 32-bit counters ends "
                             "the run with status 1, after printing the attempts finished.");
    commands.exact->footer(helpFooter("the figures worked out by then, marked partial"));
    commands.sweep->footer(
        helpFooter("every rule whose means are done, with the risk of those worked out, marked "
                   "partial") +
        " On a terminal it says first what the risk figures will cost.");
    commands.infer->footer(
        helpFooter("nothing") +
        " A history with a line that is not a bonus exits with status 2, naming the "
        "line; nothing is worked out from it. A file that cannot be opened or read "
        "exits with status 1. A history without a bonus is answered by the prior, with "
        "a warning.");
    return commands;
}

// A mistyped command would otherwise be reported as a missing one.
void checkCommandName(std::span<const std::string> arguments, std::size_t at,
                      const CLI::App& parent) {
    if (arguments.size() <= at || arguments[at].starts_with('-')) {
        return;
    }
    std::string names;
    for (const CLI::App* command : parent.get_subcommands({})) {
        if (command->get_name() == arguments[at]) {
            return;
        }
        names += (names.empty() ? "" : ", ") + command->get_name();
    }
    throw RuntimeError(ErrorKind::BadCommandLine,
                       fmt::format("korvale-batch: unknown command \"{}\" (the commands are {})",
                                   printable(arguments[at]), names));
}

Command parsedCommand(const Commands& commands) {
    if (commands.simulate->parsed()) {
        return commands.normal->parsed() ? Command::SimulateNormal : Command::SimulateSpecial;
    }
    if (commands.infer->parsed()) {
        return Command::Infer;
    }
    return commands.exact->parsed() ? Command::Exact : Command::Sweep;
}

}  // namespace

BatchOptions parseOptions(std::span<const std::string> arguments) {
    CLI::App app{
        "Korvale on the command line: plays the machine on every core, or works its figures out "
        "exactly from its tables.",
        "korvale-batch"};
    // The vector code's variant, as the outcome law's speed depends on it.
    app.set_version_flag("--version",
                         std::string("korvale-batch ") + korvaleVersion + " (vector code: " +
                             std::string(vectorVariantName(activeVectorVariant())) + ")");
    app.require_subcommand(1);
    app.footer(helpFooter());
    RawOptions raw;
    const Commands commands = addCommands(app, raw);
    checkCommandName(arguments, 0, app);
    if (!arguments.empty() && arguments[0] == "simulate") {
        checkCommandName(arguments, 1, *commands.simulate);
    }

    BatchOptions options;
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        options.textToShow = app.help();
        return options;
    } catch (const CLI::CallForAllHelp&) {
        options.textToShow = app.help("", CLI::AppFormatMode::All);
        return options;
    } catch (const CLI::CallForVersion& version) {
        options.textToShow = std::string(version.what()) + "\n";
        return options;
    } catch (const CLI::ParseError& error) {
        throw RuntimeError(ErrorKind::BadCommandLine, ourWording(error, app));
    }
    options.command = parsedCommand(commands);
    readValues(raw, app, options);
    options.laws = raw.laws;
    options.frontier = raw.frontier;
    options.meansOnly = raw.meansOnly;
    checkCombinations(options);
    return options;
}

std::int64_t requestedAmount(const BatchOptions& options) {
    if (options.seconds) {
        return -1;
    }
    if (options.command == Command::SimulateNormal) {
        return options.games.value_or(defaultGames);
    }
    return options.attempts.value_or(defaultAttempts);
}

}  // namespace korvale
