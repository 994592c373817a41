// korvale-batch: the Korvale machine on the command line. Everything is in korvale_batch; see
// runProgram.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "batch/commands/batch_program.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return korvale::runProgram(arguments, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
