#include "batch/commands/hunt_command.h"

#include "batch/commands/exact_setup.h"
#include "report/groups/hunt_figures.h"

namespace korvale {

Report huntReport(const BatchOptions& options) {
    return solveHuntReport({.setting = chosenSetting(options),
                            .end = options.end,
                            .maxGames = options.maxGames,
                            .grid = options.huntGrid,
                            .rates = options.rates,
                            .prior = options.prior,
                            .meansOnly = options.meansOnly},
                           commandControl(options));
}

}  // namespace korvale
