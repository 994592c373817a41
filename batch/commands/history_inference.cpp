#include "batch/commands/history_inference.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "analysis/inference/bonus_history_reader.h"
#include "batch/commands/exact_setup.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/status.h"
#include "common/text_encoding.h"
#include "common/work_control.h"
#include "report/groups/infer_figures.h"

namespace korvale {
namespace {

// A history is short: even the grid of a run at the machine's 32-bit limit is some 50 MB.
constexpr std::size_t largestHistoryBytes = std::size_t{1} << 30;

[[noreturn]] void cannotRead(const std::string& name, int reason) {
    throw StatusError(StatusReason::FileNotRead, fmt::format("korvale-batch: cannot read {}: {}",
                                                             name, std::strerror(reason)));
}

// The whole of an open file. Reading stops early at a NUL byte in the first block of a file that
// is not UTF-16 (/dev/zero, a program): what it holds is not text whatever follows. Ctrl-C stops
// it between blocks (WorkCancelled).
std::string readDescriptor(int descriptor, const std::string& name) {
    std::string bytes;
    // A file's size, when it has one, is made room for at once: a history of many megabytes
    // would otherwise be copied each time the text outgrew its room.
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::uint64_t>(status.st_size) <= largestHistoryBytes) {
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    while (true) {
        if (interruptRequested()) {
            throw WorkCancelled();
        }
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            cannotRead(name, errno);
        }
        if (got == 0) {
            return bytes;
        }
        const bool firstBlock = bytes.empty();
        bytes.append(buffer, static_cast<std::size_t>(got));
        const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
        if (firstBlock && !utf16 && bytes.find('\0') != std::string::npos) {
            return bytes;
        }
        if (bytes.size() > largestHistoryBytes) {
            throw StatusError(
                StatusReason::NotABonusHistory,
                fmt::format("korvale-batch: {} is larger than 1 GiB: not a bonus history", name));
        }
    }
}

// Opens a file to read. Opening a FIFO waits for its writer: Ctrl-C ends that wait
// (WorkCancelled) rather than failing it as an interrupted system call.
int openToRead(const std::string& path) {
    while (true) {
        if (interruptRequested()) {
            throw WorkCancelled();
        }
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor >= 0 || errno != EINTR) {
            return descriptor;
        }
    }
}

std::string historyBytes(const std::string& path, std::istream& in) {
    if (path == "-") {
        // Standard input itself is read as a file, so that a failed read is seen.
        if (&in == &std::cin) {
            return readDescriptor(STDIN_FILENO, "standard input");
        }
        std::ostringstream text;
        text << in.rdbuf();
        if (in.bad()) {
            throw StatusError(StatusReason::FileNotRead,
                              "korvale-batch: cannot read standard input");
        }
        return text.str();
    }
    const std::string name = fmt::format("\"{}\"", printableText(path));
    const int descriptor = openToRead(path);
    if (descriptor < 0) {
        throw StatusError(
            StatusReason::FileNotRead,
            fmt::format("korvale-batch: cannot open {}: {}", name, std::strerror(errno)));
    }
    try {
        std::string bytes = readDescriptor(descriptor, name);
        ::close(descriptor);
        return bytes;
    } catch (...) {
        ::close(descriptor);
        throw;
    }
}

}  // namespace

Report inferReport(const BatchOptions& options, std::istream& in, std::ostream& warnings,
                   ProgressBar* bar) {
    const std::string bytes = historyBytes(options.historyPath, in);
    const StatusOr<BonusHistory> reading = readBonusHistory(bytes, {.cancel = interruptFlag()});
    const std::string source = options.historyPath == "-"
                                   ? "standard input"
                                   : fmt::format("\"{}\"", printableText(options.historyPath));
    if (!reading) {
        if (reading.status().code() == StatusCode::Cancelled) {
            throw WorkCancelled();
        }
        throw StatusError(StatusReason::NotABonusHistory,
                          fmt::format("korvale-batch: {}: {}", source, reading.status().message()));
    }
    if (reading->bonuses.empty()) {
        warnings << fmt::format(
            "korvale-batch: warning: {} holds no bonus (only blank lines, comments or a header): "
            "the answer is the prior{}\n",
            source,
            options.trailingGames > 0
                ? fmt::format(" weighed by the {} games without a bonus", options.trailingGames)
                : "");
    }
    ShareShown shown(bar);
    Report report =
        inferenceReport(*reading,
                        {.historyPath = options.historyPath,
                         .start = options.start,
                         .trailingGames = options.trailingGames,
                         .prior = options.prior,
                         .end = options.endGiven ? std::optional(options.end) : std::nullopt,
                         .rates = options.rates},
                        commandControl(options, [&shown](double share) { shown.show(share); }));
    if (bar != nullptr && options.endGiven) {
        bar->clear();
    }
    return report;
}

}  // namespace korvale
