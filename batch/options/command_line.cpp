#include "batch/options/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <vector>

#include "analysis/numeric/vector_variant.h"
#include "batch/options/command_line_errors.h"
#include "batch/options/hall_rate_options.h"
#include "common/status.h"
#include "common/version.h"

namespace korvale {
namespace {

void addSetting(CLI::App& command, OptionTexts& texts, const std::string& what) {
    command.add_option("--setting", texts.setting, what)->type_name("1..6");
}

void addFormat(CLI::App& command, OptionTexts& texts) {
    command.add_option("--format", texts.format, "how the figures are written to standard output")
        ->type_name("table|csv|json")
        ->default_str("table");
}

void addThreads(CLI::App& command, OptionTexts& texts) {
    command
        .add_option("--threads", texts.threads,
                    "threads to work on, 1 to " + std::to_string(maxThreads) +
                        " (default: every core, at most " + std::to_string(maxThreads) + ")")
        ->type_name("T");
}

void addPlayOptions(CLI::App& command, OptionTexts& texts) {
    command
        .add_option("--seconds", texts.seconds,
                    "play for S seconds (above 0, at most 1000000000) instead of a number of "
                    "games or attempts")
        ->type_name("S");
    addThreads(command, texts);
    command
        .add_option("--seed", texts.seed,
                    "seed of the random streams (default: from the clock; always printed, so "
                    "that a run can be repeated). Thread i draws from the seed's xoshiro256++ "
                    "stream advanced by i jumps of 2^128.")
        ->type_name("S");
    addFormat(command, texts);
}

void addEndConditions(CLI::App& command, OptionTexts& texts, const std::string& bigNote,
                      const std::string& regNote) {
    command
        .add_option("--big-end", texts.bigEnd,
                    "an attempt ends at least X games after its last BIG" + bigNote)
        ->type_name("X");
    command
        .add_option("--reg-end", texts.regEnd,
                    "and, once it has had a REG, at least Y games after its last REG (a decimal "
                    "is rounded to the nearest whole game, halves to even)" +
                        regNote)
        ->type_name("Y");
}

void addSinceBig(CLI::App& command, OptionTexts& texts) {
    command
        .add_option("--since-big", texts.sinceBig,
                    "the attempt takes over a machine found G games after its last BIG (0 to "
                    "1000000; 0: just after a BIG), its mode as the long run leaves it then; "
                    "without it, a new machine in the morning. The attempt's own counts, the "
                    "end rule's included, start at 0")
        ->type_name("G");
}

void addMaxGames(CLI::App& command, OptionTexts& texts, const std::string& note = "") {
    command
        .add_option("--max-games", texts.maxGames,
                    "closing time: each attempt also ends at its N-th game if its end conditions "
                    "have not ended it before (1 to 100000; default: no limit)" +
                        note)
        ->type_name("N");
}

void addPrior(CLI::App& command, OptionTexts& texts, const std::string& what) {
    command.add_option("--prior", texts.prior, what)->type_name("P1,...,P6");
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
    addSetting(*normal, texts, "the payout setting, 設定１..設定６ (default: 1)");
    normal->add_option("--games", texts.games, "games to play in all (default: 100000000)")
        ->type_name("N");
    normal
        ->add_option("--day-games", texts.dayGames,
                     "play days at the hall instead: each day a new machine from the morning "
                     "played for N games (1 to 10000000, such as 8000), the day's net coins and "
                     "yen, its chance to end ahead and its percentiles")
        ->type_name("N");
    normal
        ->add_option("--days", texts.days,
                     "days to play in all (default: 100000; a day of 8000 games without "
                     "--day-games)")
        ->type_name("D");
    addHallRateOptions(*normal, texts);
    addPlayOptions(*normal, texts);
    normal
        ->add_option("--log", texts.logPath,
                     "write every bonus as CSV, as the window's grid (with days: every day as "
                     "the window's attempt grid)")
        ->type_name("FILE");

    CLI::App* special = simulate->add_subcommand(
        "special",
        "attempts from a new machine each (the window's 特別), shared out among the "
        "threads");
    addSetting(*special, texts, "the payout setting, 設定１..設定６ (default: 1)");
    special->add_option("--attempts", texts.attempts, "attempts to make in all (default: 1000000)")
        ->type_name("N");
    addEndConditions(*special, texts, " (default: 300)", " (default: 100)");
    addMaxGames(*special, texts);
    addHallRateOptions(*special, texts);
    special
        ->add_option("--since-big", texts.sinceBig,
                     "each attempt on a machine found mid-day showing G games since its last "
                     "BIG, as a player finds one: a new machine played from the morning through "
                     "100 BIGs and on to a moment its wait since the last BIG reaches G (0: just "
                     "after a BIG; from 1499 on the ceiling holds from the first game); the "
                     "attempt's games, bonuses and end conditions count from there, the machine's "
                     "mode and ceiling count are as its play left them (default: a new machine "
                     "from the morning)")
        ->type_name("G");
    addPlayOptions(*special, texts);
    special->add_option("--log", texts.logPath, "write every attempt as CSV, as the window's grid")
        ->type_name("FILE");
    commands.simulate = simulate;
    commands.normal = normal;
    commands.special = special;
}

CLI::App* addExactCommand(CLI::App& app, OptionTexts& texts) {
    CLI::App* exact = app.add_subcommand(
        "exact",
        "the figures the machine's tables imply, worked out from its Markov chain: the long "
        "run of every setting; with end conditions also what one attempt is worth");
    addSetting(*exact, texts, "only this setting (default: all six)");
    addEndConditions(*exact, texts, " (up to 2000; default: 300 when only --reg-end is given)",
                     " (up to 1000; default: 100 when only --big-end is given)");
    exact->add_flag("--laws", texts.laws,
                    "with end conditions also the laws of one attempt: the chance to end ahead, "
                    "the percentiles of its net coins and games, P(net >= k), the BIG count's "
                    "law (seconds to minutes a setting); for a REG end above the BIG end + 1 "
                    "the chance to end ahead and the 50% and 10% points only, as the sweep "
                    "gives them; with --max-games the means only, the laws shown as -");
    addMaxGames(*exact, texts);
    exact
        ->add_option("--day-games", texts.dayGames,
                     "instead: the law of a day at the hall, a new machine from the morning "
                     "played for N games (1 to 50000, such as 8000): the day's mean net coins and "
                     "yen, its chance to end ahead and its percentiles (some 8 s a setting at "
                     "8000 games on two threads, growing with the square of N)")
        ->type_name("N");
    addHallRateOptions(*exact, texts);
    addCashSimulationOptions(*exact, texts, defaultCashAttempts);
    addSinceBig(*exact, texts);
    addPrior(
        *exact, texts,
        "with --since-big and no --setting: the weights of 設定１..設定６ (the hall's 設定配分; "
        "default: all equal) that, given G, make the posterior over the settings and the "
        "figures it mixes them to");
    addThreads(*exact, texts);
    addFormat(*exact, texts);
    return exact;
}

CLI::App* addSweepCommand(CLI::App& app, OptionTexts& texts) {
    CLI::App* sweep = app.add_subcommand(
        "sweep",
        "what an attempt is worth for every BIG end 0..1000 by 50 and REG end 0..300 by "
        "50, with the chance to end ahead and the median and 10% point of the net coins "
        "(about a second a rule: minutes for the grid), and each setting's best rules and "
        "efficient frontier");
    addSetting(*sweep, texts, "only this setting (default: all six)");
    sweep->add_option("--big-ends", texts.bigEnds, "the BIG ends from FIRST to LAST by STEP")
        ->type_name("FIRST:LAST:STEP")
        ->default_str("0:1000:50");
    sweep->add_option("--reg-ends", texts.regEnds, "the REG ends from FIRST to LAST by STEP")
        ->type_name("FIRST:LAST:STEP")
        ->default_str("0:300:50");
    sweep->add_flag("--frontier", texts.frontier,
                    "only the rules on each setting's efficient frontier: those that no other "
                    "rule beats on both the net coins per 1000 games and the chance to end "
                    "ahead, from the highest net per 1000 games down");
    sweep->add_flag("--means-only", texts.meansOnly,
                    "only what each rule is worth on average, without its chance to end ahead "
                    "and its points (under a second for the default grid, where those take "
                    "minutes)");
    addMaxGames(*sweep, texts,
                ". With it each rule's means have the cost rounded per attempt and the share of "
                "attempts the limit stopped; its chance to end ahead and its points are not "
                "worked out (shown as -), and --frontier is refused");
    addHallRateOptions(*sweep, texts);
    addCashSimulationOptions(*sweep, texts, defaultSweepCashAttempts);
    addSinceBig(*sweep, texts);
    addThreads(*sweep, texts);
    addFormat(*sweep, texts);
    return sweep;
}

CLI::App* addHuntCommand(CLI::App& app, OptionTexts& texts) {
    CLI::App* hunt = app.add_subcommand(
        "hunt",
        "the 狙い目 table: what an attempt is worth on a machine found G games after its last "
        "BIG, for G over a grid, at each setting and for the prior's mixture of them, with its "
        "chance to end ahead, and the break-even G from which playing pays (the cost c × games "
        "unrounded, as the sweep's: exact --since-big G rounds it per attempt); from cash with a "
        "rule that ends at the first BIG, also in yen");
    addSetting(*hunt, texts, "only this setting, without the mixture (default: all six)");
    hunt->add_option("--since-big-grid", texts.sinceBigGrid,
                     "the games since the last BIG from FIRST to LAST by STEP (LAST at most "
                     "1000000, at most 1001 counts)")
        ->type_name("FIRST:LAST:STEP")
        ->default_str("0:1500:50");
    addEndConditions(*hunt, texts, " (up to 2000; default: 0)",
                     " (up to 1000; default: 0, so that the attempt stops at its first BIG)");
    addMaxGames(*hunt, texts);
    addHallRateOptions(*hunt, texts);
    addPrior(*hunt, texts,
             "the weights of 設定１..設定６ (the hall's 設定配分; default: all equal) that, given "
             "G, make the posterior over the settings and the mixture");
    addThreads(*hunt, texts);
    addFormat(*hunt, texts);
    return hunt;
}

CLI::App* addInferCommand(CLI::App& app, OptionTexts& texts) {
    CLI::App* infer = app.add_subcommand(
        "infer",
        "which setting a machine is on, from its bonus history: the exact posterior over the six "
        "settings (the hidden mode followed game by game), P(設定≥4), P(設定≥5), the expected "
        "net coins of the next 1000 games, and the count-only answer beside it; with end "
        "conditions also what an attempt played on from where the history leaves the machine "
        "is worth, per setting and mixed by the posterior");
    infer
        ->add_option("file", texts.historyPath,
                     "the history: a bonus log, the window's grid or saved results as CSV "
                     "(BONUS,回転数,...), or lines \"BIG 123\" / \"REG 45\" (games since the "
                     "previous bonus, the bonus game included); UTF-8, Shift-JIS or UTF-16; - "
                     "reads standard input")
        ->required()
        ->type_name("FILE");
    infer
        ->add_option("--start", texts.start,
                     "morning: the history starts at a new machine's first game; joined: at the "
                     "first game watched during the day, the machine's state unknown")
        ->type_name("morning|joined")
        ->default_str("morning");
    infer
        ->add_option("--trailing", texts.trailing,
                     "games played since the last bonus, none of them a bonus (default: 0)")
        ->type_name("N");
    addPrior(*infer, texts, "weights of 設定１..設定６ before the history (default: all equal)");
    addEndConditions(
        *infer, texts,
        " (up to 2000; default: 300 when only --reg-end is given). With either: what an attempt "
        "from where the history leaves the machine is worth, its own counts from 0",
        " (up to 1000; default: 100 when only --big-end is given)");
    addHallRateOptions(*infer, texts);
    addThreads(*infer, texts);
    addFormat(*infer, texts);
    return infer;
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

// The options that take a value, which the command line may or may not give.
constexpr const char* valueOptions[] = {"--setting",
                                        "--games",
                                        "--attempts",
                                        "--seconds",
                                        "--big-end",
                                        "--reg-end",
                                        "--threads",
                                        "--seed",
                                        "--big-ends",
                                        "--reg-ends",
                                        "--trailing",
                                        "--prior",
                                        "--log",
                                        "--lend",
                                        "--exchange",
                                        "--pay",
                                        "--games-per-hour",
                                        "--since-big",
                                        "--since-big-grid",
                                        "--max-games",
                                        "--day-games",
                                        "--days"};

// The value options given to the command the parse got to.
std::vector<std::string> givenOptions(const CLI::App& app) {
    const CLI::App* command = deepestCommand(app);
    std::vector<std::string> given;
    for (const char* name : valueOptions) {
        const CLI::Option* option = command->get_option_no_throw(name);
        if (option != nullptr && option->count() > 0) {
            given.emplace_back(name);
        }
    }
    return given;
}

}  // namespace

bool OptionTexts::wasGiven(std::string_view option) const {
    return std::find(given.begin(), given.end(), option) != given.end();
}

CommandLine parseCommandLine(std::span<const std::string> arguments) {
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
    CommandLine line;
    const Commands commands = addCommands(app, line.texts);
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
    line.texts.given = givenOptions(app);
    return line;
}

}  // namespace korvale
