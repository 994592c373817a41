#pragma once

// Errors that end a run: the figure and the game they concern, added as they pass through the
// run, and the message the window shows for them.

#include <QString>
#include <cstdint>
#include <string>

#include "common/runtime_error.h"
#include "machine/cls_korvale.h"
#include "ui/box.h"

namespace korvale {

// Names the box as the figure of the error, unless it names one already.
void nameBox(RuntimeError& error, Box box);

// Runs `operation`; an error from it that names no figure yet names the box.
template <typename Operation>
decltype(auto) aboutBox(Box box, Operation&& operation) {
    try {
        return operation();
    } catch (RuntimeError& error) {
        nameBox(error, box);
        throw;
    }
}

// Runs `operation`, the steps of game `game` of the run; an error from it names that game.
template <typename Operation>
void atGame(std::int64_t game, Operation&& operation) {
    try {
        operation();
    } catch (RuntimeError& error) {
        error.context().game = game;
        throw;
    }
}

// The machine's counter that Play could not raise.
std::string playErrorFigure(const clsKorvale& machine);

// Plays one game; an error from it names the machine's counter that failed.
inline const std::string& playGame(clsKorvale& machine, std::int32_t& lngNum, std::int32_t& lngMode,
                                   std::int32_t& lngSimauta) {
    try {
        return machine.Play(lngNum, lngMode, lngSimauta);
    } catch (RuntimeError& error) {
        error.context().figure = playErrorFigure(machine);
        throw;
    }
}

// The figure whose step failed when get差枚 failed on the machine's counters.
std::string coinErrorFigure(const clsKorvale& machine);

// What the window says when an error ends a run: what went wrong with which figure and limit,
// at which game, and that the results stay on show.
QString runErrorMessage(const RuntimeError& error);
QString outOfMemoryMessage();

}  // namespace korvale
