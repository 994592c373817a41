#pragma once

// The runs' one way onto the window: every read and write of a text box, every grid operation,
// the window state a run reads (stop flag, setting, auto scroll, the machine) and every yield
// to the event queue pass through here. The run procedures know nothing else of the window.
//
// Between two yields only the run touches the boxes and the grid, and the user's input is
// handled only inside a yield. So during a run the layer keeps the boxes' texts and the new
// grid rows in memory, hands them to the widgets when it really yields, and takes back what
// the user typed once the events have been handled. A really handled yield comes once a few
// milliseconds have passed; the yields in between return at once. What the run computes, and
// what the window shows after every real yield, is the same as writing through to the widgets
// and handling events at every game (the write-through mode, kept for comparison).

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "machine/cls_korvale.h"
#include "ui/controls/box.h"
#include "ui/controls/check_box.h"
#include "ui/controls/results_grid.h"
#include "ui/runs/run_record.h"

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
    RunRecord* record = nullptr;  // what the run plays, for the windows that follow it
};

// Thrown from a yield to end a run because an error ended a run nested in it; the error has been
// reported already.
struct RunAborted {};

class RunDisplays {
  public:
    // Called at every real yield, before the window's events are handled, with the point of
    // the run; the widgets show everything the run has written.
    using YieldHook = std::function<void(YieldPoint)>;

    // Time between two real yields during a run: the displays repaint 50 times a second, and
    // a click or a key press waits 20 ms at most before it is handled.
    static constexpr std::chrono::milliseconds realYieldInterval{20};

    explicit RunDisplays(const RunWindowParts& parts) : parts_(parts) {}

    // A run (or a run nested in another's yield) begins and ends; between the two the layer
    // holds the displays in memory. endRun hands everything to the widgets.
    void beginRun();
    void endRun();
    // Runs in progress, nested ones included.
    int runDepth() const { return runDepth_; }

    // An error has ended a run nested in another's yield: every run in progress ends too, each
    // by a RunAborted thrown from its yield as soon as the events are handled, without writing
    // anything more. The outermost run clears the request once it has ended.
    void abortEveryRun() { abortRequested_ = true; }
    void clearAbort() { abortRequested_ = false; }

    // Hands what is held to the widgets after an error: what memory allows of the new rows, and
    // the boxes.
    void flushAfterError();

    // Write every change to the widgets and handle events at every yield, as the plain loop
    // would; or (false, the default) the fast path.
    void setWriteThrough(bool writeThrough) { writeThrough_ = writeThrough; }
    // For tests and benchmarks: really yield at every n-th yield instead of by the clock
    // (0 = by the clock).
    void setRealYieldEvery(int yields) {
        realYieldEvery_ = yields;
        yieldCountdown_ = yieldPeriod();
    }
    void setYieldHook(YieldHook hook) { yieldHook_ = std::move(hook); }

    // Window state.
    bool stopFlag() const { return *parts_.stopFlag; }
    // cmbSettei's list index, a 16-bit value widened with its sign.
    std::int32_t settingIndex() const;
    // chk: 0 clear, 1 ticked, 2 greyed.
    int chkValue() const { return parts_.chk->value(); }

    // Text boxes.
    // The box accessors run several times a game, so their in-memory paths are inline here.
    const std::string& text(Box box) { return holding() ? slotText(slot(box)) : widgetText(box); }
    void setText(Box box, std::string_view text) {
        if (!holding()) {
            setWidgetText(box, text);
            return;
        }
        Slot& held = slot(box);
        // Most texts (the payout rate above all) repeat from game to game.
        if (held.form != Form::text || !sameText(held.text, text)) {
            holdText(held, text);
        }
    }
    // Writes a number as its number text. Between yields the layer keeps the number itself and
    // writes the text only when the widget needs it; a number text reads back, leniently and
    // strictly, as the number it was written from, so the readings below are the same.
    void setNumber(Box box, double value) {
        if (!holding()) {
            setWidgetNumber(box, value);
            return;
        }
        Slot& held = slot(box);
        held.number = value;
        held.form = Form::number;
    }
    // Writes a rate or an average in a two-decimal pattern: "#0.00" with the leading digit,
    // "#.00" without (formatHash0Dot00, formatHashDot00). Between yields the layer keeps the
    // value and writes the text when it is read or the widget needs it.
    void setTwoDecimals(Box box, double value, bool leadingDigit) {
        if (!holding()) {
            setWidgetTwoDecimals(box, value, leadingDigit);
            return;
        }
        Slot& held = slot(box);
        held.number = value;
        held.form = leadingDigit ? Form::hash0Dot00 : Form::hashDot00;
    }
    // The box's number, read leniently, raised by one. A number the layer holds was checked when
    // it was worked out, so adding one to it cannot fail: only a number read from a text needs
    // the check.
    void raiseByOne(Box box) {
        if (holding()) {
            Slot& held = slot(box);
            if (held.form == Form::number) {
                held.number += 1.0;
                return;
            }
        }
        raiseReadNumber(box);
    }
    // The box's text read as a number, leniently (never fails) or strictly (TypeMismatch).
    double lenientNumber(Box box) {
        if (holding()) {
            Slot& held = slot(box);
            return held.form == Form::number ? held.number : readLenient(slotText(held));
        }
        return readLenient(widgetText(box));
    }
    double strictNumber(Box box) {
        if (holding()) {
            Slot& held = slot(box);
            return held.form == Form::number ? held.number : strictReading(box, slotText(held));
        }
        return strictReading(box, widgetText(box));
    }

