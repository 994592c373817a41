#pragma once

// What a run of the main window plays, kept as typed data for the windows that follow the run:
// the setup Start read, each row the run logs once the grid shows it, and the games played as
// the main window shows them. The run writes it through its RunDisplays (rows and games reach
// it when they reach the widgets); the main window starts it over at each Start and says so
// by its runStarted signal. Whoever follows the run reads it from there, never from the widgets.

#include <cstdint>
#include <variant>
#include <vector>

#include "ui/runs/run_setup.h"

namespace korvale {

// A row of the per-mode run: the bonus drawn, the games since the one before, and the mode it
// was drawn in.
struct BonusLogged {
    bool big = false;
    std::int32_t games = 0;
    std::int32_t mode = 0;
};

// A row of the attempt run: the attempt's BIGs and REGs and its net coins.
struct AttemptLogged {
    std::int64_t bigs = 0;
    std::int32_t regs = 0;
    std::int32_t net = 0;
};

using LoggedRow = std::variant<BonusLogged, AttemptLogged>;

class RunRecord {
  public:
    // A new run, with the setup Start read: no rows yet and no games.
    void start(const RunSetup& setup) {
        setup_ = setup;
        rows_.clear();
        gamesShown_ = 0;
    }
    void add(const LoggedRow& row) { rows_.push_back(row); }
    void setGamesShown(std::int64_t games) { gamesShown_ = games; }

    const RunSetup& setup() const { return setup_; }
    // The rows the grid shows, from the first.
    const std::vector<LoggedRow>& rows() const { return rows_; }
    // The games played as the main window shows them (its box of games, read leniently).
    std::int64_t gamesShown() const { return gamesShown_; }

  private:
    RunSetup setup_;
    std::vector<LoggedRow> rows_;
    std::int64_t gamesShown_ = 0;
};

}  // namespace korvale
