#pragma once

// Full-width forms as their ASCII counterparts. A Japanese keyboard types letters, digits and
// signs as the full-width forms U+FF01..U+FF5E and a space as the ideographic space U+3000, and
// fonts draw them much like the others; every reader of typed text takes them as ASCII
// 0x21..0x7E and a space, so that the same text reads the same in every box and file.
//
// What each reader needs of that range:
//   - numbers (number_text.h): the digits, the signs, the full stop and the exponent's e or E;
//     any other folded character is no part of a number, as it was no part of one unfolded.
//   - the bonus history reader: the letters as well (ＢＩＧ, ＢＯＮＵＳ), the comma that parts
//     the fields and the # that opens a comment.
// The full-width quote U+FF02 stays as it is: it may stand in a field as typed, and folded it
// would open a quoted field. Every other character is kept, line breaks among them, so that
// lines keep their numbers.

#include <string>
#include <string_view>

namespace korvale {

// The text itself when it holds no full-width form (no byte E3 or EF: ASCII and most Japanese
// text), else the folded copy, held in `folded`.
std::string_view foldFullWidth(std::string_view text, std::string& folded);

}  // namespace korvale
