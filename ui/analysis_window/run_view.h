#pragma once

// The run on show as the analysis window holds it, for the tabs that draw it: its rows taken so
// far, its exact figures and law once worked out, and the figures table the window assembles
// from both.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/outcome/outcome_law.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/figures_panel.h"
#include "ui/analysis_window/run_feed.h"

namespace korvale {

class RunView {
  public:
    virtual const RunFeed& feed() const = 0;
    // The setting filter brought up to the rows taken (only the posterior needs it).
    virtual void catchUpFilter() = 0;
    // The games played as the main window shows them.
    virtual std::int64_t gamesShown() const = 0;

    // The exact figures and the law of an attempt, once worked out; why there is no law.
    virtual const ExactFigures* exact() const = 0;
    virtual std::shared_ptr<const OutcomeLaw> law() const = 0;
    virtual QString noLawReason() const = 0;
    // Net coins per game (per-mode run) or per attempt to be expected, once worked out.
    virtual std::optional<double> expectedNetPerStep() const = 0;

    // The figures table: its rows, how far the exact work is, and whether any of it is in hand.
    virtual std::vector<FigureRow> figureRows() const = 0;
    virtual QString exactStatus() const = 0;
    virtual bool figuresPending() const = 0;

  protected:
    ~RunView() = default;
};

}  // namespace korvale
