#pragma once

// A tab of the analysis window. The window holds its tabs in one list (analysis_tabs.h) and
// speaks to each only through this: it hands every tab the hall rates, the main window's chosen
// setting and typed end conditions as they change, asks it for its heading and its graph,
// tells it when it is on show (and redraws it there), and holds its long work while it is not
// (long_work.h). A tab that draws the run on show takes the run from the window's RunView.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "analysis/hall/hall_rates.h"

namespace korvale {

class RunView;

// The window's own work on the run on show that a tab draws on: while the tab is on show and
// such work is in hand, the other tabs' work waits.
struct RunWork {
    bool exact = false;  // the run's exact figures and law
    bool cash = false;   // the seeded simulation of the cash an attempt puts in
};

class AnalysisTab {
  public:
    virtual ~AnalysisTab() = default;

    // The tab's page and its title in the tab bar.
    virtual QWidget& page() = 0;
    virtual QString title() const = 0;

    // What the other parts of the window and the main window say, as it changes.
    virtual void setHallRates(const HallRates& /*rates*/) {}
    virtual void setChosenSetting(std::int32_t /*setting*/) {}
    virtual void setMainEnd(const QString& /*bigEnd*/, const QString& /*regEnd*/) {}

    // The line above the tabs while this one is on show; none: the setup of the run on show.
    virtual std::optional<QString> heading() const { return std::nullopt; }
    // The tab is on show: draws what it shows now (at most once a refresh).
    virtual void onShow(RunView& run) = 0;
    // Whether it is to be redrawn though the run has logged nothing new (its status changed).
    virtual bool outdated(const RunView& /*run*/) const { return false; }
    // Its graph, redrawn half as often as a table; nullptr when it has none.
    virtual QWidget* graph() { return nullptr; }

    // The window's work it draws on, and its own long work: in hand, and held while the tab is
    // not on show and the one on show has work in hand, or while the window is closed.
    virtual RunWork drawsOn() const { return {}; }
    virtual bool workPending() const { return false; }
    virtual void holdWork(bool /*held*/) {}
};

}  // namespace korvale
