#pragma once

// The analysis window's tabs, in their order in the tab bar.

#include <vector>

#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/hall_rates_panel.h"

namespace korvale {

// New tabs, for the window to take into its tab bar (which then owns them); `rates` is the
// window's hall rates panel, which one of them shows.
std::vector<AnalysisTab*> makeAnalysisTabs(HallRatesPanel& rates);

}  // namespace korvale
