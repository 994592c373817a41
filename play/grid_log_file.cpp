#include "play/grid_log_file.h"

#include <cerrno>
#include <charconv>
#include <iterator>

namespace korvale {
namespace {

constexpr std::size_t flushSize = 1 << 20;

void appendNumber(std::string& to, std::int64_t number) {
    char text[24];
    const std::to_chars_result written = std::to_chars(std::begin(text), std::end(text), number);
    to.append(text, written.ptr);
}

}  // namespace

void GridLog::bonusRow(bool big, std::int32_t games, std::int32_t mode, std::int64_t gameNumber) {
    buffer_ += big ? "BIG" : "REG";
    endRow({games, mode, gameNumber});
}

void GridLog::attemptRow(std::int64_t bigs, std::int64_t regs, std::int64_t net,
                         std::int64_t games) {
    appendNumber(buffer_, bigs);
    endRow({regs, net, games});
}

void GridLog::endRow(std::initializer_list<std::int64_t> numbers) {
    for (const std::int64_t number : numbers) {
        buffer_ += ',';
        appendNumber(buffer_, number);
    }
    buffer_ += ',';
    appendNumber(buffer_, thread_);
    buffer_ += "\r\n";
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
