#pragma once

// The manual page's prose that is about no one option: the program, its commands and its
// output, each piece ending in a new line. Each option's paragraph is in the option table
// (option_table.cpp).

#include <span>
#include <string_view>

#include "batch/options/batch_options.h"

namespace korvale {

std::string_view manNameSection();
std::string_view manDescriptionSection();
// --help and --version, which the parser adds itself, under COMMON OPTIONS.
std::string_view manProgramOptions();
// What the command does, before its options, and what follows them (may be empty).
std::string_view manCommandIntro(Command command);
std::string_view manCommandOutro(Command command);
// After the commands: OUTPUT; FIGURE KEYS; then EXIT STATUS, ENVIRONMENT, EXAMPLES and SEE ALSO.
std::span<const std::string_view> manOutputSections();
std::span<const std::string_view> manFigureKeySections();
std::span<const std::string_view> manClosingSections();

}  // namespace korvale
