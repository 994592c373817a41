#pragma once

// 設定判別's worth of playing on, worked out on a worker at the lowest priority (long_work.h):
// what an attempt under one rule is worth from where a watched history leaves the machine, at
// each setting and mixed by the history's posterior (the uniform prior's).

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/found/history_worth.h"
#include "analysis/inference/bonus_history.h"
#include "ui/analysis_window/long_work.h"

namespace korvale {

struct HistoryWorthSetup {
    std::vector<ObservedBonus> bonuses;
    HistoryStart start = HistoryStart::Morning;
    std::int32_t trailingGames = 0;
    EndConditions end{300.0, 100};
    bool operator==(const HistoryWorthSetup& other) const {
        return bonuses == other.bonuses && start == other.start &&
               trailingGames == other.trailingGames && end.bigEnd == other.end.bigEnd &&
               end.regEnd == other.end.regEnd;
    }
};

struct HistoryWorthResult {
    HistoryWorthSetup setup;
    std::optional<HistoryWorth> worth;
    QString failure;  // why there is none
};

struct HistoryWorthWork {
    using Setup = HistoryWorthSetup;
    using Result = HistoryWorthResult;
    static constexpr std::size_t keptCount = 8;
    static constexpr const char* subject = "続けて打つ価値は";
    static QString failure(const Status& status);
    static HistoryWorthResult solve(const HistoryWorthSetup& setup,
                                    const LongWorkControl<HistoryWorthResult>& control);
};

}  // namespace korvale
