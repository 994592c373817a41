#include "ui/analysis_window/run_feed.h"

#include <algorithm>
#include <cstdint>
#include <variant>

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
    const std::vector<LoggedRow>& rows = record.rows();
    if (rows.size() < taken_) {
        restart(setup_);
    }
    if (!setup_.started) {
        return false;
    }
    const std::size_t end = std::min(rows.size(), taken_ + most);
    for (std::size_t row = taken_; row < end; ++row) {
        if (const auto* attempt = std::get_if<AttemptLogged>(&rows[row])) {
            // An attempt's BIGs are tallied as 32-bit counts, as many as a run can play.
            if (setup_.attempts && attempt->bigs <= INT32_MAX) {
                attemptTally_.addAttempt(static_cast<std::int32_t>(attempt->bigs), attempt->regs,
                                         attempt->net);
            }
        } else if (const auto* bonus = std::get_if<BonusLogged>(&rows[row]);
                   bonus != nullptr && !setup_.attempts) {
            modeTally_.addBonus(bonus->big, bonus->games, bonus->mode);
        }
    }
    const bool took = end > taken_;
    taken_ = end;
    return took;
}

void RunFeed::catchUpFilter(const RunRecord& record) {
    const std::vector<LoggedRow>& rows = record.rows();
    if (!filter_ || rows.size() < taken_) {
        return;
    }
    for (; filterTaken_ < taken_; ++filterTaken_) {
        const auto* bonus = std::get_if<BonusLogged>(&rows[filterTaken_]);
        if (bonus != nullptr && bonus->games >= 1) {
            filter_->addBonus(bonus->big ? BonusKind::Big : BonusKind::Reg, bonus->games);
        }
    }
}

}  // namespace korvale
