#include "ui/analysis_window/day_service.h"

#include <algorithm>

#include "analysis/model/machine_model.h"
#include "common/random_source.h"
#include "machine/korvale_tables.h"
#include "ui/analysis_window/exact_service.h"

namespace korvale {

namespace {

constexpr std::int32_t bandSteps = 20;
// The share of the work the exact law takes; the seeded days take the rest (at 8,000 games the
// law takes some 35 s on two cores, the days under a second; at 2,000 games 5 s and 0.2 s).
constexpr double lawShare = 0.98;

// The measured days of a setup: always the same ones, so that a setup shown again says the same.
std::uint64_t measuredSeed(const DaySetup& setup) {
    return 0x6b6f7276616c6500ULL + static_cast<std::uint64_t>(setup.setting) * 100'003ULL +
           static_cast<std::uint64_t>(setup.dayGames);
}

// The day's laws after each of `games`: of the setting, or of the six mixed alike.
std::vector<DayLaw> dayLaws(const DaySetup& setup, std::span<const std::int32_t> games,
                            const LongWorkControl<DayFigures>& control) {
    const bool unknown = setup.setting == unknownDaySetting;
    const std::int32_t settings = unknown ? settingCount : 1;
    std::vector<std::vector<DayLaw>> each;
    for (std::int32_t s = 0; s < settings; ++s) {
        WorkControl lawControl = control;
        lawControl.progress = [&control, s, settings](double share) {
            control.progress(lawShare * (s + share) / settings);
        };
        const std::int32_t setting = unknown ? s : setup.setting;
        each.push_back(solveDayLaws(machineModel(setting), games, lawControl));
        for (DayLaw& law : each.back()) {
            law.setting = setting;
        }
    }
    if (!unknown) {
        return std::move(each.front());
    }
    const std::vector<double> weights(settingCount, 1.0 / settingCount);
    std::vector<DayLaw> mixed;
    for (std::size_t k = 0; k < games.size(); ++k) {
        std::vector<DayLaw> atGames;
        for (std::vector<DayLaw>& laws : each) {
            atGames.push_back(std::move(laws[k]));
        }
        mixed.push_back(mixDayLaws(atGames, weights));
    }
    return mixed;
}

}  // namespace

std::vector<std::int32_t> bandGames(std::int32_t dayGames) {
    std::vector<std::int32_t> games;
    const std::int32_t steps = std::min(bandSteps, dayGames);
    for (std::int32_t k = 1; k <= steps; ++k) {
        games.push_back(static_cast<std::int32_t>(std::int64_t{dayGames} * k / steps));
    }
    return games;
}

QString DayWork::failure(const Status& status) {
    return figuresFailure(status);
}

DayFigures DayWork::solve(const DaySetup& setup, const LongWorkControl<DayFigures>& control) {
    DayFigures figures;
    figures.games = bandGames(setup.dayGames);
    figures.laws = dayLaws(setup, figures.games, control);
    Xoshiro256PlusPlus random(measuredSeed(setup));
    const auto calledOff = [&control] {
        waitWhileHeld();
        return control.cancel != nullptr && *control.cancel;
    };
    figures.days.reserve(measuredDays);
    figures.daySettings.reserve(measuredDays);
    for (std::int64_t day = 0; day < measuredDays; ++day) {
        clsKorvale machine(random);
        // Unknown: each setting an equal share of the days, as the uniform prior weighs them.
        machine.mlngSettei = setup.setting == unknownDaySetting
                                 ? static_cast<std::int32_t>(day % settingCount)
                                 : setup.setting;
        DeepestPoint deepest;
        if (!playDay(machine, setup.dayGames, deepest, calledOff)) {
            throw WorkCancelled();
        }
        figures.days.push_back(playedSoFar(machine, deepest));
        figures.daySettings.push_back(machine.mlngSettei);
        if (day % 256 == 0) {
            control.progress(lawShare + (1.0 - lawShare) * static_cast<double>(day) /
                                            static_cast<double>(measuredDays));
        }
    }
    control.progress(1.0);
    return figures;
}

std::vector<std::vector<std::int32_t>> playSlumpDays(const DaySetup& setup, std::int32_t days,
                                                     std::uint64_t seed) {
    Xoshiro256PlusPlus random(seed);
    std::vector<std::vector<std::int32_t>> nets;
    for (std::int32_t day = 0; day < days; ++day) {
        // Unknown: each day's setting drawn as the uniform prior has it.
        const std::int32_t setting =
            setup.setting == unknownDaySetting
                ? std::min(settingCount - 1,
                           static_cast<std::int32_t>(random.nextFraction() * settingCount))
                : setup.setting;
        clsKorvale machine(random);
        machine.mlngSettei = setting;
        DeepestPoint deepest;
        std::vector<std::int32_t> net(static_cast<std::size_t>(setup.dayGames));
        playDay(
            machine, setup.dayGames, deepest, [] { return false; }, net);
        nets.push_back(std::move(net));
    }
    return nets;
}

}  // namespace korvale
