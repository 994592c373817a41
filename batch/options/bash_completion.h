#pragma once

// The bash completion of korvale-batch, made from the option table: its commands, each
// command's options, and the values of the options that take one of a few.

#include <string>

namespace korvale {

std::string bashCompletion();

}  // namespace korvale
