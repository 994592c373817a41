#pragma once

// The facts of a run that its layout goes by: each adds the line the report prints and sets
// the typed fact (RunFacts) with it, so that the two cannot disagree.

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/hall/hall_rates.h"
#include "machine/attempt_end.h"
#include "report/model/report_model.h"

namespace korvale {

// The seeded simulation that measures the cash put in beside exact figures: its attempts per
// setting (or rule) and its seed.
struct CashSimulation {
    std::int64_t attempts = 0;
    std::uint64_t seed = 0;
};

// The setting, when one was asked for; nothing for all six.
void addSetting(Report& report, std::optional<std::int32_t> setting);

// An attempt's end conditions.
void addEnd(Report& report, EndConditions end);

// The game limit of every attempt (--max-games).
void addMaxGames(Report& report, std::int32_t maxGames);

// How far the attempts' laws were worked out; nothing for LawsWorked::NotAsked.
void addLaws(Report& report, LawsWorked laws);

// The hall's rates, and the simulation of the cash put in when there is one.
void addHallRates(Report& report, const HallRates& rates,
                  const std::optional<CashSimulation>& cash);

// A sweep that reports only the rules on each setting's frontier.
void addFrontierOnly(Report& report);

// A 狙い目 table of the means only: its chances to end ahead were not asked for.
void addMeansOnly(Report& report);

// A simulation stopped by the counter `key` (`shown` in the table) of `thread` at its limit.
void addCounterAtLimit(Report& report, const std::string& key, const std::string& shown,
                       int thread);

}  // namespace korvale
