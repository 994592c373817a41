#include "ui/analysis_window/run_feed.h"

#include <algorithm>
#include <cstdint>

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

bool RunFeed::catchUp(const RunRecord& record, std::size_t most) {
    if (record.rowCount() < taken_) {
        restart(setup_);
    }
    if (!setup_.started) {
        return false;
    }
    const std::size_t end = std::min(record.rowCount(), taken_ + most);
    if (setup_.attempts) {
        const std::vector<AttemptLogged>& attempts = record.attempts();
        for (std::size_t row = taken_; row < std::min(end, attempts.size()); ++row) {
            // An attempt's BIGs are tallied as 32-bit counts, as many as a run can play.
            const AttemptLogged& attempt = attempts[row];
            if (attempt.bigs <= INT32_MAX) {
                attemptTally_.addAttempt(static_cast<std::int32_t>(attempt.bigs), attempt.regs,
                                         attempt.net);
            }
        }
    } else {
        const std::vector<BonusLogged>& bonuses = record.bonuses();
        for (std::size_t row = taken_; row < std::min(end, bonuses.size()); ++row) {
            modeTally_.addBonus(bonuses[row].big, bonuses[row].games, bonuses[row].mode);
        }
    }
    const bool took = end > taken_;
    taken_ = end;
    return took;
}

void RunFeed::catchUpFilter(const RunRecord& record) {
    const std::vector<BonusLogged>& bonuses = record.bonuses();
    if (!filter_ || bonuses.size() < taken_) {
        return;
    }
    for (; filterTaken_ < taken_; ++filterTaken_) {
        const BonusLogged& bonus = bonuses[filterTaken_];
        if (bonus.games >= 1) {
            filter_->addBonus(bonus.big ? BonusKind::Big : BonusKind::Reg, bonus.games);
        }
    }
}

}  // namespace korvale
