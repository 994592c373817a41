#pragma once

// An attempt's figures when the setting is not known: each setting's figures weighed by its
// chance.

#include <span>

#include "analysis/attempt/attempt.h"
#include "analysis/inference/filter_tables.h"

namespace korvale {

// The mixture of bySetting (設定１..設定６ in order) by `chances` (adding up to 1): the expected
// games, BIGs, REGs, cost and net as the chances' mixtures of each setting's, and the rates per
// 1000 games and the payout as the ratios of those means (what many attempts on such machines
// come to). The cost counts as rounded only when every setting's is; its bound is the mixture's.
AttemptFigures mixAttemptFigures(const std::array<AttemptFigures, settingCount>& bySetting,
                                 const SettingVector& chances);

// The same for any figures of one rule (the starts an attempt may take, say) and their chances,
// as many of each, not empty.
AttemptFigures mixFigures(std::span<const AttemptFigures> figures, std::span<const double> chances);

}  // namespace korvale
