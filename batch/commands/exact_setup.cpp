#include "batch/commands/exact_setup.h"

#include <algorithm>
#include <string>
#include <utility>

#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"

namespace korvale {

void ShareShown::show(double share) {
    if (bar_ != nullptr && share >= shown_ + 0.001) {
        bar_->showShare(share);
        shown_ = share;
    }
}

std::vector<std::int32_t> chosenSettings(const BatchOptions& options) {
    if (options.settingGiven) {
        return {options.setting};
    }
    return {0, 1, 2, 3, 4, 5};
}

WorkControl commandControl(const BatchOptions& options, WorkControl::Progress progress) {
    return {.cancel = interruptFlag(),
            .progress = std::move(progress),
            .threads = threadCount(options)};
}

std::optional<std::int32_t> chosenSetting(const BatchOptions& options) {
    return options.settingGiven ? std::optional(options.setting) : std::nullopt;
}

}  // namespace korvale
