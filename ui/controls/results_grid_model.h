#pragma once

// The results grid's contents: a header row and any number of data rows of text cells, held
// compactly because a long run logs millions of rows. A cell takes 4 bytes: a text that is the
// plain decimal writing of a whole number of moderate size (what the runs write almost always)
// is held as that number; any other text is held once in a table of texts and the cell keeps
// its index there ("BIG" and "REG" are two entries, however many rows show them).

#include <QAbstractTableModel>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvale {

class ResultsGridModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ResultsGridModel(QObject* parent = nullptr);

    int columns() const { return columns_; }
    // Changes the number of columns; the header and every row keep their first cells.
    void setColumns(int columns);

    // Data rows: the grid's rows below the header.
    int dataRows() const { return dataRows_; }
    // Appends empty rows or drops rows at the bottom; zero frees every row.
    void setDataRows(int rows);

    // Appends rows at once, their cells given row-major.
    void appendRows(int rows, std::span<const std::string> cells);

    void setHeaderText(int column, std::string_view text);
    void setCellText(int dataRow, int column, std::string_view text);

    std::string headerText(int column) const;
    std::string cellText(int dataRow, int column) const;
    // Whether a data cell holds a whole number written plainly (the usual case), and which;
    // read without forming its text.
    bool cellNumber(int dataRow, int column, std::int32_t& value) const;
    // A data cell's text when it is not such a number (empty for a number), without a copy.
    std::string_view cellWords(int dataRow, int column) const;

    // Bytes held for the rows and texts (not counting the model object itself).
    std::size_t memoryBytes() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::uint32_t pack(std::string_view text);
    std::string unpack(std::uint32_t cell) const;
    static bool holdsNumber(std::uint32_t cell) { return (cell & 1U) == 0; }

    int columns_ = 0;
    int dataRows_ = 0;
    std::vector<std::string> header_;
    // Row-major cells; a deque grows in small blocks, without the slack of a doubling vector.
    std::deque<std::uint32_t> cells_;
    std::vector<std::string> texts_;  // texts_[0] is the empty text of a fresh cell
    std::unordered_map<std::string, std::uint32_t> textIndex_;
};

}  // namespace korvale
