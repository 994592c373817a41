#include "web/binding/run_share_json.h"

#include <cmath>
#include <stdexcept>

#include "common/status.h"

namespace korvale {
namespace {

using Json = nlohmann::json;

// The values a tally takes back: far inside 64 bits, so that its ranges cannot overflow.
constexpr std::int64_t largestTallyValue = std::int64_t{1} << 62;

[[noreturn]] void notAShare(const std::string& what) {
    throw StatusError(StatusReason::BadCommandLine, "parts: not a part of a run (" + what + ")");
}

const Json& at(const Json& json, const char* key) {
    if (!json.is_object() || !json.contains(key)) {
        notAShare(std::string("no ") + key);
    }
    return json.at(key);
}

std::int64_t count(const Json& json, const char* key) {
    const Json& value = at(json, key);
    if (!value.is_number_integer()) {
        notAShare(key);
    }
    return value.get<std::int64_t>();
}

double number(const Json& json, const char* key) {
    const Json& value = at(json, key);
    if (!value.is_number() || !std::isfinite(value.get<double>())) {
        notAShare(key);
    }
    return value.get<double>();
}

Json ratioJson(const RatioSums& sums) {
    return {{"units", sums.units}, {"units_with_x", sums.unitsWithX},
            {"x", sums.x},         {"y", sums.y},
            {"xx", sums.xx},       {"yy", sums.yy},
            {"xy", sums.xy},       {"negative", sums.negative}};
}

RatioSums ratioOf(const Json& json) {
    const Json& negative = at(json, "negative");
    if (!negative.is_boolean()) {
        notAShare("negative");
    }
    return {.units = count(json, "units"),
            .unitsWithX = count(json, "units_with_x"),
            .x = number(json, "x"),
            .y = number(json, "y"),
            .xx = number(json, "xx"),
            .yy = number(json, "yy"),
            .xy = number(json, "xy"),
            .negative = negative.get<bool>()};
}

Json tallyJson(const Tally& tally) {
    const Tally::Held held = tally.held();
    Json counts = Json::array();
    for (const auto& [value, times] : held.counts) {
        counts.push_back({value, times});
    }
    return {{"counts", std::move(counts)},
            {"total", held.total},
            {"sum", held.sum},
            {"squares", held.squares}};
}

Tally tallyOf(const Json& json) {
    Tally::Held held{.total = count(json, "total"),
                     .sum = number(json, "sum"),
                     .squares = number(json, "squares")};
    const Json& counts = at(json, "counts");
    if (!counts.is_array()) {
        notAShare("counts");
    }
    for (const Json& pair : counts) {
        if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number_integer() ||
            !pair[1].is_number_integer() ||
            std::llabs(pair[0].get<std::int64_t>()) > largestTallyValue) {
            notAShare("counts");
        }
        held.counts.emplace_back(pair[0].get<std::int64_t>(), pair[1].get<std::int64_t>());
    }
    try {
        return Tally::fromHeld(held);
    } catch (const std::invalid_argument& error) {
        notAShare(error.what());
    }
}

Json normalJson(const NormalTotals& totals) {
    return {{"games", totals.games},
            {"bigs", totals.bigs},
            {"regs", totals.regs},
            {"mode_games", totals.modeGames},
            {"mode_bigs", totals.modeBigs}};
}

NormalTotals normalOf(const Json& json) {
    NormalTotals totals{
        .games = count(json, "games"), .bigs = count(json, "bigs"), .regs = count(json, "regs")};
    for (const auto& [key, into] :
         {std::pair{"mode_games", &totals.modeGames}, std::pair{"mode_bigs", &totals.modeBigs}}) {
        const Json& list = at(json, key);
        if (!list.is_array() || list.size() != modeCount) {
            notAShare(key);
        }
        for (std::size_t m = 0; m < modeCount; ++m) {
            if (!list[m].is_number_integer()) {
                notAShare(key);
            }
            (*into)[m] = list[m].get<std::int64_t>();
        }
    }
    return totals;
}

template <typename T, typename Write>
Json listJson(const std::vector<T>& items, Write write) {
    Json list = Json::array();
    for (const T& item : items) {
        list.push_back(write(item));
    }
    return list;
}

template <typename Read>
auto listOf(const Json& json, const char* key, Read read) {
    const Json& list = at(json, key);
    if (!list.is_array()) {
        notAShare(key);
    }
    std::vector<decltype(read(list))> items;
    for (const Json& item : list) {
        items.push_back(read(item));
    }
    return items;
}

// The ratio sums of an attempt run, each under its key.
template <typename Totals>
auto ratioMembers(Totals& totals) {
    return std::array{std::pair{"payout", &totals.payout},
                      std::pair{"big_odds", &totals.bigOdds},
                      std::pair{"reg_odds", &totals.regOdds},
                      std::pair{"bonus_odds", &totals.bonusOdds},
                      std::pair{"net_per_1000_games", &totals.netPer1000Games},
                      std::pair{"games_per_attempt", &totals.gamesPerAttempt},
                      std::pair{"net_per_attempt", &totals.netPerAttempt},
                      std::pair{"bigs_per_attempt", &totals.bigsPerAttempt},
                      std::pair{"regs_per_attempt", &totals.regsPerAttempt},
                      std::pair{"cost_per_attempt", &totals.costPerAttempt}};
}

Json attemptJson(const AttemptTotals& totals) {
    Json json = {{"attempts", totals.attempts},
                 {"games", totals.games},
                 {"bigs", totals.bigs},
                 {"regs", totals.regs},
                 {"net", totals.net},
                 {"obtained", totals.obtained},
                 {"net_law", tallyJson(totals.netLaw)},
                 {"games_law", tallyJson(totals.gamesLaw)},
                 {"bigs_law", tallyJson(totals.bigsLaw)}};
    for (const auto& [key, sums] : ratioMembers(totals)) {
        json[key] = ratioJson(*sums);
    }
    const CashTotals& cash = totals.cash;
    json["cash"] = {{"deepest_law", tallyJson(cash.deepestLaw)},
                    {"yen_per_attempt", ratioJson(cash.yenPerAttempt)},
                    {"yen_per_game", ratioJson(cash.yenPerGame)},
                    {"cash_in_per_attempt", ratioJson(cash.cashInPerAttempt)},
                    {"lots_per_attempt", ratioJson(cash.lotsPerAttempt)}};
    return json;
}

AttemptTotals attemptOf(const Json& json, const HallRates& rates) {
    AttemptTotals totals;
    totals.attempts = count(json, "attempts");
    totals.games = count(json, "games");
    totals.bigs = count(json, "bigs");
    totals.regs = count(json, "regs");
    totals.net = count(json, "net");
    totals.obtained = count(json, "obtained");
    totals.netLaw = tallyOf(at(json, "net_law"));
    totals.gamesLaw = tallyOf(at(json, "games_law"));
    totals.bigsLaw = tallyOf(at(json, "bigs_law"));
    for (const auto& [key, sums] : ratioMembers(totals)) {
        *sums = ratioOf(at(json, key));
    }
    const Json& cash = at(json, "cash");
    totals.cash.rates = rates;
    totals.cash.deepestLaw = tallyOf(at(cash, "deepest_law"));
    totals.cash.yenPerAttempt = ratioOf(at(cash, "yen_per_attempt"));
    totals.cash.yenPerGame = ratioOf(at(cash, "yen_per_game"));
    totals.cash.cashInPerAttempt = ratioOf(at(cash, "cash_in_per_attempt"));
    totals.cash.lotsPerAttempt = ratioOf(at(cash, "lots_per_attempt"));
    return totals;
}

Json limitJson(const std::optional<CounterLimit>& limit) {
    if (!limit) {
        return nullptr;
    }
    return {{"key", limit->key},
            {"words", limit->words},
            {"shown", limit->shown},
            {"thread", limit->thread},
            {"games", limit->games}};
}

std::optional<CounterLimit> limitOf(const Json& json) {
    if (json.is_null()) {
        return std::nullopt;
    }
    CounterLimit limit{.thread = static_cast<int>(count(json, "thread")),
                       .games = count(json, "games")};
    for (const auto& [key, into] : {std::pair{"key", &limit.key}, std::pair{"words", &limit.words},
                                    std::pair{"shown", &limit.shown}}) {
        if (!at(json, key).is_string()) {
            notAShare(key);
        }
        *into = at(json, key).get<std::string>();
    }
    return limit;
}

}  // namespace

