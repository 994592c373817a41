#include "ui/analysis_window/analysis_tabs.h"

#include "ui/analysis_window/aim_panel.h"
#include "ui/analysis_window/day_panel.h"
#include "ui/analysis_window/drought_panel.h"
#include "ui/analysis_window/posterior_panel.h"
#include "ui/analysis_window/quit_rule_panel.h"
#include "ui/analysis_window/run_figures_tab.h"
#include "ui/analysis_window/slump_panel.h"

namespace korvale {

std::vector<AnalysisTab*> makeAnalysisTabs(HallRatesPanel& rates) {
    // A tab is one line here (and its own files).
    return {
        new RunFiguresTab(rates), new SlumpPanel, new DroughtPanel, new PosteriorPanel,
        new QuitRulePanel,        new AimPanel,   new DayPanel,
    };
}

}  // namespace korvale
