#include "batch/grid_log.h"

#include <charconv>

namespace korvale {
namespace {
constexpr std::size_t flushSize = 1 << 20;
}

void GridLog::appendNumber(std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer_.append(digits, result.ptr);
}

void GridLog::bonusRow(bool big, std::int32_t games, std::int32_t mode) {
    appendNumber(thread_);
    buffer_ += big ? ",BIG," : ",REG,";
    appendNumber(games);
    buffer_ += ',';
    appendNumber(mode);
    buffer_ += '\n';
    if (buffer_.size() >= flushSize) {
        flush();
    }
}

void GridLog::attemptRow(std::int64_t bigs, std::int64_t regs, std::int64_t net) {
    appendNumber(thread_);
    buffer_ += ',';
    appendNumber(bigs);
    buffer_ += ',';
    appendNumber(regs);
    buffer_ += ',';
    appendNumber(net);
    buffer_ += '\n';
    if (buffer_.size() >= flushSize) {
        flush();
    }
}

void GridLog::flush() {
    if (!buffer_.empty()) {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }
}

}  // namespace korvale
