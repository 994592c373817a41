#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "common/csv.h"

namespace korvale {

// The grid's rows of one worker as CSV lines, gathered in a buffer and written to a file in
// large pieces. The first columns are the window's grid columns under its headings, so that the
// log reads like the window's grid (and `korvale-batch infer` reads a bonus log); then the
// running game count and the worker's thread number, since every thread plays a machine of its
// own.
class GridLog {
  public:
    // Writes to `file`, which stays open and owned by the caller.
    GridLog(std::FILE* file, int thread) : file_(file), thread_(thread) {}
    ~GridLog() { flush(); }
    GridLog(const GridLog&) = delete;
    GridLog& operator=(const GridLog&) = delete;

    // Normal run: the bonus, the games since the previous bonus, the mode, and the game number
    // of the bonus counted from the machine's first game (for a slump graph).
    void bonusRow(bool big, std::int32_t games, std::int32_t mode, std::int64_t gameNumber);
    // Attempt run: the attempt's BIGs, REGs and net coins, and its games.
    void attemptRow(std::int64_t bigs, std::int64_t regs, std::int64_t net, std::int64_t games);

    void flush();
    // The system's reason (an errno) when a write to the file failed, 0 while none has.
    int failure() const { return failure_; }

    // The start of the file, as of every CSV file the programs write: the byte-order mark, then
    // the header with CRLF (RFC 4180).
    static std::string bonusHeader() {
        return std::string(csvByteOrderMark) + "BONUS,回転数,モード,累計回転数,スレッド\r\n";
    }
    static std::string attemptHeader() {
        return std::string(csvByteOrderMark) + "BIG,REG,差枚,回転数,スレッド\r\n";
    }

  private:
    // The rest of a row after its first column: `numbers`, then the thread.
    void endRow(std::initializer_list<std::int64_t> numbers);
    void flushWhenFull();

    std::FILE* file_;
    int thread_;
    std::string buffer_;
    int failure_ = 0;
};

}  // namespace korvale
