// The results grid's operations and its compact cells.

#include <QHeaderView>
#include <QScrollBar>

#include "tests/support/expect_runtime_error.h"
#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

class ResultsGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        grid.resize(209, 537);
        grid.setCols(3);
        grid.show();
    }
    void append(const std::string& a, const std::string& b, const std::string& c) {
        grid.setRows(grid.rows() + 1);
        grid.setRow(grid.rows() - 1);
        grid.setCol(0);
        grid.setText(a);
        grid.setCol(1);
        grid.setText(b);
        grid.setCol(2);
        grid.setText(c);
    }
    ResultsGrid grid;
};

TEST_F(ResultsGridTest, HeaderRowIsRowZeroAndShowsAsHeader) {
    grid.setRow(0);
    grid.setCol(1);
    grid.setText("回転数");
    EXPECT_EQ(grid.cellText(0, 1), "回転数");
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("回転数"));
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.rows(), 1);
}

TEST_F(ResultsGridTest, CellsKeepEveryTextExactly) {
    const std::vector<std::string> texts = {
        "BIG",         "0",   "-1", "1073741823", "1073741824", "-1073741824", "-1073741825",
        "-2147483648", "007", "-0", "+7",         "",           "差枚",        "1.5"};
    for (const std::string& text : texts) {
        append(text, text, "x");
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(grid.cellText(row, 0), texts[i]);
        EXPECT_EQ(grid.model()->index(row - 1, 1).data().toString().toStdString(), texts[i]);
    }
}

TEST_F(ResultsGridTest, RowsGrowEmptyAndOneDiscardsAll) {
    append("BIG", "1", "0");
    grid.setRows(4);
    EXPECT_EQ(grid.cellText(3, 2), "");
    EXPECT_EQ(grid.cellText(1, 0), "BIG");
    grid.setRows(1);
    EXPECT_EQ(grid.rows(), 1);
    EXPECT_EQ(grid.model()->rowCount(), 0);
    append("REG", "2", "3");
    EXPECT_EQ(grid.cellText(1, 0), "REG");
}

TEST_F(ResultsGridTest, OutOfRangeOperationsFailWithoutChange) {
    append("BIG", "1", "0");
    for (auto operation : std::vector<std::function<void()>>{
             [&] { grid.setRow(2); }, [&] { grid.setRow(-1); }, [&] { grid.setCol(3); },
             [&] { grid.setRows(0); }, [&] { grid.setTopRow(0); }, [&] { grid.setTopRow(2); }}) {
        testing::expectRuntimeError(StatusReason::InvalidOperation, operation);
    }
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.row(), 1);
}

TEST_F(ResultsGridTest, TopRowScrollsAsFarAsTheGridCan) {
    for (int i = 0; i < 100; ++i) {
        append("REG", std::to_string(i), "0");
    }
    EXPECT_EQ(grid.topRow(), 1);
    grid.setTopRow(10);
    EXPECT_EQ(grid.topRow(), 10);
    grid.setTopRow(100);
    EXPECT_GT(grid.topRow(), 10);
    EXPECT_EQ(grid.topRow(), grid.verticalScrollBar()->maximum() + 1);
}

// Rows logged in one batch, as a run hands them over.
std::vector<std::string> rowsOfCells(int rows) {
    std::vector<std::string> cells;
    for (int i = 0; i < rows; ++i) {
        cells.insert(cells.end(), {"BIG", std::to_string(i), "1"});
    }
    return cells;
}

// Discarding the rows takes the view back to the top: the next run's rows open at their first.
TEST_F(ResultsGridTest, DiscardedRowsTakeTheScrollWithThem) {
    grid.appendRows(2000, rowsOfCells(2000));
    grid.setTopRow(1500);
    ASSERT_EQ(grid.topRow(), 1500);
    grid.setRows(1);
    grid.appendRows(2000, rowsOfCells(2000));
    QApplication::processEvents();
    EXPECT_EQ(grid.topRow(), 1);
}

// Scrolled to its end, the grid shows its top row and its last row whole, and the header spans
// the grid's width.
TEST_F(ResultsGridTest, RowsFillTheViewWholeAndTheHeaderItsWidth) {
    grid.appendRows(20, rowsOfCells(20));
    QApplication::processEvents();
    EXPECT_EQ(grid.horizontalHeader()->length(), grid.viewport()->width());
    grid.appendRows(80, rowsOfCells(80));
    grid.setTopRow(100);
    QApplication::processEvents();
    EXPECT_EQ(grid.rowViewportPosition(grid.topRow() - 1), 0);
    EXPECT_EQ(grid.rowViewportPosition(99) + grid.rowHeight(99), grid.viewport()->height());
    EXPECT_EQ(grid.horizontalHeader()->length(), grid.viewport()->width());
}

TEST_F(ResultsGridTest, NumberCellsTakeFourBytes) {
    for (int i = 0; i < 10000; ++i) {
        append(i % 2 == 0 ? "BIG" : "REG", std::to_string(i), std::to_string(-i));
    }
    // 3 cells of 4 bytes a row, plus the two texts.
    EXPECT_LT(grid.gridModel().memoryBytes(), 10000u * 12u + 1024u);
}

}  // namespace
}  // namespace korvale::testing
