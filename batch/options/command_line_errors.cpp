#include "batch/options/command_line_errors.h"

#include <fmt/format.h>

#include <algorithm>
#include <vector>

#include "common/status.h"
#include "common/text_encoding.h"

namespace korvale {

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

namespace {

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

}  // namespace

// The parser's complaint pointing to the help of the command it is about.
std::string reworded(const CLI::ParseError& error, const CLI::App& app) {
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
        what = fmt::format("{}there is no option \"{}\"", lead, printableText(*firstOption));
    } else if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        if (extras.empty()) {
            // "The following argument was not expected: b": the words after the colon.
            const std::string message = error.what();
            const std::size_t colon = message.rfind(": ");
            extras.push_back(colon == std::string::npos ? message : message.substr(colon + 2));
        }
        what = fmt::format("{}\"{}\" is not expected: {} takes options only", lead,
                           printableText(extras.front()),
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
        what = printableText(message);
    }
    return fmt::format("korvale-batch: {} (see {})", what, help);
}

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
    throw StatusError(StatusReason::BadCommandLine,
                      fmt::format("korvale-batch: unknown command \"{}\" (the commands are {})",
                                  printableText(arguments[at]), names));
}

}  // namespace korvale
