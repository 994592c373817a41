#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace korvale {

// The grid's rows of one worker as CSV lines, gathered in a buffer and written to a file in
// large pieces. Each row starts with the worker's thread number, since every thread plays a
// machine of its own.
class GridLog {
  public:
    // Writes to `file`, which stays open and owned by the caller.
    GridLog(std::FILE* file, int thread) : file_(file), thread_(thread) {}
    ~GridLog() { flush(); }
    GridLog(const GridLog&) = delete;
    GridLog& operator=(const GridLog&) = delete;

    // Normal run: "thread,bonus,games,mode", as the grid's "BONUS", "回転数", "モード".
    void bonusRow(bool big, std::int32_t games, std::int32_t mode);
    // Attempt run: "thread,big,reg,net", as the grid's "BIG", "REG", "差枚".
    void attemptRow(std::int64_t bigs, std::int64_t regs, std::int64_t net);

    void flush();

    static const char* bonusHeader() { return "thread,bonus,games,mode\n"; }
    static const char* attemptHeader() { return "thread,big,reg,net\n"; }

  private:
    void appendNumber(std::int64_t value);

    std::FILE* file_;
    int thread_;
    std::string buffer_;
};

}  // namespace korvale
