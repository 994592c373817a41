#pragma once

// Reads a bonus history from text, as the results grid's export and the batch program's bonus
// log write it, or as a player types it:
//
//   - CSV (RFC 4180: quoted fields, doubled quotes, a quoted field spanning lines) with a header
//     naming a column BONUS (or bonus) and a column 回転数 (or games): "BONUS,回転数,モード",
//     "BONUS,回転数,モード,累計回転数,スレッド", "thread,bonus,games,mode"; every other column
//     is ignored (the logged mode above all: a player never sees it). A thread column (スレッド
//     or thread) must hold one value throughout: the rows of one machine. Without a header, a
//     CSV row is "BIG,123".
//   - The window's saved results: a settings block that begins with the record 項目,値 and ends
//     with an empty record, skipped, then the grid with its header. An attempt run's grid
//     (BIG,REG,差枚) lists attempts, not bonuses, and is refused.
//   - Plain lines of the kind and the games, separated by blanks: "BIG 123", "REG 45".
//
// The text is UTF-8, Shift-JIS (code page 932) or UTF-16 with a byte order mark (see
// decodeText); NUL bytes or bytes of none of these are refused. Kinds are BIG and REG in any
// case; games are whole numbers 1..2147483647 (the machine counts in signed 32-bit counters)
// written in digits, as korvale-batch's options take a count ("12"; not "12.0" or "1e3"), with
// what a file adds to them: a sign ("+12") and digit grouping ("1,000" in a quoted field or a
// plain line "BIG 1,000"). Full-width letters, digits and signs and the ideographic space read
// as their ASCII forms (full_width.h); a byte order mark, carriage returns, blank lines and
// lines starting with # are skipped. Any other line is an error naming its number and content,
// and nothing is returned from a text with an error in it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/inference/bonus_history.h"
#include "common/status.h"
#include "common/work_control.h"

namespace korvale {

// What is wrong with a line, for each reader of the history to word in its own language.
enum class HistoryProblemKind : std::uint8_t {
    NotText,             // a NUL byte: a binary file
    NotUtf8,             // bytes that are neither UTF-8 nor Shift-JIS
    UnclosedQuote,       // a quoted field runs to the end of the text
    NoGamesColumn,       // a header with BONUS but without 回転数 or games
    AttemptGrid,         // the grid of an attempt run
    NotKindAndGames,     // a plain line that is not two words
    TooFewFields,        // a CSV row shorter than its header needs (see expectedFields)
    NotAKind,            // neither BIG nor REG
    NoGames,             // an empty games field
    GamesNotWhole,       // not a whole number
    GamesNegative,       // below 0
    GamesZero,           // 0
    GamesBeyondCounter,  // beyond 2147483647
    OtherThread,         // a row of another thread of a batch log
};

// The first line that does not read.
struct HistoryReadProblem {
    std::size_t line = 0;  // counted from 1; the first line of a record that spans lines
    std::string content;   // the line (the record) as it stands in the text, without its line break
    HistoryProblemKind kind = HistoryProblemKind::NotAKind;
    std::size_t expectedFields = 0;  // for TooFewFields
    std::string reason;              // in English

    // `line N: "content": reason`, the content as printableText shows it, at most 80 bytes.
    std::string message() const;
};

// The content of a problem as a message shows it.
std::string shownContent(std::string_view content);

// A text that does not read fails with NotABonusHistory: its message is the problem's message()
// and its detail the HistoryReadProblem, which historyProblem gives.
const HistoryReadProblem* historyProblem(const Status& status) noexcept;

// The bytes of a history file as UTF-8 text (decodeText), or the problem naming the line of the
// first byte that is not text.
StatusOr<std::string> decodeHistoryText(std::string_view bytes);

// The bonuses of `bytes`, in order, or its first bad line; trailingGames is 0 (the text does not
// hold it). Setting `*control.cancel` calls the reading off (a status Cancelled); its progress
// and threads are not used.
StatusOr<BonusHistory> readBonusHistory(std::string_view bytes, const WorkControl& control = {});

}  // namespace korvale
