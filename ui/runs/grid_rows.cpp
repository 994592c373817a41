#include "ui/runs/grid_rows.h"

#include "common/checked_arithmetic.h"

namespace korvale {

void appendGridRow(RunDisplays& window, std::string_view col0, std::string_view col1,
                   std::string_view col2) {
    if (window.appendHeldGridRow(col0, col1, col2)) {
        return;
    }
    window.setGridRows(checkedAdd(window.gridRows(), 1));
    window.setGridRow(checkedSub(window.gridRows(), 1));
    window.setGridCol(0);
    window.setGridText(col0);
    window.setGridCol(1);
    window.setGridText(col1);
    window.setGridCol(2);
    window.setGridText(col2);
}

void autoScroll(RunDisplays& window) {
    const int value = window.chkValue();
    if (window.gridRow() > 34 && value == CheckBox::ticked) {
        window.setGridTopRow(checkedSub(window.gridRows(), 1));
    }
}

}  // namespace korvale
