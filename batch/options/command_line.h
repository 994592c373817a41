#pragma once

// The command line as declared to the argument library (CLI11): the commands, and their options
// from the option table (option_table.h). Parsing gives the texts of the options as typed;
// option_values reads them. `korvale-batch --generate man` or `bash-completion`, which --help
// does not show, prints the manual page or the bash completion made from the table.

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options/batch_options.h"

namespace CLI {
class App;
}

namespace korvale {

// The options of the command the command line names, as CLI11 hands them over: by their names
// in the option table ("--games", "file").
struct OptionTexts {
    Command command = Command::SimulateNormal;
    // Every option's text as typed; when not given, empty, or the default of an option read
    // always (Reading::Always).
    std::map<std::string, std::string, std::less<>> values;
    std::map<std::string, bool, std::less<>> flags;  // every flag: whether it was given
    std::vector<std::string> given;  // the options read when given that were given a value

    bool wasGiven(std::string_view option) const;
    // An option of the table; any other name is a mistake of the program (std::logic_error).
    const std::string& text(std::string_view option) const;
    bool flag(std::string_view option) const;
};

struct CommandLine {
    OptionTexts texts;
    // Set instead of the texts when the user asked for text: --help or --version.
    std::optional<std::string> textToShow;
};

// Declares the program's commands and options (from the option table) to `app`, their texts
// bound to `texts`.
void declareCommandLine(CLI::App& app, OptionTexts& texts);

// Parses the arguments after the program name. A command line the parser refuses throws a
// StatusError (BadCommandLine) in the program's own words (command_line_errors.h).
CommandLine parseCommandLine(std::span<const std::string> arguments);

}  // namespace korvale
