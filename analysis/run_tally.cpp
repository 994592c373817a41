#include "analysis/run_tally.h"

#include <cmath>

#include "machine/coin_totals.h"

namespace korvale {

void ModeRunTally::addBonus(bool big, std::int32_t games, std::int32_t mode) {
    games_ += games;
    const auto m = static_cast<std::size_t>(mode);
    if (m < modeGames_.size()) {
        modeGames_[m] += games;
    }
    sinceBig_ += games;
    bonusGaps_.add(games);
    if (big) {
        ++bigs_;
        if (m < modeBigs_.size()) {
            ++modeBigs_[m];
        }
        bigGaps_.add(sinceBig_);
        for (std::size_t mark = 0; mark < droughtMarks.size(); ++mark) {
            if (sinceBig_ >= droughtMarks[mark]) {
                ++longBigGaps_[mark];
            }
        }
        sinceBig_ = 0;
    } else {
        ++regs_;
    }
    net_ = coinTotals(setting_, games_, bigs_, regs_).net;
    slump_.add(games_, static_cast<double>(net_));
}

void AttemptRunTally::addAttempt(std::int64_t bigs, std::int64_t regs, std::int64_t net) {
    const std::int64_t cost = coinsPerBig * bigs + coinsPerReg * regs - net;
    const std::int64_t games = std::max<std::int64_t>(0, gamesForCost(setting_, cost));
    ++attempts_;
    games_ += games;
    bigs_ += bigs;
    regs_ += regs;
    net_ += net;
    if (net > 0) {
        ++ahead_;
    }
    gamesSquares_ += static_cast<double>(games) * static_cast<double>(games);
    bigsSquares_ += static_cast<double>(bigs) * static_cast<double>(bigs);
    regsSquares_ += static_cast<double>(regs) * static_cast<double>(regs);
    netSquares_ += static_cast<double>(net) * static_cast<double>(net);
    slump_.add(attempts_, static_cast<double>(net_));
    netHistogram_.add(net);
}

std::int64_t gamesForCost(std::int32_t setting, std::int64_t cost) {
    if (cost < 0) {
        return -1;
    }
    const auto guess = static_cast<std::int64_t>(
        std::llround(static_cast<double>(cost) / static_cast<double>(costCoefficient(setting))));
    for (std::int64_t games = std::max<std::int64_t>(0, guess - 2); games <= guess + 2; ++games) {
        if (costOfGames(setting, games) == cost) {
            return games;
        }
    }
    return -1;
}

}  // namespace korvale
