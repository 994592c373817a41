#include "analysis/inference/bonus_history_reader.h"

#include <utility>
#include <vector>

#include "common/csv.h"
#include "common/full_width.h"
#include "common/number_text.h"
#include "common/status.h"
#include "common/text_encoding.h"
#include "common/work_control.h"

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
            return "the games must be a whole number written in digits, such as 123";
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

// The games of a bonus: digits, read as the command line reads a count (no point, no exponent:
// "12.0" and "1e3" are not counts), after what a file adds to them: a sign and digit grouping.
std::optional<HistoryProblemKind> readGames(std::string_view text, std::int32_t& games) {
    if (text.empty()) {
        return HistoryProblemKind::NoGames;
    }
    const std::string plain = withoutGrouping(text);
    const bool signed_ = plain.starts_with('+') || plain.starts_with('-');
    std::optional<WholeNumber> whole =
        tryReadWhole(std::string_view(plain).substr(signed_ ? 1 : 0), NumberForm::Digits);
    if (!whole) {
        return HistoryProblemKind::GamesNotWhole;
    }
    if (plain.starts_with('-') && whole->magnitude != 0) {
        return HistoryProblemKind::GamesNegative;
    }
    if (whole->magnitude == 0) {
        return HistoryProblemKind::GamesZero;
    }
    if (whole->magnitude > static_cast<std::uint64_t>(maxObservedGames)) {
        return HistoryProblemKind::GamesBeyondCounter;
    }
    games = static_cast<std::int32_t>(whole->magnitude);
    return std::nullopt;
}

// Whether the first line of a history is a plain one: without a comma, or a bonus and its games
// grouped by commas ("BIG 1,000"), which no CSV row or header begins with.
bool isPlainLine(std::string_view line) {
    if (line.find(',') == std::string_view::npos) {
        return true;
    }
    const std::vector<std::string_view> fields = blankFields(line);
    BonusKind kind{};
    return fields.size() == 2 && !readKind(fields[0], kind);
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

// One record of a history: skipped (a blank line, a comment, a header, the settings block), a
// bonus, or a bad one, lines first..last.
struct HistoryRecord {
    enum class Role { Skipped, Bonus, Bad } role = Role::Skipped;
    ObservedBonus bonus;
    std::size_t first = 0;
    std::size_t last = 0;
    HistoryProblemKind problem{};
    std::size_t expectedFields = 0;
};

// The records of a history's text in turn, keeping what the earlier ones settled: the layout,
// the columns and the thread.
class HistoryRecords {
  public:
    explicit HistoryRecords(std::string_view text) : reader_(text) {}

    bool atEnd() const { return reader_.atEnd(); }

    HistoryRecord next() {
        const std::string_view line = trimmed(reader_.currentLine());
        if (line.empty() || line.front() == '#') {
            // A spreadsheet may save the settings block's closing empty record as a blank line.
            if (line.empty() && layout_ == Layout::Settings) {
                endSettings();
            }
            reader_.skipLine();
            return {};
        }
        const std::size_t number = reader_.line();
        if (layout_ == Layout::Unknown) {
            layout_ = isPlainLine(line) ? Layout::Plain : Layout::Csv;
        }
        fields_.clear();
        if (layout_ == Layout::Plain) {
            fields_ = blankFields(line);
            reader_.skipLine();
            if (fields_.size() != 2) {
                return bad(number, number, HistoryProblemKind::NotKindAndGames);
            }
            return bonus(number, number);
        }
        const CsvRecord& record = reader_.next();
        if (record.unclosedQuote) {
            return bad(number, record.lastLine, HistoryProblemKind::UnclosedQuote);
        }
        for (const std::string& field : record.fields) {
            fields_.push_back(trimmed(field));
        }
        return csvRow(number, record.lastLine);
    }

  private:
    static HistoryRecord bad(std::size_t first, std::size_t last, HistoryProblemKind kind,
                             std::size_t expectedFields = 0) {
        return {HistoryRecord::Role::Bad, {}, first, last, kind, expectedFields};
    }

    void endSettings() {
        layout_ = Layout::Csv;
        headerAllowed_ = true;
    }

    // A CSV record: in the settings block, a header, or a bonus.
    HistoryRecord csvRow(std::size_t first, std::size_t last) {
        if (layout_ == Layout::Settings) {
            // The block ends at an empty record; a grid's header ends it as well, when the
            // empty record was lost, rather than the grid being skipped with it.
            const Header header = readHeader(fields_);
            const bool gridHeader =
                header.columns || header.problem == HistoryProblemKind::AttemptGrid;
            if (!allEmpty(fields_) && !gridHeader) {
                return {};
            }
            endSettings();
            if (!gridHeader) {
                return {};
            }
        }
        if (headerAllowed_) {
            headerAllowed_ = false;
            if (fields_.size() >= 2 && fields_[0] == "項目" && fields_[1] == "値") {
                layout_ = Layout::Settings;
                return {};
            }
            const Header header = readHeader(fields_);
            if (header.problem) {
                return bad(first, last, *header.problem);
            }
            if (header.columns) {
                columns_ = *header.columns;
                return {};
            }
        }
        if (fields_.size() < columns_.needed()) {
            return bad(first, last, HistoryProblemKind::TooFewFields, columns_.needed());
        }
        return bonus(first, last);
    }

    // The bonus the fields name, from the same thread as the ones before.
    HistoryRecord bonus(std::size_t first, std::size_t last) {
        HistoryRecord record{HistoryRecord::Role::Bonus, {}, first, last};
        if (auto kind = readKind(fields_[columns_.kind], record.bonus.kind)) {
            return bad(first, last, *kind);
        }
        if (auto kind = readGames(fields_[columns_.games], record.bonus.games)) {
            return bad(first, last, *kind);
        }
        if (columns_.thread) {
            const std::string_view value = fields_[*columns_.thread];
            if (!thread_) {
                thread_ = std::string(value);
            } else if (value != *thread_) {
                return bad(first, last, HistoryProblemKind::OtherThread);
            }
        }
        return record;
    }

    CsvReader reader_;
    Layout layout_ = Layout::Unknown;
    bool headerAllowed_ = true;
    Columns columns_;
    std::optional<std::string> thread_;
    std::vector<std::string_view> fields_;
};

}  // namespace

