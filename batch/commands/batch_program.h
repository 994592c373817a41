#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string>

namespace korvale {

// The whole korvale-batch program: reads the arguments (after the program name), plays the run
// and writes the report to `out`. Problems go to `err` as one line. Returns the exit status: 0
// done, 1 the run failed, 2 bad options or a history that does not read (nothing written to
// `out`). The progress bar is drawn on `err` only when `errIsTerminal`.
int runProgram(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               bool errIsTerminal);

// The same, `infer -` reading its history from `in` instead of standard input.
int runProgram(std::span<const std::string> arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool errIsTerminal);

}  // namespace korvale
