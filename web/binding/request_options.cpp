#include "web/binding/request_options.h"

#include <fmt/format.h>


#include "analysis/attempt/attempt.h"
#include "common/checked_arithmetic.h"
#include "common/status.h"

namespace korvale {

std::optional<std::int32_t> readSetting(const EngineRequest& request) {
    if (const std::optional<std::int64_t> setting = request.whole("setting", 1, 6)) {
        return static_cast<std::int32_t>(*setting - 1);
    }
    return std::nullopt;
}

HallRates readRates(const EngineRequest& request) {
    HallRates rates;
    rates.lend =
        static_cast<std::int32_t>(request.whole("lend", 1, largestLend).value_or(rates.lend));
    rates.exchange =
        request.decimal("exchange", smallestExchange, largestExchange).value_or(rates.exchange);
    if (request.choice("pay", {"coins", "cash"}).value_or("coins") == "cash") {
        rates.pay = CoinSource::Cash;
    }
    rates.gamesPerHour =
        request.decimal("games_per_hour", smallestGamesPerHour, largestGamesPerHour)
            .value_or(rates.gamesPerHour);
    return rates;
}

std::optional<EndConditions> readEnd(const EngineRequest& request, EndConditions defaults) {
    constexpr double counter = 2147483647.0;
    const std::optional<double> bigEnd = request.decimal("big_end", 0.0, counter);
    const std::optional<double> regEnd = request.decimal("reg_end", 0.0, counter);
    if (!bigEnd && !regEnd) {
        return std::nullopt;
    }
    EndConditions end = defaults;
    end.bigEnd = bigEnd.value_or(end.bigEnd);
    if (regEnd) {
        end.regEnd = toInt32HalfEven(*regEnd);
    }
    return end;
}

void checkExactEnd(const EndConditions& end) {
    if (end.bigEnd > largestBigEnd) {
        throw StatusError(
            StatusReason::EndBeyondTables,
            fmt::format("big_end: the exact figures take a BIG end of at most {}", largestBigEnd));
    }
    if (end.regEnd > largestRegEnd) {
        throw StatusError(
            StatusReason::EndBeyondTables,
            fmt::format("reg_end: the exact figures take a REG end of at most {}", largestRegEnd));
    }
}

}  // namespace korvale
