#pragma once

// Where a failure of the window's run arose, as far as the code it passed through knew: the
// figure it concerns (in the window's words), the text that was read, whether a control
// operation failed, and the game of the run. It rides on the status as its detail, added as the
// failure passes through the run; the window builds its message from it.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/status.h"

namespace korvale {

struct RunErrorContext {
    std::string figure;
    std::string text;
    bool hasText = false;
    bool controlOperation = false;
    std::int64_t game = 0;  // 0: before the run's first game
};

// The context the failure carries, made empty the first time it is asked for.
RunErrorContext& runContext(StatusError& error);
// The context, or an empty one for a status that carries none.
const RunErrorContext& runContext(const Status& status);
inline const RunErrorContext& runContext(const StatusError& error) {
    return runContext(error.status());
}

// A failing control or grid operation: InvalidOperation, naming the control and the operation.
[[noreturn]] void throwControlError(std::string_view control);

// Runs `operation`; a failure from it that does not name its figure yet names `figure`.
template <typename Operation>
decltype(auto) aboutFigure(std::string_view figure, Operation&& operation) {
    try {
        return operation();
    } catch (StatusError& error) {
        RunErrorContext& context = runContext(error);
        if (context.figure.empty()) {
            context.figure.assign(figure);
        }
        throw;
    }
}

}  // namespace korvale
