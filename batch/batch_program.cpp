#include "batch/batch_program.h"

#include <cstdio>
#include <memory>

#include "batch/batch_options.h"
#include "batch/batch_report.h"
#include "batch/batch_run.h"
#include "batch/exact_figures.h"
#include "batch/progress_bar.h"
#include "common/runtime_error.h"

namespace korvale {

int runProgram(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               bool errIsTerminal) {
    BatchOptions options;
    try {
        options = parseOptions(arguments);
    } catch (const OptionError& error) {
        err << error.what() << '\n';
        return 2;
    }
    if (options.help) {
        out << helpText();
        return 0;
    }
    if (options.exact) {
        try {
            writeExactFigures(options, out);
            out.flush();
        } catch (const std::exception& error) {
            err << "korvale-batch: --exact: " << error.what() << '\n';
            return 1;
        }
        return 0;
    }
    const RunPlan plan = makePlan(options);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, &std::fclose);
    if (!options.logPath.empty()) {
        log.reset(std::fopen(options.logPath.c_str(), "wb"));
        if (!log) {
            err << "korvale-batch: --log: cannot open \"" << options.logPath << "\" for writing\n";
            return 2;
        }
    }

    std::optional<ProgressBar> bar;
    if (errIsTerminal) {
        bar.emplace(err);
    }
    try {
        const BatchResult result = runBatch(plan, log.get(), bar ? &*bar : nullptr);
        if (log && (std::ferror(log.get()) != 0 || std::fclose(log.release()) != 0)) {
            err << "korvale-batch: --log: writing \"" << options.logPath << "\" failed\n";
            return 1;
        }
        out << formatReport(result, options.format) << formatTiming(result, options.format);
        out.flush();
    } catch (const RuntimeError& error) {
        err << "korvale-batch: the run stopped: " << error.what() << " (seed " << plan.seed
            << ")\n";
        return 1;
    } catch (const std::exception& error) {
        err << "korvale-batch: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace korvale
