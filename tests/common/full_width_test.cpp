// Full-width forms folded to ASCII, and the characters around them left alone.

#include "common/full_width.h"

#include <gtest/gtest.h>

#include <string>

namespace korvale {
namespace {

TEST(FullWidthTest, FoldsTheFormsAndTheIdeographicSpaceOnly) {
    const struct {
        const char* text;
        const char* folded;
    } cases[] = {
        {"ＢＩＧ　１２３", "BIG 123"},
        {"ｒｅｇ，－４５．６ｅ＋７", "reg,-45.6e+7"},
        {"！＃＿｀～", "!#_`~"},  // U+FF01, U+FF03, U+FF3F, U+FF40, U+FF5E
        {"＂ｘ＂", "＂x＂"},      // the full-width quote stays
        {"\xEF\xBC\x80\xEF\xBD\x9F", "\xEF\xBC\x80\xEF\xBD\x9F"},  // U+FF00, U+FF5F
        {"、ー回転数ｱ", "、ー回転数ｱ"},  // U+3001, U+30FC, kanji, half-width kana
        {"＃ メモ\r\nＲＥＧ\t１\n", "# メモ\r\nREG\t1\n"},
        {"5\xEF\xBC", "5\xEF\xBC"},  // a character cut off at the end
        {"１\xEF\xBD", "1\xEF\xBD"},
    };
    for (const auto& c : cases) {
        std::string folded;
        EXPECT_EQ(foldFullWidth(c.text, folded), c.folded) << c.text;
    }
}

TEST(FullWidthTest, TextWithoutFormsIsReadWhereItStands) {
    const std::string text = "BONUS,回転数\r\nBIG,12\n";  // no byte E3 or EF
    std::string folded = "untouched";
    EXPECT_EQ(foldFullWidth(text, folded).data(), text.data());
    EXPECT_EQ(folded, "untouched");
}

}  // namespace
}  // namespace korvale
