#include "batch/options/bash_completion.h"

#include <set>
#include <string_view>

#include "batch/options/option_table.h"

namespace korvale {
namespace {

constexpr std::string_view head =
    R"bash(# Bash completion of korvale-batch, made by `korvale-batch --generate bash-completion` from
# its option table.

_korvale_batch() {
    local cur prev words cword
    _init_completion || return

    # The command so far: "simulate normal", "exact", ... (empty before one is given).
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        simulate) command=simulate ;;
        normal | special) [[ $command == simulate ]] && command="simulate ${words[i]}" ;;
        exact | sweep | hunt | infer) [[ -z $command ]] && command=${words[i]} ;;
        esac
    done

    case $prev in
)bash";

constexpr std::string_view tail = R"bash(    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
} && complete -F _korvale_batch korvale-batch
)bash";

// What follows each option that takes a value: its words or file names; the options whose
// value is any number or text, together, offer nothing.
std::string valueCases() {
    std::string cases;
    std::string anyValue;
    std::set<std::string> done;
    for (const OptionRow& row : optionTable()) {
        if (row.positional() || row.reading == Reading::Flag || !done.insert(row.name).second) {
            continue;
        }
        std::string words;
        for (const std::string& word : row.completions) {
            words += (words.empty() ? "" : " ") + word;
        }
        if (!row.completesFile && words.empty()) {
            anyValue += (anyValue.empty() ? "" : " | ") + row.name;
            continue;
        }
        const std::string action =
            row.completesFile ? "        _filedir\n"
                              : "        COMPREPLY=($(compgen -W \"" + words + "\" -- \"$cur\"))\n";
        cases += "    " + row.name + ")\n" + action + "        return\n        ;;\n";
    }
    return cases + "    " + anyValue + ")\n        return\n        ;;\n";
}

// Each command's options; a command with a file argument offers file names until a dash.
std::string commandCases() {
    std::string cases =
        "    esac\n\n    local options\n    case $command in\n"
        "    \"\") options=\"simulate exact sweep hunt infer --help --version\" ;;\n"
        "    simulate) options=\"normal special --help\" ;;\n";
    for (const Command command : allCommands()) {
        std::string options = "--help";
        bool takesFile = false;
        for (const OptionRow* row : optionsOf(command)) {
            takesFile = takesFile || (row->completesFile && row->positional());
            options += row->positional() ? "" : " " + row->name;
        }
        const std::string files =
            takesFile
                ? "        if [[ $cur != -* ]]; then\n            _filedir\n            return\n"
                  "        fi\n"
                : "";
        cases += "    \"" + std::string(commandWords(command)) + "\")\n" + files +
                 "        options=\"" + options + "\"\n        ;;\n";
    }
    return cases;
}

}  // namespace

std::string bashCompletion() {
    return std::string(head) + valueCases() + commandCases() + std::string(tail);
}

}  // namespace korvale
