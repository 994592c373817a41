#pragma once

// The 一日の収支 tab's figures, worked out on a worker at the lowest priority (long_work.h): the
// exact law of a day's net (a new machine from the morning played for a day's games) after
// each twentieth of the day, for the band the day's スランプ is drawn over, and a seeded
// simulation of many such days for what the exact law does not hold: the cash a day puts in,
// which follows how deep its net goes.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/measured/day_play.h"
#include "analysis/outcome/day_law.h"
#include "ui/analysis_window/long_work.h"

namespace korvale {

// The setting of a machine whose setting is not known: the six mixed by the uniform prior (as
// 設定判別 takes it).
inline constexpr std::int32_t unknownDaySetting = 6;

struct DaySetup {
    std::int32_t setting = 0;  // 0..5, or unknownDaySetting
    std::int32_t dayGames = 8000;
    bool operator==(const DaySetup&) const = default;
};

// The game counts the band is drawn at: each twentieth of the day (fewer for a day of fewer
// games), the whole day last.
std::vector<std::int32_t> bandGames(std::int32_t dayGames);

// The seeded days measured beside the exact law.
inline constexpr std::int64_t measuredDays = 10'000;

struct DayFigures {
    DaySetup setup;
    std::vector<std::int32_t> games;  // bandGames(setup.dayGames)
    std::vector<DayLaw> laws;         // the day's law after each of `games`
    // Each measured day's counts and deepest point, booked at the window's rates when shown.
    std::vector<PlayedAttempt> days;
    std::vector<std::int32_t> daySettings;  // each measured day's setting
    QString failure;                        // why there are none
    const DayLaw& wholeDay() const { return laws.back(); }
};

struct DayWork {
    using Setup = DaySetup;
    using Result = DayFigures;
    static constexpr std::size_t keptCount = 6;
    static constexpr const char* subject = "一日の収支は";
    static QString failure(const Status& status);
    static DayFigures solve(const DaySetup& setup, const LongWorkControl<DayFigures>& control);
};

// Plays `days` days of the setup's setting from `seed`, each its net after every game (the
// days drawn over the band; the same seed, the same days).
std::vector<std::vector<std::int32_t>> playSlumpDays(const DaySetup& setup, std::int32_t days,
                                                     std::uint64_t seed);

}  // namespace korvale
