#include "common/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace korvale {
namespace {

// What may reach a terminal: text as it stands, but for the bytes a terminal acts on, the
// characters that reorder or break the text around them, and bytes that are not UTF-8, each
// byte as \xNN.
TEST(PrintableTextTest, EscapesWhatATerminalWouldActOn) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"BIG 12 回 é", "BIG 12 回 é"},
        {"a\x1B[31mb\x07", "a\\x1B[31mb\\x07"},
        {"tab\there\r\n\x7F", "tab\\x09here\\x0D\\x0A\\x7F"},
        {"c1 \xC2\x85 \xC2\x9B", "c1 \\xC2\\x85 \\xC2\\x9B"},              // NEL, CSI
        {"nbsp \xC2\xA0 kept", "nbsp \xC2\xA0 kept"},                      // U+00A0 is no control
        {"x\xE2\x80\xAEtxt.exe", "x\\xE2\\x80\\xAEtxt.exe"},               // U+202E
        {"\xE2\x81\xA6\xE2\x81\xA9", "\\xE2\\x81\\xA6\\xE2\\x81\\xA9"},    // U+2066, U+2069
        {"\xE2\x80\x8F\xD8\x9C", "\\xE2\\x80\\x8F\\xD8\\x9C"},             // U+200F, U+061C
        {"\xE2\x80\xA8", "\\xE2\\x80\\xA8"},                               // line separator
        {"\xE2\x80\x8D\xF0\x9F\x8E\xB0", "\xE2\x80\x8D\xF0\x9F\x8E\xB0"},  // U+200D, U+1F3B0
        {"bad \xFF\xC0\x80 \xE2\x80", "bad \\xFF\\xC0\\x80 \\xE2\\x80"},
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printableText(c.text), c.shown) << c.shown;
    }
    // Cut after at most maxBytes of the text, never through a character.
    EXPECT_EQ(printableText("ab回c", 4), "ab...");
    EXPECT_EQ(printableText("ab回c", 5), "ab回...");
    EXPECT_EQ(printableText("\x1B\x1B", 1), "\\x1B...");
}

}  // namespace
}  // namespace korvale
