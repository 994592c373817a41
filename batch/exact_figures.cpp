#include "batch/exact_figures.h"

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

#include "analysis/attempt.h"
#include "analysis/end_sweep.h"
#include "analysis/figures_output.h"
#include "analysis/long_run.h"

namespace korvale {
namespace {

FigureFormat figureFormat(OutputFormat format) {
    switch (format) {
        case OutputFormat::Csv:
            return FigureFormat::Csv;
        case OutputFormat::Json:
            return FigureFormat::Json;
        case OutputFormat::Table:
            break;
    }
    return FigureFormat::Table;
}

std::vector<std::int32_t> chosenSettings(const BatchOptions& options) {
    if (options.settingGiven) {
        return {options.setting};
    }
    return {0, 1, 2, 3, 4, 5};
}

unsigned threadCount(const BatchOptions& options) {
    if (options.threads) {
        return static_cast<unsigned>(*options.threads);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

// What an attempt is worth at each setting, with the cost rounded per attempt. That takes a few
// seconds a setting, so the settings are solved side by side.
std::vector<AttemptFigures> solveAttempts(const std::vector<std::int32_t>& settings,
                                          EndConditions end, unsigned threads) {
    std::vector<AttemptFigures> figures(settings.size());
    std::vector<std::future<void>> running;
    for (std::size_t first = 0; first < settings.size(); first += threads) {
        running.clear();
        for (std::size_t i = first; i < std::min(settings.size(), first + threads); ++i) {
            running.push_back(std::async(std::launch::async, [&, i] {
                figures[i] = solveAttempt(settings[i], end, CostRounding::Exact);
            }));
        }
        for (auto& task : running) {
            task.get();
        }
    }
    return figures;
}

}  // namespace

void writeExactFigures(const BatchOptions& options, std::ostream& out) {
    const FigureFormat format = figureFormat(options.format);
    const std::vector<std::int32_t> settings = chosenSettings(options);

    if (options.sweep) {
        std::vector<SettingSweep> sweeps = sweepEndConditions(SweepGrid{}, threadCount(options));
        std::erase_if(sweeps, [&](const SettingSweep& sweep) {
            return std::find(settings.begin(), settings.end(), sweep.setting) == settings.end();
        });
        writeSweep(out, format, sweeps);
        return;
    }

    std::vector<LongRunFigures> longRuns;
    for (const std::int32_t setting : settings) {
        longRuns.push_back(solveLongRun(setting));
    }
    if (!options.endGiven) {
        writeLongRun(out, format, longRuns);
        return;
    }
    const EndConditions end{options.bigEnd, options.regEnd};
    writeLongRunAndAttempts(out, format, longRuns,
                            solveAttempts(settings, end, threadCount(options)));
}

}  // namespace korvale
