#include "batch/options/hall_rate_options.h"

#include <string>

#include "analysis/hall/hall_rates.h"

namespace korvale {

void addHallRateOptions(CLI::App& command, OptionTexts& texts) {
    command
        .add_option("--lend", texts.lend,
                    "coins the hall lends for ¥1000, a whole number 1 to " +
                        std::to_string(largestLend) + " (default: 50)")
        ->type_name("N");
    command
        .add_option("--exchange", texts.exchange,
                    "coins the hall takes for ¥100 when they are exchanged, 0.1 to 1000 (default: "
                    "5, 等価 at 50 lent; 5.6, 6 ...)")
        ->type_name("X");
    command
        .add_option("--pay", texts.pay,
                    "where an attempt's coins come from: coins (貯メダル, worth their exchange "
                    "value) or cash (現金: ¥1000 for --lend coins whenever the net would fall "
                    "below what was bought, the coins left exchanged at the end; the lots "
                    "worked out exactly for a rule that ends at the first BIG, else measured)")
        ->type_name("coins|cash")
        ->default_str("coins");
    command
        .add_option("--games-per-hour", texts.gamesPerHour,
                    "games played an hour, for the hours and the yen per hour, 1 to 100000 "
                    "(default: 800)")
        ->type_name("G");
}

void addCashSimulationOptions(CLI::App& command, OptionTexts& texts, long long attempts) {
    command
        .add_option("--attempts", texts.attempts,
                    "with --pay cash: attempts of the seeded simulation that measures how deep "
                    "each setting's attempts go, and so the cash put in, played unless the lots "
                    "are worked out exactly (default: " +
                        std::to_string(attempts) + ")")
        ->type_name("N");
    command
        .add_option("--seed", texts.seed,
                    "with --pay cash: the seed of that simulation (default: from the clock; "
                    "always printed)")
        ->type_name("S");
}

}  // namespace korvale
