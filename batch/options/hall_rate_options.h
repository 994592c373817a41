#pragma once

// The hall's rates on the command line: --lend, --exchange, --pay, --games-per-hour, and for
// commands that work their figures out exactly the seeded simulation of the cash put in.

#include <CLI/CLI.hpp>

#include "batch/options/command_line.h"

namespace korvale {

// Adds the rates to a command that gives coin figures.
void addHallRateOptions(CLI::App& command, OptionTexts& texts);

// Adds --attempts and --seed for the seeded simulation beside the exact figures (--pay cash),
// `attempts` the default number.
void addCashSimulationOptions(CLI::App& command, OptionTexts& texts, long long attempts);

}  // namespace korvale
