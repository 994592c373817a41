#pragma once

// The answer from the counts alone, as the usual tools give it: every game independent, a BIG
// with the setting's long-run BIG chance and a REG with its REG chance. On this machine the BIG
// chance follows the hidden mode and BIGs come in clusters, so the counts spread far more than
// this assumes and the answer is overconfident; it is kept to be compared with the filter.

#include <cstdint>

#include "analysis/inference/filter_tables.h"

namespace korvale {

struct CountOnlyRates {
    SettingVector big{};
    SettingVector reg{};
};

// The long-run chances of the six models.
CountOnlyRates countOnlyRates(const SettingModels& models);

// log P(this sequence of games | setting) when the games are independent, for `games` games
// of which `bigs` were BIGs and `regs` REGs (the order does not matter).
SettingVector countOnlyLogLikelihoods(const CountOnlyRates& rates, std::int64_t games,
                                      std::int64_t bigs, std::int64_t regs);

}  // namespace korvale
