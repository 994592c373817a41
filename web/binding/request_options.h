#pragma once

// The fields several calls share, read as korvale-batch reads its options of the same names
// and with its defaults: the setting, the end conditions and the hall's rates.

#include <cstdint>
#include <optional>

#include "analysis/hall/hall_rates.h"
#include "machine/attempt_end.h"
#include "web/binding/engine_request.h"

namespace korvale {

// The fields of the hall's rates: lend, exchange, pay ("coins" or "cash"), games_per_hour.
#define KORVALE_RATE_FIELDS "lend", "exchange", "pay", "games_per_hour"

// "setting" 1..6 as its index 0..5; none when not given.
std::optional<std::int32_t> readSetting(const EngineRequest& request);

// The hall's rates, each the command line's default when not given.
HallRates readRates(const EngineRequest& request);

// big_end and reg_end, each `defaults`' when not given; none when neither is given. A REG end
// is rounded to the nearest whole game, halves to even.
std::optional<EndConditions> readEnd(const EngineRequest& request, EndConditions defaults = {});

// The end conditions as the exact figures take them: refused beyond their tables
// (EndBeyondTables).
void checkExactEnd(const EndConditions& end);

}  // namespace korvale
