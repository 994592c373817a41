#include "batch/commands/history_inference.h"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "analysis/found/history_worth.h"
#include "analysis/inference/bonus_history_reader.h"
#include "analysis/inference/setting_estimate.h"
#include "batch/commands/exact_setup.h"
#include "batch/commands/hall_rate_report.h"
#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "common/status.h"
#include "common/text_encoding.h"
#include "common/work_control.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/history_groups.h"
#include "report/groups/infer_figures.h"
#include "report/groups/yen_figures.h"

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

// The most places a setting's attempt may start from for which the lots bought from cash are
// worked out: one pass each, a few hundredths of a second (a history that shows its last BIG
// has one; a joined one before any BIG one per count the wait may have reached).
constexpr std::size_t mostCashStarts = 64;

// From cash with a rule that ends at the first BIG: each setting's expected lots, its starts
// weighed by their chances (none for a setting the history rules out, or with too many starts),
// and the posterior's mixture of them when every setting that counts has them.
PlayingOnLots historyCashLots(const BatchOptions& options, const FilteredState& state,
                              const SettingVector& posterior) {
    PlayingOnLots lots;
    if (!cashLotsExact(options, options.end)) {
        return lots;
    }
    CashLots mixed;
    bool whole = true;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const std::vector<WeightedStart> starts = historyEndStarts(state, s);
        if (!starts.empty() && starts.size() <= mostCashStarts) {
            CashLots sum;
            for (const WeightedStart& one : starts) {
                const CashLots start =
                    *exactCashLots(static_cast<std::int32_t>(s), options.end, one.start, options);
                sum.expected += one.chance * start.expected;
                sum.errorBound += one.chance * start.errorBound;
            }
            lots.bySetting[s] = sum;
            mixed.expected += posterior[s] * sum.expected;
            mixed.errorBound += posterior[s] * sum.errorBound;
        }
        whole = whole && (lots.bySetting[s] || !(posterior[s] > 0.0));
    }
    if (whole) {
        lots.mixture = mixed;
    }
    return lots;
}

// What playing on from where the history leaves the machine is worth under the end conditions:
// a group per setting the history allows, with its hours and yen, then the settings mixed by
// the posterior. Ctrl-C leaves them out and marks the report partial.
void addPlayingOnWorth(Report& report, const BatchOptions& options, const SettingFilter& filter,
                       const SettingEstimate& estimate, ProgressBar* bar) {
    ShareShown shown(bar);
    try {
        const HistoryWorth worth = solveHistoryWorth(
            machineModels(), filter.state(options.trailingGames), estimate.posterior, options.end,
            CostRounding::Exact,
            commandControl(options, [&shown](double share) { shown.show(share); }));
        addPlayingOnGroups(
            report.groups, worth, options.rates,
            historyCashLots(options, filter.state(options.trailingGames), estimate.posterior));
    } catch (const WorkCancelled&) {
        report.partial = true;
    }
    if (bar != nullptr) {
        bar->clear();
    }
}

}  // namespace

Report inferReport(const BatchOptions& options, std::istream& in, std::ostream& warnings,
                   ProgressBar* bar) {
    const auto start = std::chrono::steady_clock::now();
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
    SettingFilter filter(options.start);
    const std::vector<ObservedBonus>& bonuses = reading->bonuses;
    for (std::size_t i = 0; i < bonuses.size(); ++i) {
        if (i % 65536 == 0 && interruptRequested()) {
            throw WorkCancelled();
        }
        filter.addBonus(bonuses[i]);
    }
    const SettingEstimator estimator(machineModels(), 1000);
    const SettingEstimate estimate =
        estimator.estimate(filter, options.trailingGames, options.prior.value_or(uniformPrior))
            .value();
    Report report{.kind = ReportKind::Inference};
    addInferFacts(report, {.historyPath = options.historyPath,
                           .start = options.start,
                           .trailingGames = options.trailingGames,
                           .prior = options.prior,
                           .end = options.endGiven ? std::optional(options.end) : std::nullopt,
                           .rates = options.rates});
    report.groups = historyGroups(estimate);
    if (options.endGiven) {
        addPlayingOnWorth(report, options, filter, estimate, bar);
    }
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return report;
}

}  // namespace korvale
