#pragma once

// The results grid flex1: a table view over a ResultsGridModel, with the operations the window
// uses on it. Rows are counted as the window counts them: row 0 is the fixed header row, always
// in view, and row r > 0 is data row r - 1 of the model.

#include <QTableView>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ui/controls/results_grid_model.h"

namespace korvale {

// A grid operation with an argument out of range fails, naming the operation and its value; the
// window's own fast paths into the grid check their arguments with it too.
void requireGridArgument(bool condition, const char* operation, std::int32_t value);

class ResultsGrid final : public QTableView {
    Q_OBJECT

  public:
    explicit ResultsGrid(QWidget* parent = nullptr);

    // The grid's operations. An argument out of range throws StatusError(InvalidOperation),
    // the failing control operation; nothing changes then.
    void setCols(std::int32_t cols);
    std::int32_t rows() const;
    void setRows(std::int32_t rows);
    std::int32_t row() const { return row_; }
    void setRow(std::int32_t row);
    std::int32_t col() const { return col_; }
    void setCol(std::int32_t col);
    void setText(std::string_view text);
    // Appends rows whose cells are given row-major, in one batch.
    void appendRows(std::int32_t rows, std::span<const std::string> cells);
    // Scrolls so that the given row is the uppermost data row shown, as far as the grid can.
    void setTopRow(std::int32_t row);

    // What the grid shows: a cell's text (row 0 is the header) and the uppermost data row.
    std::string cellText(std::int32_t row, std::int32_t col) const;
    std::int32_t topRow() const;

    ResultsGridModel& gridModel() { return model_; }
    const ResultsGridModel& gridModel() const { return model_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitRowsBelowHeader();

    ResultsGridModel model_;
    std::int32_t row_ = 0;
    std::int32_t col_ = 0;
};

}  // namespace korvale
