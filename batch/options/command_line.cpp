#include "batch/options/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "analysis/numeric/vector_variant.h"
#include "batch/options/bash_completion.h"
#include "batch/options/command_line_errors.h"
#include "batch/options/man_page.h"
#include "batch/options/option_table.h"
#include "common/status.h"
#include "common/version.h"

namespace korvale {
namespace {

// Registers one command's options from the table, in the table's order.
void addOptions(CLI::App& app, Command command, OptionTexts& texts) {
    for (const OptionRow* row : optionsOf(command)) {
        if (row->reading == Reading::Flag) {
            app.add_flag(row->name, texts.flags[row->name], row->help);
            continue;
        }
        CLI::Option* option = app.add_option(row->name, texts.values[row->name], row->help)
                                  ->type_name(row->valueName);
        if (!row->shownDefault.empty()) {
            option->default_str(row->shownDefault);
        }
        if (row->positional()) {
            option->required();
        }
    }
}

// `stopped`: what a command stopped with Ctrl-C prints.
std::string helpFooter(const std::string& stopped = "what it played") {
    return "Bad options exit with status 2; a failed run, or a file that cannot be opened, read "
           "or written, with status 1; a run stopped with Ctrl-C with status 130 after printing " +
           stopped + ".";
}

// The program's commands, as they were added to the parser.
struct Commands {
    CLI::App* simulate = nullptr;
    CLI::App* normal = nullptr;
    CLI::App* special = nullptr;
    CLI::App* exact = nullptr;
    CLI::App* sweep = nullptr;
    CLI::App* hunt = nullptr;
    CLI::App* infer = nullptr;
};

void addSimulateCommands(CLI::App& app, OptionTexts& texts, Commands& commands) {
    CLI::App* simulate = app.add_subcommand(
        "simulate", "play the machine and measure its figures, each rate with a 95% interval");
    simulate->require_subcommand(1);
    CLI::App* normal = simulate->add_subcommand(
        "normal",
        "one machine per thread played without end (the window's 通常): long-run figures per "
        "mode");
    addOptions(*normal, Command::SimulateNormal, texts);
    CLI::App* special = simulate->add_subcommand(
        "special",
        "attempts from a new machine each (the window's 特別), shared out among the "
        "threads");
    addOptions(*special, Command::SimulateSpecial, texts);
    commands.simulate = simulate;
    commands.normal = normal;
    commands.special = special;
}

CLI::App* addCommand(CLI::App& app, OptionTexts& texts, Command command,
                     const std::string& description) {
    CLI::App* added = app.add_subcommand(std::string(commandWords(command)), description);
    addOptions(*added, command, texts);
    return added;
}

CLI::App* addExactCommand(CLI::App& app, OptionTexts& texts) {
    return addCommand(
        app, texts, Command::Exact,
        "the figures the machine's tables imply, worked out from its Markov chain: the long "
        "run of every setting; with end conditions also what one attempt is worth");
}

CLI::App* addSweepCommand(CLI::App& app, OptionTexts& texts) {
    return addCommand(
        app, texts, Command::Sweep,
        "what an attempt is worth for every BIG end 0..1000 by 50 and REG end 0..300 by "
        "50, with the chance to end ahead and the median and 10% point of the net coins "
        "(about a second a rule: minutes for the grid), and each setting's best rules and "
        "efficient frontier");
}

CLI::App* addHuntCommand(CLI::App& app, OptionTexts& texts) {
    return addCommand(
        app, texts, Command::Hunt,
        "the 狙い目 table: what an attempt is worth on a machine found G games after its last "
        "BIG, for G over a grid, at each setting and for the prior's mixture of them, with its "
        "chance to end ahead, and the break-even G from which playing pays (the cost c × games "
        "unrounded, as the sweep's: exact --since-big G rounds it per attempt); from cash with a "
        "rule that ends at the first BIG, also in yen");
}

CLI::App* addInferCommand(CLI::App& app, OptionTexts& texts) {
    return addCommand(
        app, texts, Command::Infer,
        "which setting a machine is on, from its bonus history: the exact posterior over the six "
        "settings (the hidden mode followed game by game), P(設定≥4), P(設定≥5), the expected "
        "net coins of the next 1000 games, and the count-only answer beside it; with end "
        "conditions also what an attempt played on from where the history leaves the machine "
        "is worth, per setting and mixed by the posterior");
}

// Every command, in the order of the help, each with its footer.
Commands addCommands(CLI::App& app, OptionTexts& texts) {
    Commands commands;
    addSimulateCommands(app, texts, commands);
    commands.exact = addExactCommand(app, texts);
    commands.sweep = addSweepCommand(app, texts);
    commands.hunt = addHuntCommand(app, texts);
    commands.infer = addInferCommand(app, texts);
    commands.normal->footer(helpFooter());
    commands.special->footer(helpFooter() +
                             " An attempt that outlasts one of the machine's 32-bit counters ends "
                             "the run with status 1, after printing the attempts finished.");
    commands.exact->footer(helpFooter("the figures worked out by then, marked partial"));
    commands.sweep->footer(
        helpFooter("every rule whose means are done, with the risk of those worked out, marked "
                   "partial") +
        " On a terminal it says first what the risk figures will cost.");
    commands.hunt->footer(
        helpFooter("nothing") +
        " The break-even G (break_even) is the least G of the grid from which the net coins "
        "per attempt stay above 0 up to the grid's last G; it has no value (\"-\" in the "
        "table, empty in CSV, null in JSON) when they are not above 0 at the last G. From "
        "G = 1499 on the ceiling holds from the first game, so with a BIG end below 1500 "
        "every G from there is worth the same.");
    commands.infer->footer(
        helpFooter("nothing, or with end conditions the estimate without the worth of playing "
                   "on, marked partial") +
        " A history with a line that is not a bonus exits with status 2, naming the "
        "line; nothing is worked out from it. A history without a bonus is answered by the "
        "prior, with a warning.");
    return commands;
}

Command parsedCommand(const Commands& commands) {
    if (commands.simulate->parsed()) {
        return commands.normal->parsed() ? Command::SimulateNormal : Command::SimulateSpecial;
    }
    if (commands.infer->parsed()) {
        return Command::Infer;
    }
    if (commands.hunt->parsed()) {
        return Command::Hunt;
    }
    return commands.exact->parsed() ? Command::Exact : Command::Sweep;
}

// The options read only when given (Reading::WhenGiven) that the command line gave.
std::vector<std::string> givenOptions(const CLI::App& app, Command command) {
    const CLI::App* parsed = deepestCommand(app);
    std::vector<std::string> given;
    for (const OptionRow* row : optionsOf(command)) {
        if (row->reading == Reading::WhenGiven && parsed->get_option(row->name)->count() > 0) {
            given.push_back(row->name);
        }
    }
    return given;
}

// The program's version flag, its commands and their options.
Commands declare(CLI::App& app, OptionTexts& texts) {
    for (const OptionRow& row : optionTable()) {
        if (row.reading == Reading::Flag) {
            texts.flags.try_emplace(row.name, false);
        } else {
            texts.values.try_emplace(row.name,
                                     row.reading == Reading::Always ? row.shownDefault : "");
        }
    }
    // The vector code's variant, as the outcome law's speed depends on it.
    app.set_version_flag("--version",
                         std::string("korvale-batch ") + korvaleVersion + " (vector code: " +
                             std::string(vectorVariantName(activeVectorVariant())) + ")");
    app.require_subcommand(1);
    app.footer(helpFooter());
    return addCommands(app, texts);
}

// The build's hidden request for the manual page or the bash completion, made from the option
// table; --help does not list it.
std::optional<std::string> generatedText(std::span<const std::string> arguments) {
    if (arguments.empty() || arguments[0] != "--generate") {
        return std::nullopt;
    }
    if (arguments.size() == 2 && arguments[1] == "man") {
        return manPage();
    }
    if (arguments.size() == 2 && arguments[1] == "bash-completion") {
        return bashCompletion();
    }
    throw StatusError(StatusReason::BadCommandLine,
                      "korvale-batch: --generate: expected man or bash-completion alone");
}

}  // namespace

bool OptionTexts::wasGiven(std::string_view option) const {
    return std::find(given.begin(), given.end(), option) != given.end();
}

const std::string& OptionTexts::text(std::string_view option) const {
    const auto found = values.find(option);
    if (found == values.end()) {
        throw std::logic_error("no option " + std::string(option) + " in the option table");
    }
    return found->second;
}

bool OptionTexts::flag(std::string_view option) const {
    const auto found = flags.find(option);
    if (found == flags.end()) {
        throw std::logic_error("no flag " + std::string(option) + " in the option table");
    }
    return found->second;
}

void declareCommandLine(CLI::App& app, OptionTexts& texts) {
    declare(app, texts);
}

CommandLine parseCommandLine(std::span<const std::string> arguments) {
    CommandLine line;
    if ((line.textToShow = generatedText(arguments))) {
        return line;
    }
    CLI::App app{
        "Korvale on the command line: plays the machine on every core, or works its figures out "
        "exactly from its tables.",
        "korvale-batch"};
    const Commands commands = declare(app, line.texts);
    checkCommandName(arguments, 0, app);
    if (!arguments.empty() && arguments[0] == "simulate") {
        checkCommandName(arguments, 1, *commands.simulate);
    }
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        line.textToShow = app.help();
        return line;
    } catch (const CLI::CallForAllHelp&) {
        line.textToShow = app.help("", CLI::AppFormatMode::All);
        return line;
    } catch (const CLI::CallForVersion& version) {
        line.textToShow = std::string(version.what()) + "\n";
        return line;
    } catch (const CLI::ParseError& error) {
        throw StatusError(StatusReason::BadCommandLine, reworded(error, app));
    }
    line.texts.command = parsedCommand(commands);
    line.texts.given = givenOptions(app, line.texts.command);
    return line;
}

}  // namespace korvale
