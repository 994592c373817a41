#pragma once

// 理論値と実測値: the figures of the run on show, exact beside measured, under the hall rates
// that turn its coins into yen; the window's status of its exact work below them.

#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/figures_panel.h"
#include "ui/analysis_window/hall_rates_panel.h"
#include "ui/analysis_window/run_view.h"

namespace korvale {

class RunFiguresTab final : public FiguresPanel, public AnalysisTab {
  public:
    // Shows `rates` above its table.
    explicit RunFiguresTab(HallRatesPanel& rates) { setTop(&rates); }

    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("理論値と実測値"); }
    void onShow(RunView& run) override {
        statusShown_ = run.exactStatus();
        show(run.figureRows(), statusShown_, run.figuresPending());
    }
    // Redrawn as the exact work goes on, the run's rows or not.
    bool outdated(const RunView& run) const override { return run.exactStatus() != statusShown_; }
    RunWork drawsOn() const override { return {.exact = true, .cash = true}; }

  private:
    QString statusShown_;
};

}  // namespace korvale
