#include "batch/run/grid_log_file.h"

#include <fmt/format.h>

#include <cerrno>
#include <iterator>

namespace korvale {
namespace {
constexpr std::size_t flushSize = 1 << 20;
}

void GridLog::bonusRow(bool big, std::int32_t games, std::int32_t mode, std::int64_t gameNumber) {
    fmt::format_to(std::back_inserter(buffer_), "{},{},{},{},{}\r\n", big ? "BIG" : "REG", games,
                   mode, gameNumber, thread_);
    flushWhenFull();
}

void GridLog::attemptRow(std::int64_t bigs, std::int64_t regs, std::int64_t net,
                         std::int64_t games) {
    fmt::format_to(std::back_inserter(buffer_), "{},{},{},{},{}\r\n", bigs, regs, net, games,
                   thread_);
    flushWhenFull();
}

void GridLog::flushWhenFull() {
    if (buffer_.size() >= flushSize) {
        flush();
    }
}

void GridLog::flush() {
    if (!buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() &&
            failure_ == 0) {
            failure_ = errno != 0 ? errno : EIO;
        }
        buffer_.clear();
    }
}

}  // namespace korvale
