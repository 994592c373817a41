#include "common/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <optional>

namespace korvale {
namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0 (RFC 3629: no overlong forms,
// no surrogates, nothing above U+10FFFF).
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t at) {
        return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
    };
    const unsigned b0 = byte(i);
    const auto continuation = [&](std::size_t at, unsigned low, unsigned high) {
        return byte(at) >= low && byte(at) <= high;
    };
    if (b0 < 0x80) {
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        return continuation(i + 1, 0x80, 0xBF) ? 2 : 0;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const unsigned low = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = b0 == 0xED ? 0x9F : 0xBF;
        return continuation(i + 1, low, high) && continuation(i + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const unsigned low = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned high = b0 == 0xF4 ? 0x8F : 0xBF;
        return continuation(i + 1, low, high) && continuation(i + 2, 0x80, 0xBF) &&
                       continuation(i + 3, 0x80, 0xBF)
                   ? 4
                   : 0;
    }
    return 0;
}

// One converter to UTF-8 kept open for each thread: opening one loads the encoding's module, and
// closing the last unloads it again.
class Converter {
  public:
    explicit Converter(const char* encoding) : handle_(iconv_open("UTF-8", encoding)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return handle_; }

  private:
    iconv_t handle_;
};

// The bytes converted from `encoding` (CP932 or UTF-16), or nothing when they do not convert in
// full.
std::optional<std::string> converted(std::string_view bytes, bool fromUtf16) {
    thread_local Converter shiftJis("CP932");
    thread_local Converter utf16("UTF-16");
    const Converter& chosen = fromUtf16 ? utf16 : shiftJis;
    if (!chosen.valid()) {
        return std::nullopt;
    }
    const iconv_t converter = chosen.handle();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string result;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());  // iconv's interface; it does not write there
    std::size_t inLeft = bytes.size();
    bool whole = true;
    while (true) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done =
            iconv(converter, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
        result.append(buffer, static_cast<std::size_t>(out - buffer));
        if (done != static_cast<std::size_t>(-1)) {
            if (inLeft == 0 && in != nullptr) {
                in = nullptr;  // once more without input, to flush
                continue;
            }
            break;
        }
        if (errno != E2BIG) {
            whole = false;  // EILSEQ or EINVAL: a byte or an incomplete sequence that does not read
            break;
        }
    }
    if (!whole) {
        return std::nullopt;
    }
    return result;
}

}  // namespace

std::size_t invalidUtf8Offset(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

namespace {

bool isUtf16(std::string_view bytes) {
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

}  // namespace

bool isPlainUtf8(std::string_view bytes) {
    return !isUtf16(bytes) && bytes.find('\0') == std::string_view::npos &&
           invalidUtf8Offset(bytes) == std::string_view::npos;
}

DecodedText decodeText(std::string_view bytes) {
    DecodedText decoded;
    const auto fail = [&](TextProblem problem, std::size_t offset) {
        decoded.text.clear();
        decoded.problem = problem;
        decoded.problemOffset = offset;
        return decoded;
    };
    if (isUtf16(bytes)) {
        decoded.source = TextSource::Utf16;
        std::optional<std::string> text = converted(bytes, true);
        if (!text) {
            return fail(TextProblem::Undecodable, 0);
        }
        decoded.text = std::move(*text);
        if (decoded.text.starts_with(utf8ByteOrderMark)) {
            decoded.text.erase(0, utf8ByteOrderMark.size());
        }
        if (decoded.text.find('\0') != std::string::npos) {
            return fail(TextProblem::NulByte, 0);
        }
        return decoded;
    }
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
        return fail(TextProblem::NulByte, nul);
    }
    const std::size_t mark = bytes.starts_with(utf8ByteOrderMark) ? utf8ByteOrderMark.size() : 0;
    bytes.remove_prefix(mark);
    const std::size_t invalid = invalidUtf8Offset(bytes);
    if (invalid == std::string_view::npos) {
        decoded.text.assign(bytes);
        return decoded;
    }
    std::optional<std::string> text = converted(bytes, false);
    if (!text) {
        return fail(TextProblem::Undecodable, mark + invalid);
    }
    decoded.source = TextSource::ShiftJis;
    decoded.text = std::move(*text);
    return decoded;
}

namespace {

// Whether the well-formed character `character` is one a terminal acts on or that changes how
// the text around it shows: a control (C0, DEL, C1), a bidirectional control (U+061C, U+200E,
// U+200F, U+202A..U+202E, U+2066..U+2069), or the line or paragraph separator (U+2028, U+2029).
bool mustBeEscaped(std::string_view character) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(character[at]); };
    switch (character.size()) {
        case 1:
            return byte(0) < 0x20 || byte(0) == 0x7F;
        case 2:
            return (byte(0) == 0xC2 && byte(1) < 0xA0) || (byte(0) == 0xD8 && byte(1) == 0x9C);
        case 3:
            return byte(0) == 0xE2 &&
                   ((byte(1) == 0x80 && (byte(2) == 0x8E || byte(2) == 0x8F ||
                                         (byte(2) >= 0xA8 && byte(2) <= 0xAE))) ||
                    (byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9));
        default:
            return false;
    }
}

void appendEscaped(std::string& shown, std::string_view bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        shown += "\\x";
        shown += hex[byte >> 4];
        shown += hex[byte & 0xF];
    }
}

}  // namespace

std::string printableText(std::string_view text, std::size_t maxBytes) {
    std::string shown;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = sequenceLength(text, i);
        const std::string_view character = text.substr(i, length == 0 ? 1 : length);
        if (i + character.size() > maxBytes) {
            shown += "...";
            break;
        }
        if (length == 0 || mustBeEscaped(character)) {
            appendEscaped(shown, character);
        } else {
            shown.append(character);
        }
        i += character.size();
    }
    return shown;
}

}  // namespace korvale
