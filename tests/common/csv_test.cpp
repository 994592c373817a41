// The CSV reader on what RFC 4180 and spreadsheet programs write, and the writer read back.

#include "common/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvale {
namespace {

struct Record {
    std::vector<std::string> fields;
    std::size_t firstLine;
    std::size_t lastLine;
    bool unclosed = false;

    bool operator==(const Record&) const = default;
};

std::vector<Record> records(const std::string& text) {
    std::vector<Record> result;
    CsvReader reader(text);
    while (!reader.atEnd()) {
        CsvRecord record = reader.next();
        result.push_back({record.fields, record.firstLine, record.lastLine, record.unclosedQuote});
    }
    return result;
}

TEST(CsvTest, ReaderTakesRecordsAsWritten) {
    const struct {
        const char* name;
        std::string text;
        std::vector<Record> expected;
    } cases[] = {
        {"CRLF", "a,b\r\nc,d\r\n", {{{"a", "b"}, 1, 1}, {{"c", "d"}, 2, 2}}},
        {"LF, no final break", "a,b\nc", {{{"a", "b"}, 1, 1}, {{"c"}, 2, 2}}},
        {"empty fields and record", ",,\r\nx\r\n", {{{"", "", ""}, 1, 1}, {{"x"}, 2, 2}}},
        {"quotes, doubled quotes, commas inside",
         "\"a,b\",\"say \"\"hi\"\"\",\"\"\r\n",
         {{{"a,b", "say \"hi\"", ""}, 1, 1}}},
        {"quoted field over three lines",
         "\"1\n2\r\n3\",x\nnext\n",
         {{{"1\n2\r\n3", "x"}, 1, 3}, {{"next"}, 4, 4}}},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "a,b\n",
         {{{"a", "b"}, 1, 1}}},
        {"blanks before a quote, text after it, a stray quote",
         " \"1,000\" ,x\"y\n",
         {{{"1,000 ", "x\"y"}, 1, 1}}},
        {"lone carriage return inside a field, and at the end",
         "a\rb,c\r",
         {{{"a\rb", "c"}, 1, 1}}},
        {"unclosed quote runs to the end", "a,\"b\nc\n", {{{"a", "b\nc\n"}, 1, 2, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(records(c.text), c.expected);
    }
}

TEST(CsvTest, LinesCanBeSkippedBeforeARecord) {
    CsvReader reader("# note, \"open\r\n\"a\nb\",c\n");
    EXPECT_EQ(reader.currentLine(), "# note, \"open");
    reader.skipLine();
    EXPECT_EQ(reader.line(), 2u);
    const CsvRecord record = reader.next();
    EXPECT_EQ(record.fields, (std::vector<std::string>{"a\nb", "c"}));
    EXPECT_EQ(record.lastLine, 3u);
    EXPECT_TRUE(reader.atEnd());
}

TEST(CsvTest, WrittenRecordsReadBack) {
    const std::vector<std::string> fields = {"plain", "a,b", "\"q\"", "two\r\nlines", "", "設定１"};
    const std::string written = csvRecord(fields) + csvRecord({"x"}) + csvRecord({"", "y\"", ""});
    EXPECT_EQ(written,
              "plain,\"a,b\",\"\"\"q\"\"\",\"two\r\nlines\",,設定１\r\nx\r\n,\"y\"\"\",\r\n");
    EXPECT_EQ(records(written),
              (std::vector<Record>{{fields, 1, 2}, {{"x"}, 3, 3}, {{"", "y\"", ""}, 4, 4}}));
}

}  // namespace
}  // namespace korvale
