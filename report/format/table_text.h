#pragma once

// Text for a terminal: numbers to at most six significant digits without e-notation, and
// columns aligned by display width (a Japanese character takes two columns).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "report/model/report_model.h"

namespace korvale {

// "設定１".."設定６" for setting index 0..5.
std::string settingName(std::int32_t setting);

// Columns the text takes on a terminal: East Asian wide characters count two.
std::size_t displayWidth(const std::string& text);

// At most `digits` significant digits, no e-notation, no trailing zeros after the point;
// "-" for no value or a value that is not finite.
std::string significant(std::optional<double> value, int digits = 6);

// A value as the table writes it for its unit: "1/287.3", "104.11%", a share as a percentage.
std::string figureText(Unit unit, std::optional<double> value);

// Rows of cells, written with every column as wide as its widest cell: the first column
// aligned left, the others right. A heading row is underlined.
class TextTable {
  public:
    void addHeading(std::vector<std::string> cells);
    void addRow(std::vector<std::string> cells);
    std::string text() const;

  private:
    std::vector<std::vector<std::string>> rows_;
    std::vector<bool> heading_;
};

}  // namespace korvale
