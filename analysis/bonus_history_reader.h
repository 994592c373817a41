#pragma once

// Reads a bonus history from text, as the results grid's export and the batch program's bonus
// log write it, or as a player types it:
//
//   - CSV with a header naming a column BONUS (or bonus) and a column 回転数 (or games):
//     "BONUS,回転数,モード", "BONUS,回転数,モード,累計回転数,スレッド", "thread,bonus,games,mode";
//     every other column is ignored (the logged mode above all: a player never sees it). A
//     thread column (スレッド or thread) must hold one value throughout: the rows of one
//     machine. Without a header, a CSV row is "BIG,123".
//   - Plain lines of the kind and the games, separated by blanks: "BIG 123", "REG 45".
//
// Kinds are BIG and REG in any case; games are whole numbers 1..2147483647 (the machine counts
// in signed 32-bit counters). Full-width letters, digits and signs and the ideographic space
// read as their ASCII forms; a byte order mark, carriage returns, blank lines and lines
// starting with # are skipped. Any other line is an error naming its number and content, and
// nothing is returned from a text with an error in it.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "analysis/bonus_history.h"

namespace korvale {

// The first line that does not read.
struct HistoryReadProblem {
    std::size_t line = 0;  // counted from 1
    std::string content;   // the line as it stands in the text, without its line break
    std::string reason;

    // `line N: "content": reason`, the content shortened to 80 bytes and its control
    // characters shown as '?'.
    std::string message() const;
};

class HistoryReadError : public std::runtime_error {
  public:
    explicit HistoryReadError(HistoryReadProblem problem);

    const HistoryReadProblem& problem() const { return problem_; }

  private:
    HistoryReadProblem problem_;
};

struct HistoryReading {
    BonusHistory history;  // empty when there is a problem
    std::optional<HistoryReadProblem> problem;
};

// The bonuses of `text`, in order, or its first bad line; trailingGames is 0 (the text does not
// hold it).
HistoryReading tryReadBonusHistory(std::string_view text);

// The same, throwing HistoryReadError for a bad line.
BonusHistory readBonusHistory(std::string_view text);

}  // namespace korvale
