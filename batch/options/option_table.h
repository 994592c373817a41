#pragma once

// Every option of korvale-batch, declared once: the table the parser registers (and so --help),
// the manual page and the bash completion are made from. A row is an option as some commands
// take it; an option whose help reads differently for another command has a row for each
// wording, so that a command's --help lists its options in the order of the table.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options/batch_options.h"

namespace korvale {

// A set of commands, one bit per Command.
using CommandSet = unsigned;

constexpr CommandSet commandBit(Command command) {
    return 1U << static_cast<unsigned>(command);
}

inline constexpr CommandSet everyCommand = (1U << 6U) - 1U;

// How the parser's text of an option is read (option_values.cpp): only when the command line
// gives it, always (its text starts as its default), or as a flag.
enum class Reading { WhenGiven, Always, Flag };

// The limits of an option whose value is a whole number, and the form its refusal names.
struct WholeLimits {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::string form{};
};

struct OptionRow {
    std::string name{};          // "--setting", or a positional argument's name ("file")
    CommandSet commands = 0;     // the commands that take it in this wording
    std::string valueName{};     // "1..6"; empty for a flag
    std::string shownDefault{};  // the default --help shows beside the value name; empty: none
    std::optional<WholeLimits> whole{};  // a whole number's limits (option_values.cpp)
    std::string help{};                  // its line in --help
    std::string manText{};               // its paragraph in the manual page, in roff
    Reading reading = Reading::WhenGiven;
    std::vector<std::string> completions{};  // the values completion offers; empty: any
    bool completesFile = false;              // completion offers file names
    bool hallRate = false;                   // described once, under HALL RATES

    bool positional() const { return !name.starts_with("--"); }
    bool takenBy(Command command) const { return (commands & commandBit(command)) != 0; }
};

std::span<const OptionRow> optionTable();

// The rows of one command's options, in the order of its --help.
std::vector<const OptionRow*> optionsOf(Command command);

// The row of an option that `command` takes; any other is a mistake of the program
// (std::logic_error).
const OptionRow& optionRow(Command command, std::string_view name);

// Every command, in the order of the help; and each one's words ("simulate normal").
std::span<const Command> allCommands();
std::string_view commandWords(Command command);

}  // namespace korvale
