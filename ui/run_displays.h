#pragma once

// The runs' one way onto the window: every read and write of a text box, every grid operation,
// the window state a run reads (stop flag, setting, auto scroll, the machine) and every yield
// to the event queue pass through here. The run procedures know nothing else of the window.

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "machine/cls_korvale.h"
#include "ui/box.h"
#include "ui/check_box.h"
#include "ui/results_grid.h"

namespace korvale {

// Creates the machines the window plays; tests hand the window one that draws from a scripted
// or seeded source.
using MachineFactory = std::function<std::unique_ptr<clsKorvale>()>;

// Where a run yields: at the end of a game, or in the middle of a bonus game (attempt run).
enum class YieldPoint { EndOfGame, MidBonus };

// The window's parts that a run reaches through the layer.
struct RunWindowParts {
    std::array<QLineEdit*, boxCount> boxes{};
    ResultsGrid* grid = nullptr;
    CheckBox* chk = nullptr;
    QComboBox* cmbSettei = nullptr;
    const bool* stopFlag = nullptr;                  // mblnStop
    std::unique_ptr<clsKorvale>* machine = nullptr;  // mobjMachine
    const MachineFactory* machineFactory = nullptr;
};

class RunDisplays {
  public:
    // Called at every yield before the window's events are handled, with the point of the run.
    using YieldHook = std::function<void(YieldPoint)>;

    explicit RunDisplays(const RunWindowParts& parts) : parts_(parts) {}

    // Window state.
    bool stopFlag() const { return *parts_.stopFlag; }
    // cmbSettei's list index, a 16-bit value widened with its sign.
    std::int32_t settingIndex() const;
    // chk: 0 clear, 1 ticked, 2 greyed.
    int chkValue() const { return parts_.chk->value(); }

    // Text boxes.
    const std::string& text(Box box);
    void setText(Box box, std::string_view text);
    // The box's text read as a number, leniently (never fails) or strictly (TypeMismatch).
    double lenientNumber(Box box);
    double strictNumber(Box box);

    // The grid flex1.
    void setGridCols(std::int32_t cols) { parts_.grid->setCols(cols); }
    std::int32_t gridRows() const { return parts_.grid->rows(); }
    void setGridRows(std::int32_t rows) { parts_.grid->setRows(rows); }
    std::int32_t gridRow() const { return parts_.grid->row(); }
    void setGridRow(std::int32_t row) { parts_.grid->setRow(row); }
    void setGridCol(std::int32_t col) { parts_.grid->setCol(col); }
    void setGridText(std::string_view text) { parts_.grid->setText(text); }
    void setGridTopRow(std::int32_t row) { parts_.grid->setTopRow(row); }

    // The machine: newMachine releases the one held and holds a new one in its place; machine()
    // is the one held, nullptr once the window has released it.
    clsKorvale& newMachine();
    clsKorvale* machine() const { return parts_.machine->get(); }

    // Lets the window handle every pending event (clicks, typing, repaints, closing).
    void yield(YieldPoint point);
    void setYieldHook(YieldHook hook) { yieldHook_ = std::move(hook); }

  private:
    RunWindowParts parts_;
    YieldHook yieldHook_;
    std::string readBuffer_;
};

}  // namespace korvale
