#include "analysis/measured/run_row_tallies.h"

#include <cmath>

#include "machine/coin_totals.h"

namespace korvale {

void ModeRunTally::addBonus(bool big, std::int32_t games, std::int32_t mode) {
    NormalTotals bonus;
    bonus.games = games;
    const auto m = static_cast<std::size_t>(mode);
    if (m < bonus.modeGames.size()) {
        bonus.modeGames[m] = games;
    }
    sinceBig_ += games;
    bonusGaps_.add(games);
    if (big) {
        bonus.bigs = 1;
        if (m < bonus.modeBigs.size()) {
            bonus.modeBigs[m] = 1;
        }
        bigGaps_.add(sinceBig_);
        for (std::size_t mark = 0; mark < droughtMarks.size(); ++mark) {
            if (sinceBig_ >= droughtMarks[mark]) {
                ++longBigGaps_[mark];
            }
        }
        sinceBig_ = 0;
    } else {
        bonus.regs = 1;
    }
    totals_ += bonus;
    net_ = coinTotals(setting_, totals_.games, totals_.bigs, totals_.regs).net;
    slump_.add(totals_.games, static_cast<double>(net_));

    filling_ += bonus;
    if (++fillingBonuses_ < batchBonuses_) {
        return;
    }
    batches_.push_back(filling_);
    filling_ = NormalTotals{};
    fillingBonuses_ = 0;
    if (batches_.size() == maxBatches) {
        // Twice as long batches, half as many.
        for (std::size_t i = 0; i < maxBatches / 2; ++i) {
            batches_[i] = batches_[2 * i];
            batches_[i] += batches_[2 * i + 1];
        }
        batches_.resize(maxBatches / 2);
        batchBonuses_ *= 2;
    }
}

std::vector<NormalTotals> ModeRunTally::batches() const {
    std::vector<NormalTotals> all = batches_;
    if (fillingBonuses_ > 0) {
        all.push_back(filling_);
    }
    return all;
}

void AttemptRunTally::addAttempt(std::int64_t bigs, std::int64_t regs, std::int64_t net) {
    const std::int64_t cost = coinsPerBig * bigs + coinsPerReg * regs - net;
    const std::int64_t games = std::max<std::int64_t>(0, gamesForCost(setting_, cost));
    totals_.add(games, bigs, regs, net, net + coinsInPerGame * games);
    ahead_.add(1.0, net > 0 ? 1.0 : 0.0);
    slump_.add(totals_.attempts, static_cast<double>(totals_.net));
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
