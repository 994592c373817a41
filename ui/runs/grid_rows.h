#pragma once

// Logging a row in the results grid, the same for both runs.

#include <string_view>

#include "ui/runs/run_displays.h"

namespace korvale {

// Appends a row through Rows, Row, Col and Text, one cell after the other; the new row's last
// cell is left as the current cell.
void appendGridRow(RunDisplays& window, std::string_view col0, std::string_view col1,
                   std::string_view col2);

// With chk ticked (value 1 only), from the 35th data row on the newest row becomes the top row.
void autoScroll(RunDisplays& window);

}  // namespace korvale
