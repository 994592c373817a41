#pragma once

// Errors that end a run: the figure and the game they concern, added as they pass through the
// run, and the message the window shows for them.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>

#include "common/status.h"
#include "machine/cls_korvale.h"
#include "ui/controls/box.h"
#include "ui/controls/run_error_context.h"

namespace korvale {

// Names the box as the figure of the error, unless it names one already.
void nameBox(StatusError& error, Box box);

// Runs `operation`; an error from it that names no figure yet names the box.
template <typename Operation>
decltype(auto) aboutBox(Box box, Operation&& operation) {
    try {
        return operation();
    } catch (StatusError& error) {
        nameBox(error, box);
        throw;
    }
}

// An overflow naming `figure`.
[[noreturn]] void throwOverflowOf(const char* figure);

// Raises a counter of the run by one; past 2,147,483,647 an overflow that names `figure`. As
// cheap as checkedIncrement: the loops raise their counters every game.
inline void raiseCounter(std::int32_t& counter, const char* figure) {
    if (counter == 2147483647) [[unlikely]] {
        throwOverflowOf(figure);
    }
    ++counter;
}

// What an error that ended a run at game `game` concerns, when nothing it passed through said:
// an overflow while a counter of the machine stood at its limit came from Play.
void nameRunError(StatusError& error, std::int64_t game, const clsKorvale* machine);

// The machine's counter that stands at its limit, or "" when none does.
std::string playErrorFigure(const clsKorvale& machine);

// The figure whose step failed when get差枚 failed on the machine's counters.
std::string coinErrorFigure(const clsKorvale& machine);

// What the window says when an error ends a run: what went wrong with which figure and limit,
// at which game, and that the results stay on show.
QString runErrorMessage(const StatusError& error);
QString outOfMemoryMessage();

// Whether the error is a counter of the run reaching the 32-bit limit: the expected end of a long
// run rather than a fault (an overflow of a typed value is the user's, and stays an error).
bool isLimitReached(const StatusError& error);

// The message of that end: which counter, its limit, the game, that the run is over and the
// results stay. Broken into lines at phrase boundaries, each short enough for a message box not
// to wrap it (Qt breaks Japanese text between any two characters).
QString limitReachedMessage(const RunErrorContext& context);

// How a run ended, as the window tells it. Converts to its text, for reporters that want no more.
struct RunEndMessage {
    QString text;
    bool limitReached = false;
    operator const QString&() const { return text; }
};

// The message of whatever ended the run with `error`.
RunEndMessage runEndMessage(const StatusError& error);

// Shows it in a message box over `parent`: an information box for the limit, an error box for the
// rest.
void showRunEndMessage(QWidget* parent, const QString& title, const RunEndMessage& message);

}  // namespace korvale
