#include "analysis/inference/bonus_history_reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/status.h"

namespace korvale {
namespace {

constexpr BonusKind big = BonusKind::Big;
constexpr BonusKind reg = BonusKind::Reg;

TEST(BonusHistoryReaderTest, ReadsEveryLayoutItAccepts) {
    const struct {
        const char* name;
        std::string text;
        std::vector<ObservedBonus> bonuses;
    } cases[] = {
        {"window grid export",
         "BONUS,回転数,モード\nBIG,123,1\nREG,45,2\n",
         {{big, 123}, {reg, 45}}},
        {"batch bonus log",
         "BONUS,回転数,モード,累計回転数,スレッド\nREG,7,0,7,3\nBIG,1,4,8,3\n",
         {{reg, 7}, {big, 1}}},
        {"older batch log",
         "thread,bonus,games,mode\n0,BIG,12,1\n0,REG,9,5\n",
         {{big, 12}, {reg, 9}}},
        {"columns in another order, quoted", "games,\"bonus\"\n\"12\", big \n", {{big, 12}}},
        {"plain lines",
         "BIG 123\nREG\t45\n  big   2147483647  \n",
         {{big, 123}, {reg, 45}, {big, 2147483647}}},
        {"CSV rows without a header", "BIG,5\nreg,6", {{big, 5}, {reg, 6}}},
        {"full-width letters, digits and space",
         "ＢＩＧ　１２３\nｒｅｇ ０４５\n",
         {{big, 123}, {reg, 45}}},
        {"full-width CSV", "ＢＯＮＵＳ，回転数\nＢＩＧ，７\n", {{big, 7}}},
        {"byte order mark, CRLF, comments and blank lines",
         "\xEF\xBB\xBF# today's machine\r\n\r\nBIG 1\r\n   # noon\r\n\t\r\nREG +2\r\n",
         {{big, 1}, {reg, 2}}},
        {"full-width comment mark", "＃ メモ\nBIG 3\n", {{big, 3}}},
        {"quoted fields, grouped counts, a note over two lines",
         "\"BONUS\",\"回転数\",\"メモ\"\r\n\"BIG\",\"1,234\",\"a,\"\"b\"\"\r\nc\"\r\nREG,\"＋２,"
         "０００\",\r\n",
         {{big, 1234}, {reg, 2000}}},
        {"a full-width quote in a field is no quote",
         "BONUS,メモ,回転数\nBIG,＂x,12\n",
         {{big, 12}}},
        {"Shift-JIS: ＢＩＧ　１２ and 朝一",
         "# \x92\xA9\x88\xEA\r\n\x82\x61\x82\x68\x82\x66\x81\x40\x82\x50\x82\x51\r\n",
         {{big, 12}}},
        {"UTF-16 with its byte order mark",
         std::string("\xFF\xFE"
                     "B\0I\0G\0 \0"
                     "5\0\n\0",
                     14),
         {{big, 5}}},
        // The settings block ends at its empty record; a spreadsheet may have made that a blank
        // line or dropped it, and the grid that follows is read all the same.
        {"window's saved results",
         "項目,値,\r\n設定,設定２,\r\nプレイ数,50,\r\n,,\r\nBONUS,回転数,モード\r\nBIG,30,0\r\n"
         "REG,20,4\r\n",
         {{big, 30}, {reg, 20}}},
        {"saved results, the empty record a blank line",
         "項目,値\n設定,1\n\nBONUS,回転数,モード\nBIG,30,0\nREG,20,4\n",
         {{big, 30}, {reg, 20}}},
        {"saved results without the empty record",
         "項目,値\n設定,1\nBONUS,回転数,モード\nREG,9,1\n",
         {{reg, 9}}},
        {"plain lines with grouped counts",
         "BIG 1,000\nREG\t2,345\nbig +1,234,567\n",
         {{big, 1000}, {reg, 2345}, {big, 1234567}}},
        {"header only", "BONUS,回転数,モード\n", {}},
        {"nothing", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const BonusHistory history = readBonusHistory(c.text).value();
            EXPECT_EQ(history.bonuses, c.bonuses);
            EXPECT_EQ(history.trailingGames, 0);
        } catch (const StatusError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST(BonusHistoryReaderTest, RejectsABadLineByItsNumberAndContent) {
    const struct {
        std::string text;
        std::size_t line;
        const char* reason;
    } cases[] = {
        {"BIG 0", 1, "at least 1"},
        {"BIG -3", 1, "cannot be negative"},
        {"BIG -0", 1, "at least 1"},
        {"BIG 2147483648", 1, "beyond the machine's 32-bit count"},
        {"REG 99999999999999999999999999", 1, "beyond the machine's 32-bit count"},
        {"BIG 12x", 1, "whole number"},
        {"BIG 1.5", 1, "whole number"},
        {"BIG +", 1, "whole number"},
        // A count is written in digits, as the command line's counts are.
        {"BIG 12.0", 1, "whole number written in digits"},
        {"BIG 1e3", 1, "whole number written in digits"},
        {"REG 1,000\nBIG 1E3", 2, "whole number written in digits"},
        {"BONUS,回転数\nBIG,\"1e3\"", 2, "whole number written in digits"},
        {"BIG 1,00", 1, "whole number written in digits"},
        {"BIG", 1, "a bonus and its games"},
        {"BIG 1 2", 1, "a bonus and its games"},
        {"BONUS 12", 1, "BIG or REG"},
        {"BIG 1\n\n# note\nREG x", 4, "whole number"},
        {"BIG 1\nBIG,2", 2, "a bonus and its games"},
        {"BONUS,モード\nBIG,1", 1, "no column 回転数 or games"},
        {"BONUS,回転数\nBIG", 2, "at least 2 comma-separated fields"},
        {"BONUS,回転数\nBIG,", 2, "games are missing"},
        {"BONUS,回転数\nBIG,1\nBONUS,回転数", 3, "BIG or REG"},
        {"BONUS,回転数,スレッド\nBIG,1,0\nREG,2,0\nREG,3,1", 4, "another thread"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const StatusOr<BonusHistory> reading = readBonusHistory(c.text);
        const HistoryReadProblem* problem = historyProblem(reading.status());
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->line, c.line);
        EXPECT_NE(problem->reason.find(c.reason), std::string::npos) << problem->reason;
        try {
            (void)readBonusHistory(c.text).value();
            ADD_FAILURE() << "no error";
        } catch (const StatusError& error) {
            EXPECT_EQ(error.reason(), StatusReason::NotABonusHistory);
            // The message names the line and shows it as it stands in the text.
            std::string content = c.text;
            for (std::size_t i = 1; i < c.line; ++i) {
                content.erase(0, content.find('\n') + 1);
            }
            content = content.substr(0, content.find('\n'));
            EXPECT_EQ(std::string(error.what())
                          .rfind("line " + std::to_string(c.line) + ": \"" + content + "\": ", 0),
                      0u)
                << error.what();
        }
    }
}

TEST(BonusHistoryReaderTest, NamesWhatIsWrongByKindLineAndContent) {
    using Kind = HistoryProblemKind;
    const struct {
        std::string text;
        Kind kind;
        std::size_t line;
        std::string content;
    } cases[] = {
        {std::string("BIG 1\nBIG \0", 11), Kind::NotText, 2, std::string("BIG \0", 5)},
        {"BIG 1\n# \xFF\n", Kind::NotUtf8, 2, "# \xFF"},
        {"\xEF\xBB\xBF"
         "BIG 1\r\nREG 2\x80\r\n",
         Kind::NotUtf8, 2, "REG 2\x80"},
        {"BONUS,回転数\nBIG,\"12\nREG,4", Kind::UnclosedQuote, 2, "BIG,\"12\nREG,4"},
        {"BIG,REG,差枚\n0,1,-88\n", Kind::AttemptGrid, 1, "BIG,REG,差枚"},
        {"項目,値\n設定,1\nBIG,REG,差枚\n0,1,-88\n", Kind::AttemptGrid, 3, "BIG,REG,差枚"},
        {"BONUS,回転数,メモ\nBIG,\"1,\n2\",x\n", Kind::GamesNotWhole, 2, "BIG,\"1,\n2\",x"},
        {"BONUS,回転数\nBIG,\"1,00\"\n", Kind::GamesNotWhole, 2, "BIG,\"1,00\""},
        {"BONUS,回転数\nBIG,\"-1,000\"\n", Kind::GamesNegative, 2, "BIG,\"-1,000\""},
        {"BONUS,回転数,スレッド\nBIG,1,0\nBIG,1,1\n", Kind::OtherThread, 3, "BIG,1,1"},
        {"BONUS,回転数\nBIG\n", Kind::TooFewFields, 2, "BIG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const StatusOr<BonusHistory> reading = readBonusHistory(c.text);
        const HistoryReadProblem* problem = historyProblem(reading.status());
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->kind, c.kind);
        EXPECT_EQ(problem->line, c.line);
        EXPECT_EQ(problem->content, c.content);
        EXPECT_EQ(reading.status().reason(), StatusReason::NotABonusHistory);
    }
    // Bytes that are not UTF-8 are shown escaped, never as they are.
    const StatusOr<BonusHistory> bad = readBonusHistory("REG \xFF\xFE\x1B[2J");
    EXPECT_EQ(historyProblem(bad.status())->message(),
              "line 1: \"REG \\xFF\\xFE\\x1B[2J\": the file is not UTF-8: save it as UTF-8");
}

TEST(BonusHistoryReaderTest, ShowsALongOrOddLineShortenedAndPrintable) {
    const std::string longLine = "BIG " + std::string(100, '9') + "回";
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"BIG\x01 \x1b[31m", "BIG\\x01 \\x1B[31m"},
        {longLine, "BIG " + std::string(76, '9') + "..."},
        // Cut before a multi-byte character rather than through it.
        {"REG " + std::string(75, '1') + "回回", "REG " + std::string(75, '1') + "..."},
    };
    for (const auto& c : cases) {
        try {
            (void)readBonusHistory(c.text).value();
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const StatusError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, 10 + c.shown.size()),
                      "line 1: \"" + c.shown + "\"");
        }
    }
}

}  // namespace
}  // namespace korvale
