#include "analysis/measured/cash_totals.h"

namespace korvale {

void CashTotals::add(std::int64_t games, std::int64_t net, std::int64_t deepest) {
    deepestLaw.add(deepest);
    const std::int64_t lots = lotsBought(rates, deepest);
    const double yen = rates.pay == CoinSource::Cash ? yenFromCash(rates, net, deepest)
                                                     : yenOfCoins(rates, static_cast<double>(net));
    yenPerAttempt.add(1.0, yen);
    yenPerGame.add(static_cast<double>(games), yen);
    cashInPerAttempt.add(1.0, 1000.0 * static_cast<double>(lots));
    lotsPerAttempt.add(1.0, static_cast<double>(lots));
}

void CashTotals::merge(const CashTotals& other) {
    deepestLaw.merge(other.deepestLaw);
    yenPerAttempt.merge(other.yenPerAttempt);
    yenPerGame.merge(other.yenPerGame);
    cashInPerAttempt.merge(other.cashInPerAttempt);
    lotsPerAttempt.merge(other.lotsPerAttempt);
}

}  // namespace korvale
