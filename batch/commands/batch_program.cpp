#include "batch/commands/batch_program.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "batch/commands/exact_command.h"
#include "batch/commands/history_inference.h"
#include "batch/commands/hunt_command.h"
#include "batch/commands/sweep_command.h"
#include "batch/options/batch_options.h"
#include "batch/options/run_limits.h"
#include "batch/run/command_line_run.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/status.h"
#include "common/text_encoding.h"
#include "common/work_control.h"
#include "report/groups/simulation_figures.h"

namespace korvale {
namespace {

constexpr int statusInterrupted = 130;  // 128 + SIGINT, as shells report it

// Diagnostics of the command line are in English; the window keeps its Japanese messages. The
// run's arithmetic is said in the status's own plain words; every other failure carries its
// English line, which is said as it stands.
bool runArithmetic(StatusReason reason) {
    switch (reason) {
        case StatusReason::Overflow:
        case StatusReason::DivisionByZero:
        case StatusReason::InvalidOperation:
        case StatusReason::FloatOverflow:
        case StatusReason::TypeMismatch:
            return true;
        default:
            return false;
    }
}

// The exit status of a failure: 2 for what the user gave (a command line, a file that is not a
// bonus history), 130 for Ctrl-C, 1 for the rest, a file that cannot be opened, read or written
// among them.
int exitStatus(StatusReason kind) {
    switch (kind) {
        case StatusReason::BadCommandLine:
        case StatusReason::NotABonusHistory:
            return 2;
        case StatusReason::Cancelled:
            return statusInterrupted;
        default:
            return 1;
    }
}

// Writes `text` to standard output and flushes it. A failed write is said on `err`, naming
// standard output and the system's reason: returns false.
bool writeOut(std::ostream& out, const std::string& text, std::ostream& err) {
    errno = 0;
    out << text << std::flush;
    if (out) {
        return true;
    }
    const int reason = errno;
    err << "korvale-batch: cannot write to standard output"
        << (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()) << "\n";
    return false;
}

// The status once the report is out: 130 when Ctrl-C came at any time (the work stopped
// early, or was over but not yet printed), 1 when the report could not be written.
int finish(std::ostream& out, const std::string& text, std::ostream& err) {
    if (!writeOut(out, text, err)) {
        return 1;
    }
    return interruptRequested() ? statusInterrupted : 0;
}

// A run that would take more than an hour is said to on `err`; it is played all the same.
void warnOfLength(const BatchOptions& options, const RunPlan& plan, std::ostream& err) {
    if (plan.seconds) {
        return;
    }
    std::string warning;
    if (plan.run == RunKind::Normal) {
        warning =
            lengthWarning(static_cast<double>(plan.amount), plan.threads, "the run asked for is");
    } else if (plan.run == RunKind::Day) {
        warning = lengthWarning(static_cast<double>(plan.amount) * plan.dayGames, plan.threads,
                                fmt::format("the {} days asked for are", plan.amount));
    } else if (options.expectedAttemptGames) {
        warning = lengthWarning(
            static_cast<double>(plan.amount) * *options.expectedAttemptGames, plan.threads,
            fmt::format("the {} attempts asked for are expected to take", plan.amount));
    }
    if (!warning.empty()) {
        err << warning << '\n';
    }
}

// The simulation of the cash put in that would take more than an hour, likewise.
void warnOfCashSimulation(const BatchOptions& options, std::ostream& err) {
    if (!options.expectedAttemptGames) {
        return;
    }
    const std::int64_t attempts = options.attempts.value_or(defaultCashAttempts);
    const std::string warning = lengthWarning(
        static_cast<double>(attempts) * *options.expectedAttemptGames,
        static_cast<int>(threadCount(options)),
        fmt::format("the {} attempts a setting that measure the cash put in are expected to take",
                    attempts));
    if (!warning.empty()) {
        err << warning << '\n';
    }
}

int simulate(const BatchOptions& options, std::ostream& out, std::ostream& err, ProgressBar* bar) {
    const RunPlan plan = makePlan(options);
    warnOfLength(options, plan, err);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, &std::fclose);
    if (!options.logPath.empty()) {
        log.reset(std::fopen(options.logPath.c_str(), "wb"));
        if (!log) {
            err << "korvale-batch: --log: cannot open \"" << printableText(options.logPath)
                << "\" for writing: " << std::strerror(errno) << "\n";
            return exitStatus(StatusReason::FileNotWritten);
        }
    }
    try {
        const BatchResult result = runFromCommandLine(plan, log.get(), bar);
        int logError = result.logError;
        if (log && logError == 0 && std::fclose(log.release()) != 0) {
            logError = errno;
        }
        if (logError != 0) {
            err << "korvale-batch: --log: cannot write \"" << printableText(options.logPath)
                << "\": " << std::strerror(logError) << "\n";
            return exitStatus(StatusReason::FileNotWritten);
        }
        const std::string text = formatReport(simulationReport(result), options.format);
        if (result.limit) {
            // The run could not make what was asked: a failure, with what it finished.
            err << fmt::format(
                "korvale-batch: the run stopped: {} reached the signed 32-bit limit 2147483647 "
                "after {} games of an attempt on thread {} (seed {}); the {} attempts finished "
                "before it are printed, marked partial\n",
                result.limit->words, result.limit->games, result.limit->thread, plan.seed,
                result.attempt.attempts);
            writeOut(out, text, err);
            return 1;
        }
        return finish(out, text, err);
    } catch (const StatusError& error) {
        if (!runArithmetic(error.reason())) {
            throw;  // not the run's arithmetic: said as it stands
        }
        err << "korvale-batch: the run stopped: " << defaultMessage(error.reason()) << " (seed "
            << plan.seed << ")\n";
        return exitStatus(error.reason());
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
    } catch (const StatusError& error) {
        if (error.reason() != StatusReason::BadCommandLine) {
            throw;
        }
        err << error.what() << '\n';
        return exitStatus(error.reason());
    }
    if (options.textToShow) {
        return writeOut(out, *options.textToShow, err) ? 0 : 1;
    }
    catchInterrupt();
    std::optional<ProgressBar> bar;
    if (errIsTerminal) {
        bar.emplace(err);
    }
    ProgressBar* barOrNull = bar ? &*bar : nullptr;
    try {
        switch (options.command) {
            case Command::SimulateNormal:
            case Command::SimulateSpecial:
                return simulate(options, out, err, barOrNull);
            case Command::Exact:
                warnOfCashSimulation(options, err);
                return finish(out, formatReport(exactReport(options, barOrNull), options.format),
                              err);
            case Command::Sweep:
                return finish(
                    out, formatReport(sweepReport(options, barOrNull, err), options.format), err);
            case Command::Hunt:
                return finish(out, formatReport(huntReport(options), options.format), err);
            case Command::Infer: {
                Report report;
                try {
                    report = inferReport(options, in, err, barOrNull);
                } catch (const StatusError& error) {
                    // A history that cannot be used: its own line, which names the file.
                    if (error.reason() != StatusReason::FileNotRead &&
                        error.reason() != StatusReason::NotABonusHistory) {
                        throw;
                    }
                    err << error.what() << '\n';
                    return exitStatus(error.reason());
                }
                // Ctrl-C during the estimate: nothing is printed (the worth of playing on, when
                // asked for, prints the estimate without it, marked partial).
                if (interruptRequested() && !options.endGiven) {
                    return statusInterrupted;
                }
                return finish(out, formatReport(report, options.format), err);
            }
        }
    } catch (const WorkCancelled& cancelled) {
        // Ctrl-C during work that prints nothing unless it is whole.
        if (bar) {
            bar->clear();
        }
        return exitStatus(cancelled.reason());
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
