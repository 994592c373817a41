#include "ui/controls/results_grid.h"

#include <QFont>
#include <QHeaderView>
#include <QResizeEvent>
#include <QScrollBar>

#include <string>

#include "ui/controls/run_error_context.h"

namespace korvale {
namespace {

// The grid's own font, in the order asked for: the Gothic the grid was drawn with, then the
// Gothic that set-up installs, then another common Japanese Gothic.
QFont gridFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

void requireGridArgument(bool condition, const char* operation, std::int32_t value) {
    if (!condition) [[unlikely]] {
        throwControlError("結果表（flex1）の " + std::string(operation) + " = " +
                          std::to_string(value));
    }
}

ResultsGrid::ResultsGrid(QWidget* parent) : QTableView(parent) {
    setFont(gridFont());
    setModel(&model_);
    // Every row has the same fixed height, so the view never measures rows one by one.
    QHeaderView* rowHeader = verticalHeader();
    rowHeader->setVisible(false);
    rowHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowHeader->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    // A grid's usual default column width, 960 twips: the three columns fit side by side; the
    // last one takes up the rest of the width, which would otherwise show as an empty strip
    // beside the header while no scroll bar is on show.
    horizontalHeader()->setDefaultSectionSize(64);
    horizontalHeader()->setStretchLastSection(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
}

void ResultsGrid::setCols(std::int32_t cols) {
    requireGridArgument(cols >= 1, "Cols", cols);
    model_.setColumns(cols);
    col_ = std::min(col_, cols - 1);
}

std::int32_t ResultsGrid::rows() const {
    return model_.dataRows() + 1;
}

void ResultsGrid::setRows(std::int32_t rows) {
    requireGridArgument(rows >= 1, "Rows", rows);
    const bool shrinks = rows < this->rows();
    model_.setDataRows(rows - 1);
    row_ = std::min(row_, rows - 1);
    if (shrinks) {
        // The scroll range follows removed rows only at the next layout; rows appended before it
        // would open where the old ones were scrolled to.
        updateGeometries();
    }
}

void ResultsGrid::setRow(std::int32_t row) {
    requireGridArgument(row >= 0 && row < rows(), "Row", row);
    row_ = row;
}

void ResultsGrid::setCol(std::int32_t col) {
    requireGridArgument(col >= 0 && col < model_.columns(), "Col", col);
    col_ = col;
}

void ResultsGrid::setText(std::string_view text) {
    if (row_ == 0) {
        model_.setHeaderText(col_, text);
    } else {
        model_.setCellText(row_ - 1, col_, text);
    }
}

void ResultsGrid::appendRows(std::int32_t rows, std::span<const std::string> cells) {
    model_.appendRows(rows, cells);
}

void ResultsGrid::setTopRow(std::int32_t row) {
    requireGridArgument(row >= 1 && row < rows(), "TopRow", row);
    // The scroll range follows inserted rows only at the next layout; bring it up to date.
    updateGeometries();
    scrollTo(model_.index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void ResultsGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fitRowsBelowHeader();
}

void ResultsGrid::fitRowsBelowHeader() {
    // The header takes the odd pixels, so that the rows below it fill the view exactly: a grid
    // scrolled to its end shows its top row whole.
    QHeaderView* header = horizontalHeader();
    const int rowHeight = verticalHeader()->defaultSectionSize();
    const int natural = header->sizeHint().height();
    const int available =
        contentsRect().height() -
        (horizontalScrollBar()->isVisible() ? horizontalScrollBar()->height() : 0);
    if (available <= natural || rowHeight <= 0) {
        return;
    }
    header->setFixedHeight(natural + (available - natural) % rowHeight);
}

std::string ResultsGrid::cellText(std::int32_t row, std::int32_t col) const {
    return row == 0 ? model_.headerText(col) : model_.cellText(row - 1, col);
}

std::int32_t ResultsGrid::topRow() const {
    return verticalScrollBar()->value() + 1;
}

}  // namespace korvale
