// The option table against what is made of it: the parser's options of every command, the
// options it says were given, the manual page and the bash completion. An option declared to the
// parser anywhere but the table, or left out of what the table generates, fails here.

#include "batch/options/option_table.h"

#include <gtest/gtest.h>
#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>
#include <vector>

#include "batch/options/bash_completion.h"
#include "batch/options/command_line.h"
#include "batch/options/man_page.h"
#include "batch/options/option_values.h"
#include "common/status.h"

namespace korvale {
namespace {

// The words of a command on the command line.
std::vector<std::string> words(Command command) {
    std::vector<std::string> split;
    std::string word;
    for (const char c : commandWords(command)) {
        if (c == ' ') {
            split.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    split.push_back(word);
    return split;
}

// The parser's app of a command, found by its words.
const CLI::App* commandApp(const CLI::App& app, Command command) {
    const CLI::App* found = &app;
    for (const std::string& word : words(command)) {
        found = found->get_subcommand(word);
    }
    return found;
}

// Every command the parser knows ends in one of the table's commands, and each of those takes
// exactly the table's options, in its order, with its help.
TEST(OptionTableTest, TheParserDeclaresEveryOptionFromTheTableAndNoOther) {
    CLI::App app;
    OptionTexts texts;
    declareCommandLine(app, texts);
    std::vector<std::string> leaves;
    for (const CLI::App* command : app.get_subcommands({})) {
        const auto below = command->get_subcommands({});
        for (const CLI::App* leaf : below) {
            leaves.push_back(command->get_name() + " " + leaf->get_name());
        }
        if (below.empty()) {
            leaves.push_back(command->get_name());
        }
    }
    EXPECT_EQ(leaves, (std::vector<std::string>{"simulate normal", "simulate special", "exact",
                                                "sweep", "hunt", "infer"}));
    for (const Command command : allCommands()) {
        std::vector<std::string> declared;
        for (const CLI::Option* option : commandApp(app, command)->get_options()) {
            if (option->get_name() != "--help") {
                declared.push_back(option->get_name() + ": " + option->get_description());
            }
        }
        std::vector<std::string> tabled;
        for (const OptionRow* row : optionsOf(command)) {
            tabled.push_back(row->name + ": " + row->help);
        }
        EXPECT_EQ(declared, tabled) << commandWords(command);
    }
}

// Every option that is read when given is told as given, its text where the table puts it; the
// parser reads no value, so any text will do.
TEST(OptionTableTest, EveryValueOptionGivenIsToldAsGiven) {
    for (const Command command : allCommands()) {
        for (const OptionRow* row : optionsOf(command)) {
            if (row->reading != Reading::WhenGiven) {
                continue;
            }
            std::vector<std::string> arguments = words(command);
            if (command == Command::Infer) {
                arguments.push_back("day.csv");
            }
            arguments.insert(arguments.end(), {row->name, "x7"});
            const CommandLine line = parseCommandLine(arguments);
            EXPECT_EQ(line.texts.command, command);
            EXPECT_TRUE(line.texts.wasGiven(row->name)) << row->name;
            EXPECT_EQ(line.texts.given.size(), 1U) << row->name;
            EXPECT_EQ(line.texts.text(row->name), "x7") << row->name;
        }
    }
}

// The build's hidden request prints what the table makes, and --help does not show it; a name
// outside the table is the program's mistake, not an empty text.
TEST(OptionTableTest, GenerateIsHiddenAndNamesOutsideTheTableAreRefused) {
    EXPECT_EQ(parseCommandLine(std::vector<std::string>{"--generate", "man"}).textToShow,
              manPage());
    EXPECT_EQ(
        parseCommandLine(std::vector<std::string>{"--generate", "bash-completion"}).textToShow,
        bashCompletion());
    for (const std::vector<std::string>& refused : std::vector<std::vector<std::string>>{
             {"--generate"}, {"--generate", "html"}, {"--generate", "man", "man"}}) {
        EXPECT_THROW(parseCommandLine(refused), StatusError) << refused.size();
    }
    const CommandLine help = parseCommandLine(std::vector<std::string>{"--help"});
    ASSERT_TRUE(help.textToShow);
    EXPECT_EQ(help.textToShow->find("generate"), std::string::npos);
    const CommandLine line = parseCommandLine(std::vector<std::string>{"exact", "--laws"});
    EXPECT_TRUE(line.texts.flag("--laws"));
    EXPECT_FALSE(line.texts.flag("--frontier"));
    EXPECT_EQ(line.texts.text("--format"), "table");
    EXPECT_THROW(static_cast<void>(line.texts.text("--nonesuch")), std::logic_error);
    EXPECT_THROW(static_cast<void>(line.texts.flag("--setting")), std::logic_error);
}

// The largest whole number each option takes, typed from the help: it is read, the next one
// refused with the form expected; the least, and the one below it, likewise.
TEST(OptionTableTest, WholeNumbersAreReadWithinTheirLimits) {
    struct Case {
        std::vector<std::string> command;
        std::string option;
        std::string least;
        std::string largest;
        std::string form;
    };
    const std::vector<Case> cases = {
        {{"simulate", "normal"}, "--threads", "1", "256", "an integer 1..256"},
        {{"sweep"}, "--setting", "1", "6", "an integer 1..6"},
        {{"exact"},
         "--day-games",
         "1",
         "50000",
         "a whole number of games, 1 to 50000, such as 8000"},
        {{"simulate", "normal"},
         "--day-games",
         "1",
         "10000000",
         "a whole number of games, 1 to 10000000, such as 8000"},
        {{"simulate", "special"},
         "--max-games",
         "1",
         "100000",
         "a whole number of games 1..100000"},
        {{"simulate", "special"},
         "--since-big",
         "0",
         "1000000",
         "a whole number of games 0..1000000"},
        {{"infer", "h.csv"},
         "--trailing",
         "0",
         "2147483647",
         "a whole number of games 0..2147483647"},
        {{"hunt"},
         "--lend",
         "1",
         "1000",
         "a whole number of coins for ¥1000, 1 to 1000, such as 50 or 46"},
        {{"exact"},
         "--seed",
         "0",
         "18446744073709551615",
         "a whole number 0..18446744073709551615"},
        {{"sweep"},
         "--attempts",
         "1",
         "2305843009213693951",
         "a whole number of attempts, 1 to 2305843009213693951"},
    };
    const auto read = [](const Case& c, const std::string& value) {
        std::vector<std::string> arguments = c.command;
        arguments.insert(arguments.end(), {c.option, value});
        return readOptionValues(parseCommandLine(arguments).texts);
    };
    const auto refusal = [&](const Case& c, const std::string& value) {
        try {
            read(c, value);
        } catch (const StatusError& error) {
            return std::string(error.what());
        }
        return std::string("read");
    };
    for (const Case& c : cases) {
        EXPECT_NO_THROW(read(c, c.least)) << c.option;
        EXPECT_NO_THROW(read(c, c.largest)) << c.option;
        // The next whole number: the last digit raised, carried where it is a 9.
        std::string next = c.largest;
        std::size_t digit = next.size();
        while (digit > 0 && next[digit - 1] == '9') {
            next[--digit] = '0';
        }
        next = digit == 0 ? "1" + next : next.replace(digit - 1, 1, 1, char(next[digit - 1] + 1));
        const std::string below = c.least == "0" ? "-1" : "0";
        for (const std::string& refused : {next, below}) {
            EXPECT_EQ(refusal(c, refused), "korvale-batch: " + c.option + ": expected " + c.form +
                                               ", got \"" + refused + "\"");
        }
    }
}

// The part of the manual page from `heading` to the next heading.
std::string manSection(const std::string& page, const std::string& heading) {
    const std::size_t start = page.find("\n" + heading + "\n");
    EXPECT_NE(start, std::string::npos) << heading;
    const std::size_t end = page.find("\n.S", start + 1);
    return page.substr(start, end - start);
}

std::string roff(const std::string& name) {
    std::string escaped;
    for (const char c : name) {
        escaped += c == '-' ? "\\-" : std::string(1, c);
    }
    return escaped;
}

// The completion's list of options after the command's words.
std::string completionOptions(const std::string& completion, const std::string& command) {
    const std::size_t start = completion.find("    \"" + command + "\")");
    EXPECT_NE(start, std::string::npos) << command;
    const std::size_t list = completion.find("options=\"", start) + 9;
    return " " + completion.substr(list, completion.find('"', list) - list) + " ";
}

// Typed by hand from the commands' help: some options, and whether each command takes them.
struct Taken {
    std::string command;
    std::string option;
    bool taken;
    bool hallRate;
};
const std::vector<Taken> someOptions = {
    {"infer", "--threads", true, false},
    {"infer", "--seconds", false, false},
    {"infer", "--lend", true, true},
    {"infer", "--prior", true, false},
    {"hunt", "--since-big-grid", true, false},
    {"hunt", "--laws", false, false},
    {"hunt", "--games-per-hour", true, true},
    {"exact", "--laws", true, false},
    {"exact", "--day-games", true, false},
    {"exact", "--log", false, false},
    {"sweep", "--max-games", true, false},
    {"sweep", "--prior", false, false},
    {"sweep", "--pay", true, true},
    {"simulate normal", "--days", true, false},
    {"simulate normal", "--max-games", false, false},
    {"simulate special", "--since-big", true, false},
    {"simulate special", "--log", true, false},
    {"simulate normal", "--exchange", true, true},
};

TEST(OptionTableTest, TheManualPageDescribesEachOptionUnderTheCommandsThatTakeIt) {
    const std::string page = manPage();
    const std::string rates = manSection(page, ".SH HALL RATES");
    for (const Taken& some : someOptions) {
        const std::string section = manSection(
            page, ".SS " + some.command + (some.command == "infer" ? " \\fIfile\\fP" : ""));
        const std::string name = roff(some.option);
        const bool described = section.find(".TP\n.BI " + name + " ") != std::string::npos ||
                               section.find(".TP\n.B " + name + "\n") != std::string::npos ||
                               section.find(".BR " + name) != std::string::npos;
        if (some.hallRate) {
            EXPECT_NE(section.find("hall's rates"), std::string::npos) << some.command;
            EXPECT_NE(rates.find(".TP\n.BI " + name + " "), std::string::npos) << some.option;
            EXPECT_NE(rates.find(".BR \"" + some.command + "\""), std::string::npos)
                << some.command;
        } else {
            EXPECT_EQ(described, some.taken) << some.command << " " << some.option;
        }
    }
    // The common options are described once, and every command says it takes them.
    const std::string common = manSection(page, ".SH COMMON OPTIONS");
    EXPECT_NE(common.find(".TP\n.BI \\-\\-threads \" T\"\n"), std::string::npos);
    EXPECT_EQ(common.find("Not taken by"), std::string::npos);
}

TEST(OptionTableTest, TheCompletionOffersEachCommandItsOptions) {
    const std::string completion = bashCompletion();
    for (const Taken& some : someOptions) {
        const std::string options = completionOptions(completion, some.command);
        EXPECT_EQ(options.find(" " + some.option + " ") != std::string::npos, some.taken)
            << some.command << " " << some.option;
    }
    // The values of the options that take one of a few.
    EXPECT_NE(completion.find("    --pay)\n        COMPREPLY=($(compgen -W \"coins cash\""),
              std::string::npos);
    EXPECT_NE(completion.find("    --log)\n        _filedir\n"), std::string::npos);
}

// Every row of the table, beside the few above: its option is in every command's completion
// and in the manual page where the commands that take it read.
TEST(OptionTableTest, EveryRowReachesTheManualPageAndTheCompletion) {
    const std::string page = manPage();
    const std::string completion = bashCompletion();
    for (const OptionRow& row : optionTable()) {
        EXPECT_NE(page.find(row.manText), std::string::npos) << row.name;
        EXPECT_FALSE(row.help.empty() || row.manText.empty()) << row.name;
        for (const Command command : allCommands()) {
            if (row.takenBy(command) && !row.positional()) {
                const std::string options =
                    completionOptions(completion, std::string(commandWords(command)));
                EXPECT_NE(options.find(" " + row.name + " "), std::string::npos) << row.name;
            }
        }
    }
}

// The manual page makes no claim of time: the times are measured, with their machine, in bench/.
TEST(OptionTableTest, TheManualPageMakesNoClaimOfTime) {
    const std::string page = manPage();
    for (const char* claim : {"CPU", " a second", "seconds a rule", "minute", " s a setting",
                              "well under", "about a second"}) {
        EXPECT_EQ(page.find(claim), std::string::npos) << claim;
    }
}

}  // namespace
}  // namespace korvale
