#include "analysis/measured/simulated_totals.h"

#include "machine/korvale_tables.h"

namespace korvale {

NormalTotals& NormalTotals::operator+=(const NormalTotals& other) {
    games += other.games;
    bigs += other.bigs;
    regs += other.regs;
    for (std::size_t m = 0; m < modeGames.size(); ++m) {
        modeGames[m] += other.modeGames[m];
        modeBigs[m] += other.modeBigs[m];
    }
    return *this;
}

NormalTotals& NormalTotals::operator-=(const NormalTotals& other) {
    games -= other.games;
    bigs -= other.bigs;
    regs -= other.regs;
    for (std::size_t m = 0; m < modeGames.size(); ++m) {
        modeGames[m] -= other.modeGames[m];
        modeBigs[m] -= other.modeBigs[m];
    }
    return *this;
}

void AttemptTotals::add(std::int64_t attemptGames, std::int64_t attemptBigs,
                        std::int64_t attemptRegs, std::int64_t attemptNet,
                        std::int64_t attemptObtained) {
    ++attempts;
    netLaw.add(attemptNet);
    gamesLaw.add(attemptGames);
    bigsLaw.add(attemptBigs);
    games += attemptGames;
    bigs += attemptBigs;
    regs += attemptRegs;
    net += attemptNet;
    obtained += attemptObtained;
    const double g = static_cast<double>(attemptGames);
    const double b = static_cast<double>(attemptBigs);
    const double r = static_cast<double>(attemptRegs);
    const double n = static_cast<double>(attemptNet);
    payout.add(3.0 * g, 100.0 * static_cast<double>(attemptObtained));
    bigOdds.add(b, g);
    regOdds.add(r, g);
    bonusOdds.add(b + r, g);
    netPer1000Games.add(g, 1000.0 * n);
    gamesPerAttempt.add(1.0, g);
    netPerAttempt.add(1.0, n);
    bigsPerAttempt.add(1.0, b);
    regsPerAttempt.add(1.0, r);
    costPerAttempt.add(1.0, coinsPerBig * b + coinsPerReg * r - n);
}

void AttemptTotals::merge(const AttemptTotals& other) {
    attempts += other.attempts;
    netLaw.merge(other.netLaw);
    gamesLaw.merge(other.gamesLaw);
    bigsLaw.merge(other.bigsLaw);
    cash.merge(other.cash);
    games += other.games;
    bigs += other.bigs;
    regs += other.regs;
    net += other.net;
    obtained += other.obtained;
    for (auto member : {&AttemptTotals::payout, &AttemptTotals::bigOdds, &AttemptTotals::regOdds,
                        &AttemptTotals::bonusOdds, &AttemptTotals::netPer1000Games,
                        &AttemptTotals::gamesPerAttempt, &AttemptTotals::netPerAttempt,
                        &AttemptTotals::bigsPerAttempt, &AttemptTotals::regsPerAttempt,
                        &AttemptTotals::costPerAttempt}) {
        (this->*member).merge(other.*member);
    }
}

}  // namespace korvale
