#pragma once

// The argument library's complaints said in the program's own words: one line naming what is
// wrong and pointing to the help of the command it is about.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <span>
#include <string>

namespace korvale {

// The command the parse got to: the program, or the deepest subcommand named.
const CLI::App* deepestCommand(const CLI::App& app);

// The line shown for a parse error of `app`.
std::string reworded(const CLI::ParseError& error, const CLI::App& app);

// A mistyped command at arguments[at] would otherwise be reported as a missing one: throws a
// StatusError (BadCommandLine) naming the commands of `parent`.
void checkCommandName(std::span<const std::string> arguments, std::size_t at,
                      const CLI::App& parent);

}  // namespace korvale
