#include "batch/commands/exact_setup.h"

#include <algorithm>
#include <string>
#include <utility>

#include "batch/run/interrupt.h"
#include "batch/run/progress_bar.h"
#include "report/format/table_text.h"

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

std::vector<Fact> settingFacts(const BatchOptions& options) {
    if (!options.settingGiven) {
        return {};
    }
    return {{"setting", "設定", std::to_string(options.setting + 1), settingName(options.setting)}};
}

Fact maxGamesFact(std::int32_t maxGames) {
    return {"max_games", "最大ゲーム数", std::to_string(maxGames)};
}

Fact cappedLawsFact() {
    return {.key = "laws",
            .label = "分布",
            .value = "none",
            .shown = "最大ゲーム数のある挑戦の分布は求めていません",
            .isNumber = false};
}

}  // namespace korvale
