#include "ui/analysis_window/run_feed.h"

#include <algorithm>

namespace korvale {

void RunFeed::restart(const RunSetup& setup) {
    setup_ = setup;
    taken_ = 0;
    filterTaken_ = 0;
    modeTally_ = ModeRunTally(setup.setting);
    attemptTally_ = AttemptRunTally(setup.setting);
    filter_.reset();
    if (setup.started && !setup.attempts) {
        filter_.emplace(HistoryStart::Morning);
    }
}

bool RunFeed::catchUp(const ResultsGridModel& rows, int most) {
    if (rows.dataRows() < taken_) {
        restart(setup_);
    }
    if (!setup_.started || rows.columns() < 3) {
        return false;
    }
    const int end = std::min(rows.dataRows(), taken_ + most);
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
    for (int row = taken_; row < end; ++row) {
        if (setup_.attempts) {
            if (rows.cellNumber(row, 0, a) && rows.cellNumber(row, 1, b) &&
                rows.cellNumber(row, 2, c)) {
                attemptTally_.addAttempt(a, b, c);
            }
        } else if (rows.cellNumber(row, 1, b) && rows.cellNumber(row, 2, c)) {
            const std::string_view kind = rows.cellWords(row, 0);
            if (kind == "BIG" || kind == "REG") {
                modeTally_.addBonus(kind == "BIG", b, c);
            }
        }
    }
    const bool took = end > taken_;
    taken_ = end;
    return took;
}

void RunFeed::catchUpFilter(const ResultsGridModel& rows) {
    if (!filter_ || rows.dataRows() < taken_) {
        return;
    }
    std::int32_t games = 0;
    std::int32_t mode = 0;  // read only to take the rows the tallies take
    for (; filterTaken_ < taken_; ++filterTaken_) {
        const std::string_view kind = rows.cellWords(filterTaken_, 0);
        if ((kind == "BIG" || kind == "REG") && rows.cellNumber(filterTaken_, 1, games) &&
            rows.cellNumber(filterTaken_, 2, mode) && games >= 1) {
            filter_->addBonus(kind == "BIG" ? BonusKind::Big : BonusKind::Reg, games);
        }
    }
}

}  // namespace korvale
