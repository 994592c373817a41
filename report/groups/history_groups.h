#pragma once

// The setting estimate of an observed bonus history as report groups: first one group for every
// setting together (the counts, P(設定≥4), P(設定≥5), the expected net of the next 1000 games,
// and the posterior and the count-only posterior as series over the settings 1..6), then one
// group per setting (its posterior, count-only posterior, expected net, log-likelihood and the
// law of the mode the next game begins in).

#include <vector>

#include "analysis/inference/setting_estimate.h"
#include "report/model/report_model.h"

namespace korvale {

std::vector<FigureGroup> historyGroups(const SettingEstimate& estimate);

// Chances over the settings 1..6 as a series.
Series settingSeries(std::string_view key, std::string label, const SettingVector& values);

}  // namespace korvale