    // The counters get差枚 works the coin figures out from.
    struct CoinCounters {
        std::int32_t setting = 0;
        std::int32_t games = 0;
        std::int32_t bigs = 0;
        std::int32_t regs = 0;
    };
    static CoinCounters coinCountersOf(const clsKorvale& machine) {
        return {machine.mlngSettei, machine.mlngPlayCnt, machine.mlngBigCnt, machine.mlngRegCnt};
    }

    // Text2 and Text4 from the machine's get差枚 after a game, with its errors at that game.
    // Between yields the layer keeps only the counters the figures are worked out from, as long
    // as get差枚 cannot fail on them, and works the figures out when the widgets need them.
    void showCoinFigures(const clsKorvale& machine) {
        if (holding() && machine.mlngPlayCnt >= 1) {
            if (machine.mlngBigCnt != coinsBigs_ || machine.mlngRegCnt != coinsRegs_) {
                boundCoinFigures(machine.mlngBigCnt, machine.mlngRegCnt);
            }
            if (machine.mlngPlayCnt <= coinsSafeThrough_) {
                holdCoinFigures(coinCountersOf(machine));
                return;
            }
        }
        showCoinFiguresNow(machine);
    }

    // Quiet games: most games draw no bonus (and end no attempt), and such a game changes the
    // same few boxes in the same way, ending in a yield that returns at once until the next one
    // that may be real. A run plays a stretch of them in a tight loop and writes what they
    // changed once, through the calls below; what it computes and what the widgets show at
    // every real yield are those of playing the games one by one.
    //
    // The yields from now on that are sure to return at once: 0 when writing through, outside
    // a run, or when the next yield may be real.
    std::int32_t yieldsAtOnce() const { return holding() ? yieldCountdown_ - 1 : 0; }
    // Makes that many of those yields (at most yieldsAtOnce()).
    void skipYields(std::int32_t yields) { yieldCountdown_ -= yields; }
    // How many raises by one of the box one addition can stand for: as many as wanted when the
    // layer holds a whole number in it that stays below 2^53 (where adding one at a time is
    // exact, and so the same as adding the count), else none.
    std::int32_t foldableRaises(Box box) {
        constexpr double exactBelow = 0x1p53 - 0x1p31;
        if (!holding()) {
            return 0;
        }
        const Slot& held = slot(box);
        const bool whole = held.form == Form::number && std::trunc(held.number) == held.number &&
                           std::fabs(held.number) <= exactBelow;
        return whole ? 2147483647 : 0;
    }
    // The box raised by one `count` times (at most foldableRaises(box)).
    void raiseBy(Box box, std::int32_t count) { slot(box).number += count; }
    // How many more games the machine may play with its coin figures waiting (showCoinFigures
    // keeping only its counters), its bonus counts staying as they are; 0 when they are to be
    // worked out at its next game.
    std::int32_t coinFiguresCanWait(const clsKorvale& machine) const {
        if (!holding() || machine.mlngBigCnt != coinsBigs_ || machine.mlngRegCnt != coinsRegs_ ||
            machine.mlngPlayCnt < 0 || machine.mlngPlayCnt >= coinsSafeThrough_) {
            return 0;
        }
        return coinsSafeThrough_ - machine.mlngPlayCnt;
    }
    // Text2 and Text4 from get差枚 on these counters, which coinFiguresCanWait allowed: only
    // the counters are kept until the widgets need the figures.
    void holdCoinFigures(const CoinCounters& counters) {
        pendingCoins_ = counters;
        coinsPending_ = true;
    }

