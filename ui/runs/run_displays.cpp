#include "ui/runs/run_displays.h"

#include <QCoreApplication>
#include <algorithm>

#include <string>
#include "common/number_text.h"

#include "common/status.h"
#include "machine/coin_totals.h"
#include "ui/runs/run_error.h"

namespace korvale {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void RunDisplays::beginRun() {
    ++runDepth_;
    takeBack();
    currentRow_ = parts_.grid->row();
    currentCol_ = parts_.grid->col();
    lastRealYield_ = std::chrono::steady_clock::now();
    yieldCountdown_ = yieldPeriod();
}

void RunDisplays::endRun() {
    flush();
    --runDepth_;
}

double RunDisplays::strictReading(Box box, std::string_view text) {
    try {
        return readStrict(text);
    } catch (StatusError& error) {
        nameBox(error, box);
        runContext(error).text.assign(text);
        runContext(error).hasText = true;
        throw;
    }
}

void RunDisplays::raiseReadNumber(Box box) {
    aboutBox(box, [&] { setNumber(box, checkedSum(lenientNumber(box), 1.0)); });
}

void RunDisplays::showCoinFiguresNow(const clsKorvale& machine) {
    std::int32_t obtained = 0;
    std::int32_t net = 0;
    try {
        net = machine.get差枚(rateText_, obtained);
    } catch (StatusError& error) {
        runContext(error).figure = coinErrorFigure(machine);
        // The boxes keep the figures of the game before, which may still be waiting.
        if (coinsPending_) {
            settleCoins();
        }
        throw;
    }
    coinsPending_ = false;
    setNumber(Box::Text2, net);
    setText(Box::Text4, rateText_);
}

void RunDisplays::boundCoinFigures(std::int32_t bigs, std::int32_t regs) {
    coinsSafeThrough_ = coinFiguresSafeThrough(bigs, regs);
    coinsBigs_ = bigs;
    coinsRegs_ = regs;
}

void RunDisplays::settleCoins() {
    coinsPending_ = false;
    clsKorvale counters;
    counters.mlngSettei = pendingCoins_.setting;
    counters.mlngPlayCnt = pendingCoins_.games;
    counters.mlngBigCnt = pendingCoins_.bigs;
    counters.mlngRegCnt = pendingCoins_.regs;
    std::int32_t obtained = 0;
    const std::int32_t net = counters.get差枚(rateText_, obtained);
    setNumber(Box::Text2, net);
    setText(Box::Text4, rateText_);
}

std::int32_t RunDisplays::settingIndex() const {
    return static_cast<std::int16_t>(parts_.cmbSettei->currentIndex());
}

const std::string& RunDisplays::slotText(Slot& slot) {
    switch (slot.form) {
        case Form::text:
            return slot.text;
        case Form::number:
            slot.text = numberText(slot.number);
            break;
        case Form::hash0Dot00:
            slot.text = formatHash0Dot00(slot.number);
            break;
        case Form::hashDot00:
            slot.text = formatHashDot00(slot.number);
            break;
    }
    slot.form = Form::text;
    return slot.text;
}

void RunDisplays::holdText(Slot& slot, std::string_view text) {
    slot.text.assign(text);
    slot.form = Form::text;
}

const std::string& RunDisplays::widgetText(Box box) {
    readBuffer_ = parts_.boxes[static_cast<std::size_t>(box)]->text().toStdString();
    return readBuffer_;
}

void RunDisplays::setWidgetText(Box box, std::string_view text) {
    parts_.boxes[static_cast<std::size_t>(box)]->setText(toQString(text));
}

void RunDisplays::setWidgetNumber(Box box, double value) {
    setWidgetText(box, numberText(value));
}

void RunDisplays::setWidgetTwoDecimals(Box box, double value, bool leadingDigit) {
    setWidgetText(box, leadingDigit ? formatHash0Dot00(value) : formatHashDot00(value));
}

void RunDisplays::setGridCols(std::int32_t cols) {
    flush();
    parts_.grid->setCols(cols);
    currentCol_ = parts_.grid->col();
}

std::int32_t RunDisplays::gridRows() const {
    return parts_.grid->rows() + pendingRows_;
}

void RunDisplays::setGridRows(std::int32_t rows) {
    if (holding() && rows > gridRows()) {
        const std::int32_t added = rows - gridRows();
        // The cells first: if memory runs out, the rows held stay as they were.
        pendingCells_.resize(pendingCells_.size() +
                             static_cast<std::size_t>(added) *
                                 static_cast<std::size_t>(parts_.grid->gridModel().columns()));
        pendingRows_ += added;
        return;
    }
    flush();
    parts_.grid->setRows(rows);
    currentRow_ = parts_.grid->row();
}

std::int32_t RunDisplays::gridRow() const {
    return holding() ? currentRow_ : parts_.grid->row();
}

void RunDisplays::setGridRow(std::int32_t row) {
    if (holding()) {
        requireGridArgument(row >= 0 && row < gridRows(), "Row", row);
        currentRow_ = row;
        return;
    }
    parts_.grid->setRow(row);
}

void RunDisplays::setGridCol(std::int32_t col) {
    if (holding()) {
        requireGridArgument(col >= 0 && col < parts_.grid->gridModel().columns(), "Col", col);
        currentCol_ = col;
        return;
    }
    parts_.grid->setCol(col);
}

void RunDisplays::setGridText(std::string_view text) {
    if (!holding()) {
        parts_.grid->setText(text);
        return;
    }
    const std::int32_t committed = parts_.grid->rows();
    if (currentRow_ >= committed) {
        const auto columns = static_cast<std::size_t>(parts_.grid->gridModel().columns());
        pendingCells_[static_cast<std::size_t>(currentRow_ - committed) * columns +
                      static_cast<std::size_t>(currentCol_)]
            .assign(text);
        return;
    }
    parts_.grid->setRow(currentRow_);
    parts_.grid->setCol(currentCol_);
    parts_.grid->setText(text);
}

bool RunDisplays::appendHeldGridRow(std::string_view col0, std::string_view col1,
                                    std::string_view col2) {
    constexpr std::size_t columns = 3;
    if (!holding() || static_cast<std::size_t>(parts_.grid->gridModel().columns()) != columns) {
        return false;
    }
    const std::int32_t committed = parts_.grid->rows();
    const std::int32_t rows = checkedAdd(committed + pendingRows_, 1);
    // The cells first: if memory runs out, the rows held stay as they were.
    pendingCells_.resize(pendingCells_.size() + columns);
    ++pendingRows_;
    currentRow_ = rows - 1;
    std::string* cells =
        &pendingCells_[static_cast<std::size_t>(currentRow_ - committed) * columns];
    currentCol_ = 0;
    cells[0].assign(col0);
    currentCol_ = 1;
    cells[1].assign(col1);
    currentCol_ = 2;
    cells[2].assign(col2);
    return true;
}

void RunDisplays::setGridTopRow(std::int32_t row) {
    if (!holding()) {
        parts_.grid->setTopRow(row);
        return;
    }
    requireGridArgument(row >= 1 && row < gridRows(), "TopRow", row);
    // Applied at the next real yield, with the rows the grid had at this moment: a grid scrolls
    // only as far as its rows allow.
    pendingTopRow_ = row;
    topRowSetAtRows_ = gridRows();
}

clsKorvale& RunDisplays::newMachine() {
    parts_.machine->reset();
    *parts_.machine = (*parts_.machineFactory)();
    return **parts_.machine;
}

bool RunDisplays::realYieldDue() {
    yieldCountdown_ = yieldPeriod();
    return realYieldEvery_ > 0 ||
           std::chrono::steady_clock::now() - lastRealYield_ >= realYieldInterval;
}

void RunDisplays::realYield(YieldPoint point) {
    flush();
    if (yieldHook_) {
        yieldHook_(point);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (abortRequested_) {
        throw RunAborted{};
    }
    if (holding()) {
        takeBack();
        currentRow_ = parts_.grid->row();
        currentCol_ = parts_.grid->col();
    }
    lastRealYield_ = std::chrono::steady_clock::now();
}

void RunDisplays::flush() {
    if (coinsPending_) {
        settleCoins();
    }
    if (pendingRows_ > 0) {
        if (pendingTopRow_ > 0) {
            flushRows(topRowSetAtRows_);
            parts_.grid->setTopRow(pendingTopRow_);
        }
        flushRows(parts_.grid->rows() + pendingRows_);
    } else if (pendingTopRow_ > 0) {
        parts_.grid->setTopRow(pendingTopRow_);
    }
    pendingTopRow_ = 0;
    publishGames();
    if (runDepth_ > 0 && !writeThrough_) {
        parts_.grid->setRow(currentRow_);
        parts_.grid->setCol(currentCol_);
        for (std::size_t box = 0; box < values_.size(); ++box) {
            const std::string& text = slotText(values_[box]);
            if (text != shown_[box]) {
                parts_.boxes[box]->setText(toQString(text));
                shown_[box] = text;
            }
        }
    }
}

void RunDisplays::flushAfterError() {
    try {
        flush();
    } catch (const std::bad_alloc&) {
        // The rows that did not fit go; the boxes still show the run's figures.
        pendingCells_.clear();
        pendingCells_.shrink_to_fit();
        pendingRows_ = 0;
        pendingLogged_.clear();
        pendingTopRow_ = 0;
        currentRow_ = std::min(currentRow_, parts_.grid->rows() - 1);
        flush();
    }
}

void RunDisplays::flushRows(std::int32_t upToRows) {
    const std::int32_t rows = upToRows - parts_.grid->rows();
    if (rows <= 0) {
        return;
    }
    const auto cells = static_cast<std::size_t>(rows) *
                       static_cast<std::size_t>(parts_.grid->gridModel().columns());
    parts_.grid->appendRows(rows, std::span<const std::string>(pendingCells_.data(), cells));
    pendingCells_.erase(pendingCells_.begin(), pendingCells_.begin() + static_cast<long>(cells));
    pendingRows_ -= rows;
    publishRows(static_cast<std::size_t>(rows));
}

void RunDisplays::logRow(const LoggedRow& row) {
    if (parts_.record == nullptr) {
        return;
    }
    if (holding()) {
        pendingLogged_.push_back(row);
    } else {
        parts_.record->add(row);
    }
}

void RunDisplays::publishRows(std::size_t rows) {
    const std::size_t logged = std::min(rows, pendingLogged_.size());
    if (parts_.record == nullptr || logged == 0) {
        return;
    }
    const auto end = pendingLogged_.begin() + static_cast<long>(logged);
    for (auto row = pendingLogged_.begin(); row != end; ++row) {
        parts_.record->add(*row);
    }
    pendingLogged_.erase(pendingLogged_.begin(), end);
}

void RunDisplays::publishGames() {
    // Text1 as the widget shows it once flushed, read as the main window's own readers read it.
    if (parts_.record != nullptr && runDepth_ > 0) {
        parts_.record->setGamesShown(static_cast<std::int64_t>(lenientNumber(Box::Text1)));
    }
}

void RunDisplays::takeBack() {
    for (std::size_t box = 0; box < values_.size(); ++box) {
        shown_[box] = parts_.boxes[box]->text().toStdString();
        values_[box].text = shown_[box];
        values_[box].form = Form::text;
    }
}

}  // namespace korvale