std::string shownContent(std::string_view content) {
    return printableText(content, shownContentBytes);
}

std::string HistoryReadProblem::message() const {
    return "line " + std::to_string(line) + ": \"" + shownContent(content) + "\": " + reason;
}

const HistoryReadProblem* historyProblem(const Status& status) noexcept {
    return status.detailAs<HistoryReadProblem>();
}

namespace {

Status notABonusHistory(HistoryReadProblem problem) {
    Status status(StatusReason::NotABonusHistory, problem.message());
    status.detail() = std::move(problem);
    return status;
}

StatusOr<BonusHistory> readHistory(std::string_view bytes, const WorkControl& control) {
    StatusOr<std::string> decoded = std::string();
    std::string_view source = bytes;  // UTF-8 as it stands, most often
    if (source.starts_with(utf8ByteOrderMark)) {
        source.remove_prefix(utf8ByteOrderMark.size());
    }
    if (!isPlainUtf8(bytes)) {
        decoded = decodeHistoryText(bytes);
        if (!decoded) {
            return decoded.status();
        }
        source = *decoded;
    }
    BonusHistory history;
    // Letters, digits, commas and # typed full-width read as ASCII (see full_width.h); most
    // histories have none and are read as they stand.
    std::string folded;
    HistoryRecords records(foldFullWidth(source, folded));
    for (std::size_t count = 0; !records.atEnd(); ++count) {
        // A history of millions of lines takes seconds to read.
        if (count % 4096 == 0) {
            stopIfCalledOff(control.cancel);
        }
        const HistoryRecord record = records.next();
        if (record.role == HistoryRecord::Role::Bad) {
            // Nothing is kept from a text with a bad line.
            return notABonusHistory(problemAt(record.first,
                                              linesOf(source, record.first, record.last),
                                              record.problem, record.expectedFields));
        }
        if (record.role == HistoryRecord::Role::Bonus) {
            history.bonuses.push_back(record.bonus);
        }
    }
    return history;
}

}  // namespace

StatusOr<std::string> decodeHistoryText(std::string_view bytes) {
    DecodedText decoded = decodeText(bytes);
    if (decoded.problem == TextProblem::None) {
        return std::move(decoded.text);
    }
    const std::size_t line = lineOfOffset(bytes, decoded.problemOffset);
    return notABonusHistory(problemAt(line, linesOf(bytes, line, line),
                                      decoded.problem == TextProblem::NulByte
                                          ? HistoryProblemKind::NotText
                                          : HistoryProblemKind::NotUtf8));
}

StatusOr<BonusHistory> readBonusHistory(std::string_view bytes, const WorkControl& control) {
    return catchStatus([&] { return readHistory(bytes, control); });
}

}  // namespace korvale
