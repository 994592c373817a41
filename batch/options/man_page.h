#pragma once

// The manual page korvale-batch(1), in roff: the prose of man_page_prose.h around every option
// of the option table, under each command that takes it.

#include <string>

namespace korvale {

std::string manPage();

}  // namespace korvale