nlohmann::json shareToJson(const RunShare& share) {
    const NormalShare& normal = share.normal;
    return {{"games", share.games},
            {"limit", limitJson(share.limit)},
            {"normal",
             {{"totals", normalJson(normal.totals)},
              {"batches", listJson(normal.batches, normalJson)},
              {"big_gaps", tallyJson(normal.bigGaps)},
              {"bonus_gaps", tallyJson(normal.bonusGaps)},
              {"big_gap_batches", listJson(normal.bigGapBatches, tallyJson)},
              {"bonus_gap_batches", listJson(normal.bonusGapBatches, tallyJson)}}},
            {"attempt", attemptJson(share.attempt)}};
}

RunShare shareFromJson(const nlohmann::json& json, const HallRates& rates) {
    RunShare share;
    share.games = count(json, "games");
    share.limit = limitOf(at(json, "limit"));
    const Json& normal = at(json, "normal");
    share.normal.totals = normalOf(at(normal, "totals"));
    share.normal.batches = listOf(normal, "batches", normalOf);
    share.normal.bigGaps = tallyOf(at(normal, "big_gaps"));
    share.normal.bonusGaps = tallyOf(at(normal, "bonus_gaps"));
    share.normal.bigGapBatches = listOf(normal, "big_gap_batches", tallyOf);
    share.normal.bonusGapBatches = listOf(normal, "bonus_gap_batches", tallyOf);
    share.attempt = attemptOf(at(json, "attempt"), rates);
    return share;
}

}  // namespace korvale