    // The grid flex1, with its operations' checks.
    void setGridCols(std::int32_t cols);
    std::int32_t gridRows() const;
    void setGridRows(std::int32_t rows);
    std::int32_t gridRow() const;
    void setGridRow(std::int32_t row);
    void setGridCol(std::int32_t col);
    void setGridText(std::string_view text);
    void setGridTopRow(std::int32_t row);
    // Between yields, a new last row of a three-column grid as Rows, Row, Col and Text make it
    // one cell after the other (its last cell left current), without going through each
    // operation's checks; false, and nothing done, when the grid is written through or has
    // another number of columns.
    bool appendHeldGridRow(std::string_view col0, std::string_view col1, std::string_view col2);
    // The row just appended, as typed data: it reaches the run's record when the grid shows it.
    void logRow(const LoggedRow& row);

    // The machine: newMachine releases the one held and holds a new one in its place; machine()
    // is the one held, nullptr once the window has released it.
    clsKorvale& newMachine();
    clsKorvale* machine() const { return parts_.machine->get(); }

    // Lets the window handle every pending event (clicks, typing, repaints, closing), at once
    // or, on the fast path, once the interval has passed.
    void yield(YieldPoint point) {
        if (holding() && --yieldCountdown_ > 0) {
            return;
        }
        if (holding() && !realYieldDue()) {
            return;
        }
        realYield(point);
    }

    // Hands the boxes' texts and the new rows to the widgets now.
    void flush();

  private:
    bool holding() const { return !writeThrough_ && runDepth_ > 0; }
    // The readings and the increment, with the box and its text named in their errors.
    static double strictReading(Box box, std::string_view text);
    void raiseReadNumber(Box box);
    void showCoinFiguresNow(const clsKorvale& machine);
    // Works out how far the game count may go with get差枚 sure to succeed on these bonus counts.
    void boundCoinFigures(std::int32_t bigs, std::int32_t regs);
    // Writes the coin figures kept by showCoinFigures into Text2 and Text4.
    void settleCoins();
    const std::string& widgetText(Box box);
    void setWidgetText(Box box, std::string_view text);
    void setWidgetNumber(Box box, double value);
    void setWidgetTwoDecimals(Box box, double value, bool leadingDigit);
    bool realYieldDue();
    void realYield(YieldPoint point);
    void flushRows(std::int32_t upToRows);
    // Hands the record the first `rows` rows logged and held, and the games on show.
    void publishRows(std::size_t rows);
    void publishGames();
    // Takes the boxes' texts from the widgets (what the user typed included).
    void takeBack();

    RunWindowParts parts_;
    YieldHook yieldHook_;
    bool abortRequested_ = false;
    bool writeThrough_ = false;
    int realYieldEvery_ = 0;
    int runDepth_ = 0;

    // Yield pacing: the clock is read once every clockCheckYields yields (or every
    // realYieldEvery_ yields are real); yieldCountdown_ counts the yields left until then.
    static constexpr int clockCheckYields = 1024;
    int yieldPeriod() const { return realYieldEvery_ > 0 ? realYieldEvery_ : clockCheckYields; }
    int yieldCountdown_ = clockCheckYields;
    std::chrono::steady_clock::time_point lastRealYield_{};

    // A box as the run sees it: its text, or a number whose text is not written yet, as number
    // text or in one of the two-decimal patterns.
    enum class Form : std::uint8_t { text, number, hash0Dot00, hashDot00 };
    struct Slot {
        std::string text;
        double number = 0.0;
        Form form = Form::text;
    };
    const std::string& slotText(Slot& slot);
    Slot& slot(Box box) {
        if (coinsPending_ && (box == Box::Text2 || box == Box::Text4)) [[unlikely]] {
            settleCoins();
        }
        return values_[static_cast<std::size_t>(box)];
    }
    static void holdText(Slot& slot, std::string_view text);

    // The boxes as the run sees them, and as the widgets were last known to show them.
    std::array<Slot, boxCount> values_;
    std::array<std::string, boxCount> shown_;
    std::string readBuffer_;

    // The counters behind Text2 and Text4 while their figures wait; the bonus counts for which
    // coinsSafeThrough_ was worked out.
    CoinCounters pendingCoins_;
    bool coinsPending_ = false;
    std::int32_t coinsSafeThrough_ = 0;
    std::int32_t coinsBigs_ = -1;
    std::int32_t coinsRegs_ = -1;
    std::string rateText_;

    // Grid rows appended since the last real yield, row-major, and the current cell.
    std::vector<std::string> pendingCells_;
    std::int32_t pendingRows_ = 0;
    std::int32_t currentRow_ = 0;
    std::int32_t currentCol_ = 0;
    // The rows logged since the last real yield, as typed data.
    std::vector<LoggedRow> pendingLogged_;
    // The latest TopRow set since the last real yield, and the grid's rows at that moment.
    std::int32_t pendingTopRow_ = 0;
    std::int32_t topRowSetAtRows_ = 0;
};

}  // namespace korvale
