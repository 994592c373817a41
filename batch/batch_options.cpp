#include "batch/batch_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <vector>

#include "analysis/attempt.h"
#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "common/runtime_error.h"

namespace korvale {
namespace {

const char programName[] = "korvale-batch";

// A value that does not have the expected form; the parser adds the option's name.
struct BadValue {
    std::string expected;
};

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// A whole number written as plain digits, within [low, high].
template <typename Integer>
Integer readWhole(std::string_view text, Integer low, Integer high, const std::string& expected) {
    Integer value{};
    const char* end = text.data() + text.size();
    const bool digitsOnly =
        !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (!digitsOnly || error != std::errc() || stop != end || value < low || value > high) {
        throw BadValue{expected};
    }
    return value;
}

double readPositiveSeconds(std::string_view text) {
    const std::string expected = "a number of seconds above 0, such as 10 or 2.5";
    const bool plain =
        !text.empty() && text.find_first_not_of("0123456789.") == std::string_view::npos;
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (!plain || error != std::errc() || stop != end || !(value > 0.0) || !std::isfinite(value)) {
        throw BadValue{expected};
    }
    return value;
}

// One option: its name, the form of its value (empty for a flag), its default as --help shows
// it, what it does, and how it is applied. New options are one more entry in optionTable.
struct OptionEntry {
    std::string_view name;
    std::string_view valueForm;
    std::string_view defaultText;
    std::string_view description;
    std::function<void(BatchOptions&, std::string_view)> apply;
};

const std::vector<OptionEntry>& optionTable() {
    static const std::vector<OptionEntry> table = {
        {"--run", "normal|special", "normal",
         "normal: one machine per thread played without end (the window's 通常), statistics "
         "per mode; special: attempts from a new machine each (特別)",
         [](BatchOptions& o, std::string_view v) {
             if (v == "normal") {
                 o.run = RunKind::Normal;
             } else if (v == "special") {
                 o.run = RunKind::Special;
             } else {
                 throw BadValue{"normal or special"};
             }
         }},
        {"--setting", "1..6", "1", "the payout setting (設定１..設定６)",
         [](BatchOptions& o, std::string_view v) {
             o.setting = readWhole<std::int32_t>(v, 1, 6, "an integer 1..6") - 1;
             o.settingGiven = true;
         }},
        {"--games", "N", "100000000", "games to play in all (normal run)",
         [](BatchOptions& o, std::string_view v) {
             o.games =
                 readWhole<std::int64_t>(v, 1, INT64_MAX / 4, "a whole number of games, 1 or more");
         }},
        {"--attempts", "N", "1000000", "attempts to make in all (special run)",
         [](BatchOptions& o, std::string_view v) {
             o.attempts = readWhole<std::int64_t>(v, 1, INT64_MAX / 4,
                                                  "a whole number of attempts, 1 or more");
         }},
        {"--seconds", "S", "none", "play for S seconds instead of a number of games or attempts",
         [](BatchOptions& o, std::string_view v) { o.seconds = readPositiveSeconds(v); }},
        {"--big-end", "X", "300",
         "special run: an attempt ends at least X games after its last BIG (read like the "
         "window's box: the number the text begins with, 0 when none)",
         [](BatchOptions& o, std::string_view v) {
             o.bigEnd = readLenient(v);
             o.endGiven = true;
         }},
        {"--reg-end", "Y", "100",
         "special run: and, once it has had a REG, at least Y games after its last REG (read "
         "like the window's box, then taken to the nearest integer, halves to even)",
         [](BatchOptions& o, std::string_view v) {
             o.endGiven = true;
             try {
                 o.regEnd = toInt32HalfEven(readLenient(v));
             } catch (const RuntimeError& error) {
                 throw BadValue{"a number that rounds into the signed 32-bit range (" +
                                std::string(error.what()) + ")"};
             }
         }},
        {"--threads", "T", "every core",
         "threads to play on; a normal run plays one machine per thread and merges their "
         "statistics",
         [](BatchOptions& o, std::string_view v) {
             o.threads =
                 readWhole<int>(v, 1, maxThreads, "an integer 1.." + std::to_string(maxThreads));
         }},
        {"--seed", "S", "from the clock",
         "seed of the random streams (always printed, so that a run can be repeated); thread i "
         "draws from the seed's xoshiro256++ stream advanced by i jumps of 2^128",
         [](BatchOptions& o, std::string_view v) {
             o.seed = readWhole<std::uint64_t>(v, 0, UINT64_MAX,
                                               "a whole number 0..18446744073709551615");
         }},
        {"--format", "table|csv|json", "table", "how the figures are written to standard output",
         [](BatchOptions& o, std::string_view v) {
             if (v == "table") {
                 o.format = OutputFormat::Table;
             } else if (v == "csv") {
                 o.format = OutputFormat::Csv;
             } else if (v == "json") {
                 o.format = OutputFormat::Json;
             } else {
                 throw BadValue{"table, csv or json"};
             }
         }},
        {"--log", "FILE", "none",
         "write the grid's rows as CSV: every bonus (normal run) or every attempt (special run)",
         [](BatchOptions& o, std::string_view v) {
             if (v.empty()) {
                 throw BadValue{"a file name"};
             }
             o.logPath = std::string(v);
         }},
        {"--exact", "", "",
         "print the exact figures that the machine's tables imply instead of playing: the long "
         "run of every setting (or of --setting only); with --big-end and --reg-end also what "
         "an attempt is worth, with the coin cost rounded per attempt as the window rounds it",
         [](BatchOptions& o, std::string_view) { o.exact = true; }},
        {"--sweep", "", "",
         "with --exact: expected net coins per attempt and per 1000 games for every BIG end "
         "0..1000 by 50 and REG end 0..300 by 50, and the best of each per setting",
         [](BatchOptions& o, std::string_view) { o.sweep = true; }},
        {"--help", "", "", "show this text and exit",
         [](BatchOptions& o, std::string_view) { o.help = true; }},
    };
    return table;
}

[[noreturn]] void fail(std::string_view option, const std::string& message) {
    throw OptionError(std::string(programName) + ": " + std::string(option) + ": " + message);
}

// Words of `text` in lines of at most `width` columns (counting bytes), each indented.
std::string wrapped(const std::string& text, std::size_t width, const std::string& indent) {
    std::string result;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            result += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (!line.empty()) {
        result += indent + line + "\n";
    }
    return result;
}

std::string usageOf(const OptionEntry& entry) {
    std::string usage(entry.name);
    if (!entry.valueForm.empty()) {
        usage.append(1, ' ').append(entry.valueForm);
    }
    return usage;
}

// Options that only make sense together, checked once everything is read.
void checkCombinations(const BatchOptions& o, const std::vector<std::string_view>& given) {
    const auto wasGiven = [&](std::string_view name) {
        return std::find(given.begin(), given.end(), name) != given.end();
    };
    if (o.exact) {
        for (const std::string_view name :
             {"--run", "--games", "--attempts", "--seconds", "--seed", "--log"}) {
            if (wasGiven(name)) {
                fail(name,
                     "does not apply to --exact, which works the figures out instead of "
                     "playing");
            }
        }
        if (o.sweep && o.endGiven) {
            fail(wasGiven("--big-end") ? "--big-end" : "--reg-end",
                 "does not apply to --sweep, which takes every end condition of its grid");
        }
        if (o.bigEnd > largestBigEnd) {
            fail("--big-end", "with --exact, expected at most " +
                                  std::to_string(static_cast<int>(largestBigEnd)));
        }
        if (o.regEnd > largestRegEnd) {
            fail("--reg-end", "with --exact, expected at most " + std::to_string(largestRegEnd));
        }
        return;
    }
    if (o.sweep) {
        fail("--sweep", "applies with --exact only");
    }
    const int amounts = (o.games ? 1 : 0) + (o.attempts ? 1 : 0) + (o.seconds ? 1 : 0);
    if (amounts > 1) {
        fail(o.seconds ? "--seconds" : "--attempts",
             "give only one of --games N, --attempts N and --seconds S");
    }
    if (o.run == RunKind::Normal) {
        if (o.attempts) {
            fail("--attempts", "applies to --run special; a normal run takes --games N");
        }
        for (const std::string_view name : {"--big-end", "--reg-end"}) {
            if (wasGiven(name)) {
                fail(name, "applies to --run special only");
            }
        }
    } else if (o.games) {
        fail("--games", "applies to --run normal; a special run takes --attempts N");
    }
}

}  // namespace

BatchOptions parseOptions(std::span<const std::string> arguments) {
    BatchOptions options;
    std::vector<std::string_view> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        std::string_view name = argument;
        std::optional<std::string_view> value;
        if (const std::size_t equals = argument.find('=');
            equals != std::string_view::npos && argument.starts_with("--")) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const auto& table = optionTable();
        const auto entry = std::find_if(table.begin(), table.end(),
                                        [&](const OptionEntry& s) { return s.name == name; });
        if (entry == table.end()) {
            if (argument.starts_with("-")) {
                throw OptionError(std::string(programName) + ": unknown option " + quoted(name) +
                                  " (see --help)");
            }
            throw OptionError(std::string(programName) + ": unexpected argument " +
                              quoted(argument) + "; options start with -- (see --help)");
        }
        if (std::find(given.begin(), given.end(), entry->name) != given.end()) {
            fail(entry->name, "given twice");
        }
        given.push_back(entry->name);
        if (entry->valueForm.empty()) {
            if (value) {
                fail(entry->name, "takes no value");
            }
        } else if (!value) {
            if (i + 1 >= arguments.size()) {
                fail(entry->name, "expected a value: " + usageOf(*entry));
            }
            value = arguments[++i];
        }
        try {
            entry->apply(options, value.value_or(""));
        } catch (const BadValue& bad) {
            fail(entry->name, "expected " + bad.expected + ", got " + quoted(*value));
        }
    }
    if (!options.help) {
        checkCombinations(options, given);
    }
    return options;
}

std::string helpText() {
    std::string text =
        "Usage: korvale-batch [options]\n"
        "Plays the Korvale machine without the window, on every core, and prints the figures\n"
        "the window shows, each rate with a 95% confidence interval.\n"
        "A normal run on several threads plays one machine per thread and merges their\n"
        "statistics; a special run shares its attempts out among the threads. The same seed\n"
        "and thread count give the same figures.\n\nOptions:\n";
    for (const OptionEntry& entry : optionTable()) {
        text +=
            "  " + usageOf(entry) + "\n" + wrapped(std::string(entry.description), 84, "      ");
        if (!entry.defaultText.empty()) {
            text += "      (default: " + std::string(entry.defaultText) + ")\n";
        }
    }
    text +=
        "\nValues may also be written --option=value. Bad options exit with status 2, a failed\n"
        "run with status 1.\n";
    return text;
}

std::int64_t requestedAmount(const BatchOptions& options) {
    if (options.seconds) {
        return -1;
    }
    if (options.run == RunKind::Normal) {
        return options.games.value_or(defaultGames);
    }
    return options.attempts.value_or(defaultAttempts);
}

}  // namespace korvale
