#pragma once

// A machine found some games after its last BIG as report facts and groups: the count, the
// prior, the settings' figures mixed by the posterior, and the 狙い目 table.

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/found/hunt_cash.h"
#include "analysis/found/hunt_table.h"
#include "analysis/hall/hall_rates.h"
#include "analysis/inference/filter_tables.h"
#include "report/model/report_model.h"

namespace korvale {

// The games since the last BIG of the machine an attempt takes over.
Fact sinceBigFact(std::int32_t gamesSinceBig);

// The prior's weights as given, or "all equal".
Fact priorFact(const std::optional<SettingVector>& prior);

// An attempt's figures under the posterior's mixture (a group for every setting together),
// with P(設定≥4), P(設定≥5) and the posterior as a series over the settings.
FigureGroup foundMixtureGroup(const AttemptFigures& mixture, const SettingVector& posterior);

// The 狙い目 table: a group per setting asked for, then one for the mixture, each with its
// break-even count and its figures as series over the games since the last BIG (the coins per
// hour at the rates' play speed, and from stored coins the yen per attempt and per hour), the
// posterior's share of the setting among them when there is a mixture. From cash with `cash`
// (hunt_cash.h), the yen per attempt and per hour and the break-even count in yen as well.
std::vector<FigureGroup> huntGroups(const HuntTable& table, EndConditions end,
                                    const HallRates& rates, const HuntCash* cash = nullptr);

}  // namespace korvale
