#include "analysis/bonus_history_reader.h"

#include <cmath>
#include <utility>
#include <vector>

#include "common/csv.h"
#include "common/number_text.h"
#include "common/text_encoding.h"

namespace korvale {
namespace {

constexpr std::size_t shownContentBytes = 80;

std::string englishReason(HistoryProblemKind kind, std::size_t expectedFields) {
    switch (kind) {
        case HistoryProblemKind::NotText:
            return "the file is not text: it holds a NUL byte";
        case HistoryProblemKind::NotUtf8:
            return "the file is not UTF-8: save it as UTF-8";
        case HistoryProblemKind::UnclosedQuote:
            return "a quoted field has no closing quote";
        case HistoryProblemKind::NoGamesColumn:
            return "the header has no column 回転数 or games";
        case HistoryProblemKind::AttemptGrid:
            return "an attempt run's grid (BIG,REG,差枚) lists attempts, not bonuses";
        case HistoryProblemKind::NotKindAndGames:
            return "expected a bonus and its games, as in \"BIG 123\"";
        case HistoryProblemKind::TooFewFields:
            return "expected at least " + std::to_string(expectedFields) +
                   " comma-separated fields";
        case HistoryProblemKind::NotAKind:
            return "the bonus must be BIG or REG";
        case HistoryProblemKind::NoGames:
            return "the games are missing";
        case HistoryProblemKind::GamesNotWhole:
            return "the games must be a whole number";
        case HistoryProblemKind::GamesNegative:
            return "the games cannot be negative";
        case HistoryProblemKind::GamesZero:
            return "the games must be at least 1";
        case HistoryProblemKind::GamesBeyondCounter:
            return "the games are beyond the machine's 32-bit count (at most 2147483647)";
        case HistoryProblemKind::OtherThread:
            return "a row of another thread, another machine: keep one thread's rows";
    }
    return {};
}

HistoryReadProblem problemAt(std::size_t line, std::string_view content, HistoryProblemKind kind,
                             std::size_t expectedFields = 0) {
    return {line, std::string(content), kind, expectedFields, englishReason(kind, expectedFields)};
}

// Lines first..last of the text (counted from 1), without the last one's line break.
std::string_view linesOf(std::string_view text, std::size_t first, std::size_t last) {
    std::size_t begin = 0;
    for (std::size_t line = 1; line < first && begin < text.size(); ++line) {
        begin = std::min(text.find('\n', begin), text.size() - 1) + 1;
    }
    std::size_t end = begin;
    for (std::size_t line = first; line <= last && end < text.size(); ++line) {
        end = std::min(text.find('\n', end), text.size());
        if (line < last && end < text.size()) {
            ++end;
        }
    }
    std::string_view lines = text.substr(begin, end - begin);
    if (!lines.empty() && lines.back() == '\r') {
        lines.remove_suffix(1);
    }
    return lines;
}

std::size_t lineOfOffset(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        line += text[i] == '\n' ? 1 : 0;
    }
    return line;
}

// Full-width forms U+FF01..U+FF5E (UTF-8 EF BC 81..EF BD 9E) as ASCII 0x21..0x7E, and the
// ideographic space U+3000 (E3 80 80) as a space. The full-width quote stays: it may stand in a
// field as typed, and as a quote it would open a quoted field. Other bytes are kept, line breaks
// among them, so that lines keep their numbers.
std::string asciiForms(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        // Runs without the lead bytes of those forms are copied as they are.
        std::size_t run = i;
        while (run < text.size() && text[run] != '\xE3' && text[run] != '\xEF') {
            ++run;
        }
        result.append(text.substr(i, run - i));
        i = run;
        if (i == text.size()) {
            break;
        }
        if (i + 2 < text.size()) {
            const auto b0 = static_cast<unsigned char>(text[i]);
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            const unsigned code = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
            const bool threeBytes =
                (b0 & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80;
            if (threeBytes && code >= 0xFF01 && code <= 0xFF5E && code != 0xFF02) {
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
        result += text[i];
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

std::optional<HistoryProblemKind> readKind(std::string_view text, BonusKind& kind) {
    if (sameLetters(text, "big")) {
        kind = BonusKind::Big;
    } else if (sameLetters(text, "reg")) {
        kind = BonusKind::Reg;
    } else {
        return HistoryProblemKind::NotAKind;
    }
    return std::nullopt;
}

// "1,000,000" as "1000000": commas between groups of three digits after a first group of one to
// three, as spreadsheet programs write a count; any other text as it is.
std::string withoutGrouping(std::string_view text) {
    const std::size_t digits = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    const std::size_t first = text.find(',');
    if (first == std::string_view::npos || first <= digits || first > digits + 3) {
        return std::string(text);
    }
    std::string plain(text.substr(0, first));
    for (std::size_t i = first; i < text.size(); i += 4) {
        if (text[i] != ',' || i + 4 > text.size()) {
            return std::string(text);
        }
        plain.append(text.substr(i + 1, 3));
    }
    for (std::size_t i = digits; i < plain.size(); ++i) {
        if (plain[i] < '0' || plain[i] > '9') {
            return std::string(text);
        }
    }
    return plain;
}

std::optional<HistoryProblemKind> readGames(std::string_view text, std::int32_t& games) {
    if (text.empty()) {
        return HistoryProblemKind::NoGames;
    }
    const std::optional<double> value = tryReadStrict(withoutGrouping(text));
    if (!value || std::floor(*value) != *value) {
        return HistoryProblemKind::GamesNotWhole;
    }
    if (*value < 0) {
        return HistoryProblemKind::GamesNegative;
    }
    if (*value == 0) {
        return HistoryProblemKind::GamesZero;
    }
    if (*value > maxObservedGames) {
        return HistoryProblemKind::GamesBeyondCounter;
    }
    games = static_cast<std::int32_t>(*value);
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

// What the first record of a CSV, or the first after the settings block, says it is.
struct Header {
    std::optional<Columns> columns;             // a bonus header
    std::optional<HistoryProblemKind> problem;  // a header that cannot be read from
};

Header readHeader(const std::vector<std::string_view>& fields) {
    if (fields.size() >= 3 && fields[0] == "BIG" && fields[1] == "REG" && fields[2] == "差枚") {
        return {std::nullopt, HistoryProblemKind::AttemptGrid};
    }
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
        return {};
    }
    if (!games) {
        return {std::nullopt, HistoryProblemKind::NoGamesColumn};
    }
    return {Columns{*kind, *games, thread}, std::nullopt};
}

bool allEmpty(const std::vector<std::string_view>& fields) {
    for (const std::string_view field : fields) {
        if (!field.empty()) {
            return false;
        }
    }
    return true;
}

enum class Layout { Unknown, Settings, Csv, Plain };

// Where the reading of a text stands: its layout, whether a header may come next, and where
// its columns are (a plain text's kind and games come first and second).
struct ReadingPlace {
    Layout layout = Layout::Unknown;
    bool headerAllowed = true;
    Columns columns;
};

// What a CSV record's fields are for: a bonus, or nothing to read (the settings block, a
// header), or a problem with the fields it should have had.
struct RecordUse {
    bool bonus = false;
    std::optional<HistoryProblemKind> problem;
    std::size_t expectedFields = 0;
};

RecordUse useCsvRecord(ReadingPlace& place, const std::vector<std::string_view>& fields) {
    if (place.layout == Layout::Settings) {
        if (allEmpty(fields)) {
            place.layout = Layout::Csv;
            place.headerAllowed = true;
        }
        return {};
    }
    if (place.headerAllowed) {
        place.headerAllowed = false;
        if (fields.size() >= 2 && fields[0] == "項目" && fields[1] == "値") {
            place.layout = Layout::Settings;
            return {};
        }
        const Header header = readHeader(fields);
        if (header.problem) {
            return {false, header.problem, 0};
        }
        if (header.columns) {
            place.columns = *header.columns;
            return {};
        }
    }
    if (fields.size() < place.columns.needed()) {
        return {false, HistoryProblemKind::TooFewFields, place.columns.needed()};
    }
    return {true, std::nullopt, 0};
}

// Reads a bonus from its fields; every bonus of a history must come from the same thread.
std::optional<HistoryProblemKind> readBonus(const std::vector<std::string_view>& fields,
                                            const Columns& columns,
                                            std::optional<std::string>& thread,
                                            ObservedBonus& bonus) {
    if (auto kind = readKind(fields[columns.kind], bonus.kind)) {
        return kind;
    }
    if (auto kind = readGames(fields[columns.games], bonus.games)) {
        return kind;
    }
    if (columns.thread) {
        const std::string_view value = fields[*columns.thread];
        if (!thread) {
            thread = std::string(value);
        } else if (value != *thread) {
            return HistoryProblemKind::OtherThread;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string shownContent(std::string_view content) {
    return printableText(content, shownContentBytes);
}

std::string HistoryReadProblem::message() const {
    return "line " + std::to_string(line) + ": \"" + shownContent(content) + "\": " + reason;
}

HistoryReadError::HistoryReadError(HistoryReadProblem problem)
    : std::runtime_error(problem.message()), problem_(std::move(problem)) {}

HistoryText decodeHistoryText(std::string_view bytes) {
    DecodedText decoded = decodeText(bytes);
    if (decoded.problem == TextProblem::None) {
        return {std::move(decoded.text), std::nullopt};
    }
    const std::size_t line = lineOfOffset(bytes, decoded.problemOffset);
    return {{},
            problemAt(line, linesOf(bytes, line, line),
                      decoded.problem == TextProblem::NulByte ? HistoryProblemKind::NotText
                                                              : HistoryProblemKind::NotUtf8)};
}

HistoryReading tryReadBonusHistory(std::string_view bytes) {
    HistoryReading reading;
    HistoryText decoded;
    std::string_view source = bytes;  // UTF-8 as it stands, most often
    if (source.starts_with("\xEF\xBB\xBF")) {
        source.remove_prefix(3);
    }
    if (!isPlainUtf8(bytes)) {
        decoded = decodeHistoryText(bytes);
        if (decoded.problem) {
            reading.problem = decoded.problem;
            return reading;
        }
        source = decoded.text;
    }
    // Most histories are ASCII: they are read as they stand.
    std::string folded;
    const bool fullWidth = source.find_first_of("\xE3\xEF") != std::string::npos;
    const std::string_view text = fullWidth ? (folded = asciiForms(source)) : source;
    ReadingPlace place;
    std::optional<std::string> thread;
    CsvReader reader(text);
    std::vector<std::string_view> fields;
    while (!reader.atEnd()) {
        const std::string_view line = trimmed(reader.currentLine());
        if (line.empty() || line.front() == '#') {
            reader.skipLine();
            continue;
        }
        const std::size_t number = reader.line();
        // Nothing is kept from a text with a bad line.
        const auto fail = [&](std::size_t last, HistoryProblemKind kind,
                              std::size_t expectedFields = 0) {
            reading.history = {};
            reading.problem =
                problemAt(number, linesOf(source, number, last), kind, expectedFields);
            return reading;
        };
        if (place.layout == Layout::Unknown) {
            place.layout = line.find(',') == std::string_view::npos ? Layout::Plain : Layout::Csv;
        }
        fields.clear();
        std::size_t last = number;
        if (place.layout == Layout::Plain) {
            fields = blankFields(line);
            reader.skipLine();
            if (fields.size() != 2) {
                return fail(number, HistoryProblemKind::NotKindAndGames);
            }
        } else {
            const CsvRecord& record = reader.next();
            last = record.lastLine;
            if (record.unclosedQuote) {
                return fail(last, HistoryProblemKind::UnclosedQuote);
            }
            for (const std::string& field : record.fields) {
                fields.push_back(trimmed(field));
            }
            const RecordUse use = useCsvRecord(place, fields);
            if (use.problem) {
                return fail(last, *use.problem, use.expectedFields);
            }
            if (!use.bonus) {
                continue;
            }
        }
        ObservedBonus bonus;
        if (auto kind = readBonus(fields, place.columns, thread, bonus)) {
            return fail(last, *kind);
        }
        reading.history.bonuses.push_back(bonus);
    }
    return reading;
}

BonusHistory readBonusHistory(std::string_view bytes) {
    HistoryReading reading = tryReadBonusHistory(bytes);
    if (reading.problem) {
        throw HistoryReadError(std::move(*reading.problem));
    }
    return std::move(reading.history);
}

}  // namespace korvale
