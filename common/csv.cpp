#include "common/csv.h"

#include <algorithm>

namespace korvale {

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

namespace {

template <typename Fields>
std::string recordOf(const Fields& fields) {
    std::string record;
    bool first = true;
    for (const auto& field : fields) {
        if (!first) {
            record += ',';
        }
        first = false;
        record += csvField(field);
    }
    record += "\r\n";
    return record;
}

}  // namespace

std::string csvRecord(std::initializer_list<std::string_view> fields) {
    return recordOf(fields);
}

std::string csvRecord(const std::vector<std::string>& fields) {
    return recordOf(fields);
}

CsvReader::CsvReader(std::string_view text) : text_(text) {
    if (text_.starts_with(csvByteOrderMark)) {
        pos_ = csvByteOrderMark.size();
    }
}

std::string_view CsvReader::currentLine() const {
    std::string_view rest = text_.substr(pos_);
    rest = rest.substr(0, rest.find('\n'));
    if (!rest.empty() && rest.back() == '\r') {
        rest.remove_suffix(1);
    }
    return rest;
}

void CsvReader::skipLine() {
    const std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
}

const CsvRecord& CsvReader::next() {
    CsvRecord& record = record_;
    record.fields.clear();  // keeps its room for the next record
    record.fields.emplace_back();
    record.firstLine = line_;
    record.unclosedQuote = false;
    const std::size_t size = text_.size();
    const auto at = [&](std::size_t i) { return i < size ? text_[i] : '\0'; };
    const auto lineBreakAt = [&](std::size_t i) {
        return at(i) == '\n' || (at(i) == '\r' && (at(i + 1) == '\n' || i + 1 == size));
    };
    bool fieldStart = true;
    while (pos_ < size) {
        std::string& field = record.fields.back();
        if (fieldStart) {
            fieldStart = false;
            std::size_t quote = pos_;
            while (at(quote) == ' ' || at(quote) == '\t') {
                ++quote;
            }
            if (at(quote) == '"') {
                pos_ = quote + 1;
                while (true) {
                    const std::size_t close = std::min(text_.find('"', pos_), size);
                    const std::string_view part = text_.substr(pos_, close - pos_);
                    field.append(part);
                    line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
                    pos_ = close + 1;
                    if (close == size) {
                        record.unclosedQuote = true;
                        pos_ = size;
                        break;
                    }
                    if (at(pos_) != '"') {
                        break;
                    }
                    field += '"';  // a doubled quote
                    ++pos_;
                }
                continue;
            }
        }
        std::size_t end = pos_;
        while (end < size && text_[end] != ',' && text_[end] != '\n' &&
               !(text_[end] == '\r' && lineBreakAt(end))) {
            ++end;
        }
        field.append(text_.substr(pos_, end - pos_));
        pos_ = end;
        if (pos_ == size) {
            break;
        }
        if (text_[pos_] == ',') {
            record.fields.emplace_back();
            fieldStart = true;
            ++pos_;
            continue;
        }
        pos_ = std::min(pos_ + (text_[pos_] == '\r' ? 2 : 1), size);
        line_ += text_[pos_ - 1] == '\n' ? 1 : 0;
        break;
    }
    record.lastLine = pos_ > 0 && text_[pos_ - 1] == '\n' ? line_ - 1 : line_;
    return record;
}

}  // namespace korvale
