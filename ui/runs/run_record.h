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
// was drawn in (0 to 5). Kept in 8 bytes: a long run logs millions of them, and the grid keeps
// each in 12.
struct BonusLogged {
    std::int32_t games = 0;
    std::int8_t mode = 0;
    bool big = false;
};
static_assert(sizeof(BonusLogged) == 8);

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
        bonuses_ = {};
        attempts_ = {};
        gamesShown_ = 0;
    }
    void add(const LoggedRow& row) {
        if (const auto* bonus = std::get_if<BonusLogged>(&row)) {
            bonuses_.push_back(*bonus);
        } else {
            attempts_.push_back(std::get<AttemptLogged>(row));
        }
    }
    void setGamesShown(std::int64_t games) { gamesShown_ = games; }

    const RunSetup& setup() const { return setup_; }
    // The rows the grid shows, from the first: a run logs rows of one kind.
    const std::vector<BonusLogged>& bonuses() const { return bonuses_; }
    const std::vector<AttemptLogged>& attempts() const { return attempts_; }
    std::size_t rowCount() const { return bonuses_.size() + attempts_.size(); }
    // The games played as the main window shows them (its box of games, read leniently).
    std::int64_t gamesShown() const { return gamesShown_; }

  private:
    RunSetup setup_;
    std::vector<BonusLogged> bonuses_;
    std::vector<AttemptLogged> attempts_;
    std::int64_t gamesShown_ = 0;
};

}  // namespace korvale
