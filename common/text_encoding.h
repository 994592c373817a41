#pragma once

// The bytes of a text file as UTF-8, and text made safe to print.
//
// Japanese spreadsheet programs still save CSV as Shift-JIS (Windows code page 932), and some
// save "Unicode text" as UTF-16 with a byte order mark; both are converted (glibc's iconv).
// Bytes that are neither UTF-8 nor code page 932, and NUL bytes outside UTF-16, are not text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvale {

// The bytes of U+FEFF in UTF-8, which some programs put at the start of a UTF-8 file.
inline constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

enum class TextSource : std::uint8_t { Utf8, ShiftJis, Utf16 };
enum class TextProblem : std::uint8_t { None, NulByte, Undecodable };

struct DecodedText {
    std::string text;  // UTF-8 without a byte order mark; empty when there is a problem
    TextSource source = TextSource::Utf8;
    TextProblem problem = TextProblem::None;
    std::size_t problemOffset = 0;  // the first offending byte of the input
};

DecodedText decodeText(std::string_view bytes);

// Whether decodeText takes the bytes as they stand (but for a byte order mark): UTF-8 without a
// NUL byte, not UTF-16. Spares the copy for most texts.
bool isPlainUtf8(std::string_view bytes);

// Where the first byte that is not part of well-formed UTF-8 stands, or npos.
std::size_t invalidUtf8Offset(std::string_view text);

// User text as a terminal can show it, with nothing in it that the terminal acts on or that
// changes how the text around it shows: bytes that are not UTF-8, and the bytes of controls
// (C0, DEL, C1), of bidirectional controls (U+061C, U+200E, U+200F, U+202A..U+202E,
// U+2066..U+2069) and of the line and paragraph separators, each as \xNN ("\x1B" for ESC,
// "\xE2\x80\xAE" for U+202E). At most maxBytes of the text (not cutting a character), then
// "...". Every echo of what a user typed or a file held goes through it.
std::string printableText(std::string_view text, std::size_t maxBytes = std::string_view::npos);

}  // namespace korvale
