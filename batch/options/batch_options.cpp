#include "batch/options/batch_options.h"

#include <algorithm>

#include "batch/options/command_line.h"
#include "batch/options/option_values.h"
#include "batch/options/run_limits.h"
#include "common/work_control.h"

namespace korvale {

BatchOptions parseOptions(std::span<const std::string> arguments) {
    const CommandLine line = parseCommandLine(arguments);
    if (line.textToShow) {
        BatchOptions options;
        options.textToShow = line.textToShow;
        return options;
    }
    BatchOptions options = readOptionValues(line.texts);
    checkCombinations(options);
    checkRunLimits(options);
    return options;
}

std::int64_t requestedAmount(const BatchOptions& options) {
    if (options.seconds) {
        return -1;
    }
    if (options.command == Command::SimulateNormal) {
        return options.games.value_or(defaultGames);
    }
    return options.attempts.value_or(defaultAttempts);
}

unsigned threadCount(const BatchOptions& options) {
    if (options.threads) {
        return static_cast<unsigned>(*options.threads);
    }
    return std::min(everyCore(), static_cast<unsigned>(maxThreads));
}

}  // namespace korvale
