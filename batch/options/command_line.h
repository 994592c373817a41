#pragma once

// The command line as declared to the argument library (CLI11): the commands, their options and
// their help. Parsing gives the texts of the options as typed; option_values reads them.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options/batch_options.h"

namespace korvale {

// The options of the command the command line names, as CLI11 hands them over.
struct OptionTexts {
    Command command = Command::SimulateNormal;
    std::string setting;
    std::string games;
    std::string attempts;
    std::string seconds;
    std::string dayGames;
    std::string days;
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
    std::string lend;
    std::string exchange;
    std::string pay = "coins";
    std::string sinceBig;
    std::string sinceBigGrid;
    std::string gamesPerHour;
    std::string maxGames;
    bool laws = false;
    bool frontier = false;
    bool meansOnly = false;
    std::vector<std::string> given;  // the options given a value, by name ("--games")

    bool wasGiven(std::string_view option) const;
};

struct CommandLine {
    OptionTexts texts;
    // Set instead of the texts when the user asked for text: --help or --version.
    std::optional<std::string> textToShow;
};

// Parses the arguments after the program name. A command line the parser refuses throws a
// StatusError (BadCommandLine) in the program's own words (command_line_errors.h).
CommandLine parseCommandLine(std::span<const std::string> arguments);

}  // namespace korvale
