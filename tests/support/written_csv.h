#pragma once

// The records of a CSV file as the programs write every one: a byte order mark, then records
// each ending in CRLF. Read with the program's own reader; the fields these tests look at hold
// no line break, so every line feed must close a record.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/csv.h"

namespace korvale {

inline std::vector<std::vector<std::string>> writtenCsvRecords(std::string_view text) {
    EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF"));
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n"));
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', at + 1)) {
        EXPECT_EQ(text[at - 1], '\r') << "a line feed alone, at byte " << at;
    }
    std::vector<std::vector<std::string>> records;
    CsvReader reader(text);
    while (!reader.atEnd()) {
        records.push_back(reader.next().fields);
    }
    return records;
}

}  // namespace korvale
