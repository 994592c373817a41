#include "ui/controls/results_grid_model.h"

#include <charconv>

#include "common/number_text.h"

namespace korvale {
namespace {

// A number cell holds the value shifted left by one (low bit 0); a text cell holds its index
// in the table of texts shifted left by one, low bit 1.
constexpr std::int32_t smallestPacked = -(1 << 30);
constexpr std::int32_t largestPacked = (1 << 30) - 1;
constexpr std::uint32_t emptyCell = 1;  // index 0, the empty text

// The number a text is the plain decimal writing of, if it is one that fits a cell.
bool packableNumber(std::string_view text, std::int32_t& value) {
    if (text.empty() || text.size() > 11) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    // Only the canonical writing: "007", "-0" and "+7" stay texts so they show as typed.
    return value >= smallestPacked && value <= largestPacked && numberText(value) == text;
}

}  // namespace

ResultsGridModel::ResultsGridModel(QObject* parent) : QAbstractTableModel(parent) {
    texts_.emplace_back();
    textIndex_.emplace(std::string(), 0);
}

void ResultsGridModel::setColumns(int columns) {
    if (columns == columns_) {
        return;
    }
    beginResetModel();
    std::deque<std::uint32_t> cells;
    for (int row = 0; row < dataRows_; ++row) {
        for (int column = 0; column < columns; ++column) {
            cells.push_back(column < columns_
                                ? cells_[static_cast<std::size_t>(row) * columns_ + column]
                                : emptyCell);
        }
    }
    cells_.swap(cells);
    header_.resize(static_cast<std::size_t>(columns));
    columns_ = columns;
    endResetModel();
}

void ResultsGridModel::setDataRows(int rows) {
    if (rows > dataRows_) {
        // The cells first: if memory runs out, the grid stays as it was.
        cells_.resize(static_cast<std::size_t>(rows) * columns_, emptyCell);
        beginInsertRows(QModelIndex(), dataRows_, rows - 1);
        dataRows_ = rows;
        endInsertRows();
    } else if (rows < dataRows_) {
        beginRemoveRows(QModelIndex(), rows, dataRows_ - 1);
        cells_.resize(static_cast<std::size_t>(rows) * columns_);
        if (rows == 0) {
            cells_.shrink_to_fit();
        }
        dataRows_ = rows;
        endRemoveRows();
    }
}

void ResultsGridModel::appendRows(int rows, std::span<const std::string> cells) {
    if (rows <= 0) {
        return;
    }
    // The cells first, past the rows on show: if memory runs out, they go again and the grid
    // stays as it was.
    const std::size_t before = cells_.size();
    try {
        for (const std::string& cell : cells) {
            cells_.push_back(pack(cell));
        }
    } catch (...) {
        cells_.resize(before);
        throw;
    }
    beginInsertRows(QModelIndex(), dataRows_, dataRows_ + rows - 1);
    dataRows_ += rows;
    endInsertRows();
}

void ResultsGridModel::setHeaderText(int column, std::string_view text) {
    header_[static_cast<std::size_t>(column)].assign(text);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ResultsGridModel::setCellText(int dataRow, int column, std::string_view text) {
    cells_[static_cast<std::size_t>(dataRow) * columns_ + column] = pack(text);
    const QModelIndex changed = index(dataRow, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

std::string ResultsGridModel::headerText(int column) const {
    return header_[static_cast<std::size_t>(column)];
}

std::string ResultsGridModel::cellText(int dataRow, int column) const {
    return unpack(cells_[static_cast<std::size_t>(dataRow) * columns_ + column]);
}

bool ResultsGridModel::cellNumber(int dataRow, int column, std::int32_t& value) const {
    const std::uint32_t cell = cells_[static_cast<std::size_t>(dataRow) * columns_ + column];
    if (!holdsNumber(cell)) {
        return false;
    }
    value = static_cast<std::int32_t>(cell) >> 1;
    return true;
}

std::string_view ResultsGridModel::cellWords(int dataRow, int column) const {
    const std::uint32_t cell = cells_[static_cast<std::size_t>(dataRow) * columns_ + column];
    return holdsNumber(cell) ? std::string_view() : std::string_view(texts_[cell >> 1]);
}

std::size_t ResultsGridModel::memoryBytes() const {
    std::size_t bytes = cells_.size() * sizeof(std::uint32_t);
    for (const std::string& text : texts_) {
        bytes += sizeof text + text.capacity();
    }
    return bytes;
}

std::uint32_t ResultsGridModel::pack(std::string_view text) {
    std::int32_t value = 0;
    if (packableNumber(text, value)) {
        return static_cast<std::uint32_t>(value) << 1;
    }
    auto found = textIndex_.find(std::string(text));
    if (found == textIndex_.end()) {
        texts_.emplace_back(text);
        try {
            found =
                textIndex_.emplace(std::string(text), static_cast<std::uint32_t>(texts_.size() - 1))
                    .first;
        } catch (...) {
            texts_.pop_back();
            throw;
        }
    }
    return (found->second << 1) | 1U;
}

std::string ResultsGridModel::unpack(std::uint32_t cell) const {
    if (holdsNumber(cell)) {
        return numberText(static_cast<std::int32_t>(cell) >> 1);
    }
    return texts_[cell >> 1];
}

int ResultsGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataRows_;
}

int ResultsGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant ResultsGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const std::uint32_t cell =
        cells_[static_cast<std::size_t>(index.row()) * columns_ + index.column()];
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(unpack(cell));
    }
    if (role == Qt::TextAlignmentRole) {
        // As a grid does by default: numbers to the right, other texts to the left.
        const Qt::Alignment horizontal = holdsNumber(cell) ? Qt::AlignRight : Qt::AlignLeft;
        return static_cast<int>(horizontal | Qt::AlignVCenter);
    }
    return {};
}

QVariant ResultsGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns_) {
        return QString::fromStdString(header_[static_cast<std::size_t>(section)]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace korvale
