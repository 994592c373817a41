#pragma once

// CSV as RFC 4180 writes it: records of comma-separated fields, a field quoted when it holds a
// comma, a quote or a line break, its quotes doubled; one writer and one reader for the whole
// program.
//
// The reader takes what spreadsheet programs and people write as well: LF as well as CRLF line
// ends, a UTF-8 byte order mark at the start (skipped), a last record without a line break,
// blanks before an opening quote (dropped), and text after a closing quote or a quote inside an
// unquoted field (kept as it stands). A quoted field may span lines; a quote left open runs to
// the end of the text and the record says so.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_encoding.h"

namespace korvale {

// Every CSV file the programs write starts with the UTF-8 byte-order mark, so that spreadsheet
// programs read the Japanese headings right; CsvReader skips one.
inline constexpr std::string_view csvByteOrderMark = utf8ByteOrderMark;

// One field as a record holds it: quoted when it must be.
std::string csvField(std::string_view text);

// The fields as one record, with its CRLF.
std::string csvRecord(std::initializer_list<std::string_view> fields);
std::string csvRecord(const std::vector<std::string>& fields);

struct CsvRecord {
    std::vector<std::string> fields;  // at least one, maybe empty
    std::size_t firstLine = 0;        // counted from 1
    std::size_t lastLine = 0;         // beyond firstLine when a quoted field holds line breaks
    bool unclosedQuote = false;       // a quoted field ran to the end of the text
};

// Reads a text record by record, or line by line where the caller wants to skip lines (blank
// lines, comments) before reading a record.
class CsvReader {
  public:
    explicit CsvReader(std::string_view text);

    bool atEnd() const { return pos_ >= text_.size(); }
    // The line the next record begins on, counted from 1.
    std::size_t line() const { return line_; }
    // The rest of that line, without its line break.
    std::string_view currentLine() const;
    void skipLine();
    // The next record; valid until the next call.
    const CsvRecord& next();

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    CsvRecord record_;
};

}  // namespace korvale
