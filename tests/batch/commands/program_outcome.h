#pragma once

// What one call of the batch program gave, and the small helpers its tests share.

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "batch/commands/batch_program.h"

namespace korvale::testing {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline Outcome run(std::vector<std::string> arguments, bool terminal = false) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(arguments, out, err, terminal);
    return {status, out.str(), err.str()};
}

inline Outcome runWithInput(std::vector<std::string> arguments, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(arguments, in, out, err, false);
    return {status, out.str(), err.str()};
}

inline std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace korvale::testing
