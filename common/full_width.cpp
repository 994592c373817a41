#include "common/full_width.h"

namespace korvale {
namespace {

bool isLeadByte(char c) {
    return c == '\xE3' || c == '\xEF';
}

// The ASCII character of the three bytes at `at`, or 0 when they are not a form that folds:
// U+FF01..U+FF3F are EF BC 81..BF, U+FF40..U+FF5E are EF BD 80..9E, U+3000 is E3 80 80.
char asciiOf(std::string_view text, std::size_t at) {
    if (at + 2 >= text.size()) {
        return 0;
    }
    const auto b0 = static_cast<unsigned char>(text[at]);
    const auto b1 = static_cast<unsigned char>(text[at + 1]);
    const auto b2 = static_cast<unsigned char>(text[at + 2]);
    if (b0 == 0xEF && b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF && b2 != 0x82) {
        return static_cast<char>(0x21 + (b2 - 0x81));
    }
    if (b0 == 0xEF && b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) {
        return static_cast<char>(0x60 + (b2 - 0x80));
    }
    if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80) {
        return ' ';
    }
    return 0;
}

}  // namespace

std::string_view foldFullWidth(std::string_view text, std::string& folded) {
    std::size_t pos = 0;
    while (pos < text.size() && !isLeadByte(text[pos])) {
        ++pos;
    }
    if (pos == text.size()) {
        return text;
    }
    folded.clear();
    folded.reserve(text.size());
    std::size_t copied = 0;  // text[copied, pos) is still to be copied as it is
    while (pos < text.size()) {
        if (!isLeadByte(text[pos])) {
            ++pos;
            continue;
        }
        const char ascii = asciiOf(text, pos);
        if (ascii == 0) {
            ++pos;
            continue;
        }
        folded.append(text.substr(copied, pos - copied));
        folded += ascii;
        pos += 3;
        copied = pos;
    }
    folded.append(text.substr(copied));
    return folded;
}

}  // namespace korvale
