#include "batch/options/man_page.h"

#include <string_view>

#include "batch/options/man_page_prose.h"
#include "batch/options/option_table.h"
#include "common/version.h"

namespace korvale {
namespace {

// A name as roff prints it: its hyphens are minus signs, so that it can be searched and copied.
std::string roffName(std::string_view name) {
    std::string escaped;
    for (const char c : name) {
        escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    }
    return escaped;
}

// An option under .TP: its name, and the name of its value in italics.
std::string term(const OptionRow& row) {
    if (row.positional()) {
        return ".I " + row.name + "\n";
    }
    if (row.reading == Reading::Flag) {
        return ".B " + roffName(row.name) + "\n";
    }
    return ".BI " + roffName(row.name) + " \" " + row.valueName + "\"\n";
}

std::string paragraph(const OptionRow& row) {
    return ".TP\n" + term(row) + row.manText + "\n";
}

// Taken by every command with the same words: described once, under COMMON OPTIONS.
bool common(const OptionRow& row) {
    return row.commands == everyCommand && !row.hallRate;
}

// "simulate normal, exact and infer", each in bold, on lines of their own.
std::string commandList(CommandSet commands) {
    std::vector<std::string_view> named;
    for (const Command command : allCommands()) {
        if ((commands & commandBit(command)) != 0) {
            named.push_back(commandWords(command));
        }
    }
    std::string list;
    for (std::size_t i = 0; i < named.size(); ++i) {
        const std::string_view after = i + 2 < named.size()    ? " ,"
                                       : i + 2 == named.size() ? " \" and\""
                                                               : "";
        list += ".BR \"" + std::string(named[i]) + "\"" + std::string(after) + "\n";
    }
    return list;
}

// The command's words and its positional arguments, as a heading or a synopsis shows them.
std::string commandHeading(Command command) {
    std::string heading(commandWords(command));
    for (const OptionRow* row : optionsOf(command)) {
        heading += row->positional() ? " \\fI" + row->name + "\\fP" : "";
    }
    return heading;
}

std::string synopsis() {
    std::string text = ".SH SYNOPSIS\n";
    for (const Command command : allCommands()) {
        text +=
            ".B korvale-batch\n.B " + std::string(commandWords(command)) + "\n.RI [ options ]\n";
        for (const OptionRow* row : optionsOf(command)) {
            text += row->positional() ? ".I " + row->name + "\n" : "";
        }
        text += ".br\n";
    }
    return text + ".B korvale-batch\n.RB [ \\-\\-help | \\-\\-version ]\n";
}

std::string commonOptions() {
    std::string text(manProgramOptions());
    for (const OptionRow& row : optionTable()) {
        text += common(row) ? paragraph(row) : "";
    }
    return text;
}

std::string hallRates() {
    std::string text =
        ".SH HALL RATES\nWhat an attempt, or a day, is worth in yen and in hours; taken by\n";
    CommandSet takers = 0;
    for (const OptionRow& row : optionTable()) {
        takers |= row.hallRate ? row.commands : 0;
    }
    text +=
        commandList(takers) + "(a normal run with days only, infer with end conditions only).\n";
    for (const OptionRow& row : optionTable()) {
        text += row.hallRate ? paragraph(row) : "";
    }
    return text;
}

std::string commandSection(Command command) {
    std::string text =
        ".SS " + commandHeading(command) + "\n" + std::string(manCommandIntro(command));
    bool takesRates = false;
    for (const OptionRow* row : optionsOf(command)) {
        takesRates = takesRates || row->hallRate;
        text += common(*row) || row->hallRate ? "" : paragraph(*row);
    }
    const std::string_view outro = manCommandOutro(command);
    text += outro.empty() ? "" : ".PP\n" + std::string(outro);
    std::string also = ".BR";
    for (const OptionRow* row : optionsOf(command)) {
        also += common(*row) ? (also.size() > 3 ? " \" and \" " : " ") + roffName(row->name) : "";
    }
    text += ".PP\nIt also takes\n" + also +
            (takesRates ? " ,\nand the hall's rates (see\n.BR \"HALL RATES\" ).\n" : " .\n");
    return text;
}

}  // namespace

std::string manPage() {
    std::string page =
        ".\\\" The manual of korvale-batch, made by `korvale-batch --generate man` from its option "
        "table.\n.TH KORVALE-BATCH 1 2026-12-10 \"Korvale " +
        std::string(korvaleVersion) +
        "\" \"User Commands\"\n.\\\" Keys and option names are not to be broken across lines.\n"
        ".nh\n.ad l\n";
    page += std::string(manNameSection()) + synopsis() + std::string(manDescriptionSection()) +
            commonOptions() + hallRates() + ".SH COMMANDS\n";
    for (const Command command : allCommands()) {
        page += commandSection(command);
    }
    for (const auto sections :
         {manOutputSections(), manFigureKeySections(), manClosingSections()}) {
        for (const std::string_view section : sections) {
            page += section;
        }
    }
    return page;
}

}  // namespace korvale
