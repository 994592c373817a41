#include "analysis/bonus_history_reader.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace korvale {
namespace {

constexpr std::size_t shownContentBytes = 80;

std::string shownContent(std::string_view content) {
    std::size_t length = content.size();
    if (length > shownContentBytes) {
        length = shownContentBytes;
        // Do not cut a UTF-8 sequence: back up over its continuation bytes.
        while (length > 0 && (static_cast<unsigned char>(content[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::string shown(content.substr(0, length));
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = '?';
        }
    }
    if (length < content.size()) {
        shown += "...";
    }
    return shown;
}

// Full-width forms U+FF01..U+FF5E (UTF-8 EF BC 81..EF BD 9E) as ASCII 0x21..0x7E, and the
// ideographic space U+3000 (E3 80 80) as a space. Other bytes are kept.
std::string asciiForms(std::string_view line) {
    std::string result;
    result.reserve(line.size());
    std::size_t i = 0;
    while (i < line.size()) {
        if (i + 2 < line.size()) {
            const auto b0 = static_cast<unsigned char>(line[i]);
            const auto b1 = static_cast<unsigned char>(line[i + 1]);
            const auto b2 = static_cast<unsigned char>(line[i + 2]);
            const unsigned code = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
            const bool threeBytes =
                (b0 & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80;
            if (threeBytes && code >= 0xFF01 && code <= 0xFF5E) {
                result += static_cast<char>(code - 0xFF01 + 0x21);
                i += 3;
                continue;
            }
            if (threeBytes && code == 0x3000) {
                result += ' ';
                i += 3;
                continue;
            }
        }
        result += line[i];
        ++i;
    }
    return result;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameLetters(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

std::vector<std::string_view> csvFields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        std::string_view field = trimmed(line.substr(0, comma));
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
            field = trimmed(field.substr(1, field.size() - 2));
        }
        fields.push_back(field);
        if (comma == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(comma + 1);
    }
}

std::vector<std::string_view> blankFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        const std::size_t begin = i;
        while (i < line.size() && !isBlank(line[i])) {
            ++i;
        }
        if (i > begin) {
            fields.push_back(line.substr(begin, i - begin));
        }
    }
    return fields;
}

// The reason a kind or a count does not read, or nothing.
std::optional<std::string> readKind(std::string_view text, BonusKind& kind) {
    if (sameLetters(text, "big")) {
        kind = BonusKind::Big;
    } else if (sameLetters(text, "reg")) {
        kind = BonusKind::Reg;
    } else {
        return "the bonus must be BIG or REG";
    }
    return std::nullopt;
}

std::optional<std::string> readGames(std::string_view text, std::int32_t& games) {
    if (text.empty()) {
        return "the games are missing";
    }
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return "the games must be a whole number";
    }
    std::uint64_t value = 0;
    bool tooLarge = false;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return "the games must be a whole number";
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        tooLarge |= value > static_cast<std::uint64_t>(maxObservedGames);
        if (tooLarge) {
            value = static_cast<std::uint64_t>(maxObservedGames) + 1;  // stays put, no wrap
        }
    }
    if (negative && value > 0) {
        return "the games cannot be negative";
    }
    if (value == 0) {
        return "the games must be at least 1";
    }
    if (tooLarge) {
        return "the games are beyond the machine's 32-bit count (at most 2147483647)";
    }
    games = static_cast<std::int32_t>(value);
    return std::nullopt;
}

// Where a CSV's columns are.
struct Columns {
    std::size_t kind = 0;
    std::size_t games = 1;
    std::optional<std::size_t> thread;
    std::size_t needed() const {
        std::size_t last = kind > games ? kind : games;
        if (thread && *thread > last) {
            last = *thread;
        }
        return last + 1;
    }
};

// The columns a header names, or nothing when the fields are not a header.
std::optional<Columns> headerColumns(const std::vector<std::string_view>& fields,
                                     std::string& problem) {
    std::optional<std::size_t> kind;
    std::optional<std::size_t> games;
    std::optional<std::size_t> thread;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (sameLetters(fields[i], "bonus") && !kind) {
            kind = i;
        } else if ((fields[i] == "回転数" || sameLetters(fields[i], "games")) && !games) {
            games = i;
        } else if ((fields[i] == "スレッド" || sameLetters(fields[i], "thread")) && !thread) {
            thread = i;
        }
    }
    if (!kind) {
        return std::nullopt;
    }
    if (!games) {
        problem = "the header has no column 回転数 or games";
        return std::nullopt;
    }
    return Columns{*kind, *games, thread};
}

}  // namespace

std::string HistoryReadProblem::message() const {
    return "line " + std::to_string(line) + ": \"" + shownContent(content) + "\": " + reason;
}

HistoryReadError::HistoryReadError(HistoryReadProblem problem)
    : std::runtime_error(problem.message()), problem_(std::move(problem)) {}

HistoryReading tryReadBonusHistory(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    enum class Layout { Unknown, Csv, Plain } layout = Layout::Unknown;
    Columns columns;
    std::optional<std::string> thread;
    HistoryReading reading;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        const std::string normal = asciiForms(raw);
        const std::string_view line = trimmed(normal);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        // Nothing is kept from a text with a bad line.
        const auto fail = [&](std::string reason) {
            reading.history = {};
            reading.problem = HistoryReadProblem{number, std::string(raw), std::move(reason)};
            return reading;
        };
        if (layout == Layout::Unknown) {
            if (line.find(',') == std::string_view::npos) {
                layout = Layout::Plain;
            } else {
                layout = Layout::Csv;
                std::string problem;
                if (const auto header = headerColumns(csvFields(line), problem)) {
                    columns = *header;
                    continue;
                }
                if (!problem.empty()) {
                    return fail(problem);
                }
            }
        }
        std::vector<std::string_view> fields;
        if (layout == Layout::Plain) {
            fields = blankFields(line);
            if (fields.size() != 2) {
                return fail("expected a bonus and its games, as in \"BIG 123\"");
            }
        } else {
            fields = csvFields(line);
            if (fields.size() < columns.needed()) {
                return fail("expected at least " + std::to_string(columns.needed()) +
                            " comma-separated fields");
            }
        }
        ObservedBonus bonus;
        if (auto reason = readKind(fields[columns.kind], bonus.kind)) {
            return fail(*reason);
        }
        if (auto reason = readGames(fields[columns.games], bonus.games)) {
            return fail(*reason);
        }
        if (columns.thread) {
            const std::string_view value = fields[*columns.thread];
            if (!thread) {
                thread = std::string(value);
            } else if (value != *thread) {
                return fail("a row of another thread, another machine: keep one thread's rows");
            }
        }
        reading.history.bonuses.push_back(bonus);
    }
    return reading;
}

BonusHistory readBonusHistory(std::string_view text) {
    HistoryReading reading = tryReadBonusHistory(text);
    if (reading.problem) {
        throw HistoryReadError(std::move(*reading.problem));
    }
    return std::move(reading.history);
}

}  // namespace korvale
