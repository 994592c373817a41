#include "analysis/hall/hall_rates.h"

namespace korvale {

double yenOfCoins(const HallRates& rates, double coins) {
    return coins * 100.0 / rates.exchange;
}

std::int64_t lotsBought(const HallRates& rates, std::int64_t deepest) {
    if (deepest <= 0) {
        return 0;
    }
    return (deepest + rates.lend - 1) / rates.lend;
}

double yenFromCash(const HallRates& rates, std::int64_t net, std::int64_t deepest) {
    const std::int64_t lots = lotsBought(rates, deepest);
    const std::int64_t bought = lots * rates.lend;
    return yenOfCoins(rates, static_cast<double>(bought + net)) -
           1000.0 * static_cast<double>(lots);
}

double lossPerLot(const HallRates& rates) {
    return 1000.0 - yenOfCoins(rates, static_cast<double>(rates.lend));
}

double hoursOfGames(const HallRates& rates, double games) {
    return games / rates.gamesPerHour;
}

}  // namespace korvale
