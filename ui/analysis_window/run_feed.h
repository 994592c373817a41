#pragma once

// Brings the analysis's tallies up to the rows the main window's run has logged. The run
// publishes its rows in its record as the grid shows them, at its real yields; the analysis
// window takes them from there, so it sees what the user sees and the run keeps its steps.

#include <cstdint>
#include <optional>

#include "analysis/inference/setting_filter.h"
#include "analysis/measured/run_row_tallies.h"
#include "ui/runs/run_record.h"

namespace korvale {

class RunFeed {
  public:
    // Starts over with a run: its setup, its rows from the first.
    void restart(const RunSetup& setup);
    // Takes up to `most` of the rows logged since the last call; true when it took any. A record
    // with fewer rows than were taken belongs to a new run: the tallies start over.
    bool catchUp(const RunRecord& record, std::size_t most = 1 << 18);
    // Feeds the setting filter the rows the tallies have taken and it has not. Only the
    // posterior needs it, and only while it is on show: fed with every row as it comes, it
    // would cost the run a few percent of its speed for nothing.
    void catchUpFilter(const RunRecord& record);

    const RunSetup& setup() const { return setup_; }
    bool attempts() const { return setup_.attempts; }
    std::int64_t rowsTaken() const { return static_cast<std::int64_t>(taken_); }
    const ModeRunTally& modeTally() const { return modeTally_; }
    const AttemptRunTally& attemptTally() const { return attemptTally_; }
    // Per-mode run: the setting filter fed every bonus's kind and games (never its mode), from
    // the morning, as the run's machine starts, up to the last catchUpFilter; nullptr for an
    // attempt run.
    const SettingFilter* settingFilter() const { return filter_ ? &*filter_ : nullptr; }

  private:
    RunSetup setup_;
    std::size_t taken_ = 0;
    std::size_t filterTaken_ = 0;
    ModeRunTally modeTally_;
    AttemptRunTally attemptTally_;
    std::optional<SettingFilter> filter_;
};

}  // namespace korvale
