#include "report/format/table_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace korvale {
namespace {

// Decodes the UTF-8 character at text[i] and moves i past it.
char32_t nextCodePoint(const std::string& text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += length;
    return code;
}

bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

}  // namespace

std::string settingName(std::int32_t setting) {
    static const char* const names[] = {"設定１", "設定２", "設定３", "設定４", "設定５", "設定６"};
    return setting >= 0 && setting < 6 ? names[setting] : "-";
}

std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        width += isWide(nextCodePoint(text, i)) ? 2 : 1;
    }
    return width;
}

std::string significant(std::optional<double> value, int digits) {
    if (!value || !std::isfinite(*value)) {
        return "-";
    }
    const double v = *value;
    if (v == 0.0) {
        return "0";
    }
    const int before = static_cast<int>(std::floor(std::log10(std::fabs(v)))) + 1;
    const int decimals = std::clamp(digits - before, 0, 15);
    std::string text = fmt::format("{:.{}f}", v, decimals);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text == "-0") {
        text = "0";
    }
    return text;
}

std::string figureText(Unit unit, std::optional<double> value) {
    if (!value || !std::isfinite(*value)) {
        return "-";
    }
    switch (unit) {
        case Unit::Count:
            return fmt::format("{:.0f}", *value);
        case Unit::OneIn:
            return "1/" + significant(value);
        case Unit::Percent:
            return significant(value) + "%";
        case Unit::Share:
            return significant(*value * 100.0) + "%";
        case Unit::Setting:
            return settingName(static_cast<std::int32_t>(*value) - 1);
        case Unit::Yen:
            return significant(value) + "円";
        case Unit::Hours:
            return significant(value) + "時間";
        case Unit::Games:
        case Unit::Coins:
        case Unit::Number:
            break;
    }
    return significant(value);
}

void TextTable::addHeading(std::vector<std::string> cells) {
    rows_.push_back(std::move(cells));
    heading_.push_back(true);
}

void TextTable::addRow(std::vector<std::string> cells) {
    rows_.push_back(std::move(cells));
    heading_.push_back(false);
}

std::string TextTable::text() const {
    std::vector<std::size_t> widths;
    for (const auto& row : rows_) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    std::string text;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        std::string line;
        for (std::size_t c = 0; c < rows_[r].size(); ++c) {
            const std::string& cell = rows_[r][c];
            const std::string pad(widths[c] - displayWidth(cell), ' ');
            line += c == 0 ? cell + pad : "  " + pad + cell;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
        if (heading_[r]) {
            std::size_t total = 0;
            for (std::size_t c = 0; c < rows_[r].size(); ++c) {
                total += widths[c] + (c == 0 ? 0 : 2);
            }
            text += std::string(total, '-') + "\n";
        }
    }
    return text;
}

}  // namespace korvale
