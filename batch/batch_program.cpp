#include "batch/batch_program.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "batch/batch_options.h"
#include "batch/batch_report.h"
#include "batch/batch_run.h"
#include "batch/exact_figures.h"
#include "batch/history_inference.h"
#include "batch/interrupt.h"
#include "batch/progress_bar.h"
#include "common/runtime_error.h"

namespace korvale {
namespace {

constexpr int statusInterrupted = 130;  // 128 + SIGINT, as shells report it

// Diagnostics of the command line are in English; the window keeps its Japanese messages.
const char* englishMessage(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Overflow:
            return "a counter left the signed 32-bit range";
        case ErrorKind::DivisionByZero:
            return "division by zero";
        case ErrorKind::InvalidOperation:
            return "invalid floating-point operation";
        case ErrorKind::FloatOverflow:
            return "floating-point overflow";
        case ErrorKind::TypeMismatch:
            break;
    }
    return "a text that had to be a number was not one";
}

int simulate(const BatchOptions& options, std::ostream& out, std::ostream& err, ProgressBar* bar) {
    const RunPlan plan = makePlan(options);
    catchInterrupt();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, &std::fclose);
    if (!options.logPath.empty()) {
        log.reset(std::fopen(options.logPath.c_str(), "wb"));
        if (!log) {
            err << "korvale-batch: --log: cannot open \"" << options.logPath
                << "\" for writing: " << std::strerror(errno) << "\n";
            return 2;
        }
    }
    try {
        const BatchResult result = runBatch(plan, log.get(), bar);
        if (log && (std::ferror(log.get()) != 0 || std::fclose(log.release()) != 0)) {
            err << "korvale-batch: --log: writing \"" << options.logPath << "\" failed\n";
            return 1;
        }
        out << formatReport(simulationReport(result), options.format) << std::flush;
        return result.interrupted ? statusInterrupted : 0;
    } catch (const RuntimeError& error) {
        err << "korvale-batch: the run stopped: " << englishMessage(error.kind()) << " (seed "
            << plan.seed << ")\n";
        return 1;
    }
}

}  // namespace

int runProgram(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               bool errIsTerminal) {
    return runProgram(arguments, std::cin, out, err, errIsTerminal);
}

int runProgram(std::span<const std::string> arguments, std::istream& in, std::ostream& out,
               std::ostream& err, bool errIsTerminal) {
    BatchOptions options;
    try {
        options = parseOptions(arguments);
    } catch (const OptionError& error) {
        err << error.what() << '\n';
        return 2;
    }
    if (options.textToShow) {
        out << *options.textToShow;
        return 0;
    }
    std::optional<ProgressBar> bar;
    if (errIsTerminal) {
        bar.emplace(err);
    }
    ProgressBar* barOrNull = bar ? &*bar : nullptr;
    if (bar && options.command != Command::SimulateNormal &&
        options.command != Command::SimulateSpecial) {
        exitOnInterruptClearingLine();
    }
    try {
        switch (options.command) {
            case Command::SimulateNormal:
            case Command::SimulateSpecial:
                return simulate(options, out, err, barOrNull);
            case Command::Exact:
                out << formatReport(exactReport(options, barOrNull), options.format);
                break;
            case Command::Sweep:
                out << formatReport(sweepReport(options, barOrNull), options.format);
                break;
            case Command::Infer:
                try {
                    out << formatReport(inferReport(options, in, err), options.format);
                } catch (const HistoryInputError& error) {
                    err << error.what() << '\n';
                    return error.exitStatus();
                }
                break;
        }
        out.flush();
    } catch (const std::exception& error) {
        if (bar) {
            bar->clear();
        }
        err << "korvale-batch: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace korvale
