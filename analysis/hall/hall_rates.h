#pragma once

// What a hall charges and pays, and how fast a player plays: coins lent per ¥1000, coins taken
// per ¥100 when exchanged, whether an attempt is played from stored coins or bought with cash,
// and games per hour. Numbers only.

#include <cstdint>

namespace korvale {

// Where the coins an attempt plays come from.
enum class CoinSource {
    Stored,  // 貯メダル: coins the player already holds, worth their exchange value
    Cash,    // 現金: bought `lend` at a time for ¥1000, the coins left exchanged at the end
};

struct HallRates {
    std::int32_t lend = 50;  // coins lent per ¥1000
    double exchange = 5.0;   // coins per ¥100 when exchanged (5.0 at 50 lent: 等価)
    CoinSource pay = CoinSource::Stored;
    double gamesPerHour = 800.0;
};

// The limits the command line and the window hold the rates to.
inline constexpr std::int32_t largestLend = 1000;
inline constexpr double smallestExchange = 0.1;
inline constexpr double largestExchange = 1000.0;
inline constexpr double smallestGamesPerHour = 1.0;
inline constexpr double largestGamesPerHour = 100000.0;

// Coins exchanged: coins × 100 / exchange.
double yenOfCoins(const HallRates& rates, double coins);

// The ¥1000 lots a player from cash buys in an attempt whose net falls `deepest` coins below
// its start at its lowest (0 when it never does): ⌈deepest / lend⌉.
std::int64_t lotsBought(const HallRates& rates, std::int64_t deepest);

// The yen of one attempt played from cash: the coins bought and the attempt's net exchanged at
// the end, less the cash put in.
double yenFromCash(const HallRates& rates, std::int64_t net, std::int64_t deepest);

// The yen one lot costs beyond what its coins fetch at the exchange: ¥1000 less lend coins
// exchanged (0 at 等価, above 0 when coins are lent dearer than they are taken back).
double lossPerLot(const HallRates& rates);

double hoursOfGames(const HallRates& rates, double games);

// The lowest net an attempt reaches: the net after each game, as get差枚 gives it, falls only
// by the game's cost between bonuses, so its lowest points are the games before each bonus and
// the last game. Fed those, it keeps how deep the net went below 0.
class DeepestPoint {
  public:
    void see(std::int64_t net) {
        if (-net > deepest_) {
            deepest_ = -net;
        }
    }
    std::int64_t deepest() const { return deepest_; }

  private:
    std::int64_t deepest_ = 0;
};

}  // namespace korvale
