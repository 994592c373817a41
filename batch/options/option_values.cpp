#include "batch/options/option_values.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "analysis/attempt/attempt.h"
#include "analysis/found/hunt_table.h"
#include "batch/options/option_error.h"
#include "batch/options/option_table.h"
#include "common/number_text.h"
#include "common/text_encoding.h"

namespace korvale {
namespace {

// A whole number written as plain digits, within [low, high].
template <typename Integer>
Integer readWhole(std::string_view option, std::string_view text, Integer low, Integer high,
                  std::string_view expected) {
    const std::optional<WholeNumber> whole = tryReadWhole(text, NumberForm::Digits);
    if (!whole || whole->beyond64Bits || std::cmp_less(whole->magnitude, low) ||
        std::cmp_greater(whole->magnitude, high)) {
        badValue(option, expected, text);
    }
    return static_cast<Integer>(whole->magnitude);
}

// A whole-number option's value, within the limits the option table gives it for the command.
template <typename Integer>
Integer readWholeOption(const OptionTexts& texts, std::string_view name) {
    const WholeLimits& limits = *optionRow(texts.command, name).whole;
    return readWhole<Integer>(name, texts.text(name), static_cast<Integer>(limits.low),
                              static_cast<Integer>(limits.high), limits.form);
}

// A decimal as a script writes one: an optional sign, digits and at most one point. A text
// beyond what a double holds reads as an infinity, beyond every limit; one too small to be told
// from 0 is refused rather than read as 0.
double readDecimal(std::string_view option, std::string_view text, std::string_view expected) {
    const std::optional<StrictNumber> number = tryReadStrict(text, NumberForm::Decimal);
    if (!number) {
        badValue(option, expected, text);
    }
    if (number->tooSmall) {
        optionError(option,
                    fmt::format("\"{}\" is too small to be told from 0", printableText(text)));
    }
    return number->value;
}

[[noreturn]] void beyondGameCounter(std::string_view option, std::string_view text) {
    optionError(option, fmt::format("\"{}\" is beyond the 32-bit game counter (at most {})",
                                    printableText(text), std::numeric_limits<std::int32_t>::max()));
}

// FIRST:LAST:STEP, whole numbers with 0 <= FIRST <= LAST <= largest and STEP >= 1.
void readRange(std::string_view option, const std::string& text, std::int32_t largest,
               std::int32_t& first, std::int32_t& last, std::int32_t& step) {
    const std::string expected = fmt::format(
        "FIRST:LAST:STEP with 0 <= FIRST <= LAST <= {}, "
        "STEP 1 to 2147483647, such as 0:1000:50",
        largest);
    const std::size_t colon1 = text.find(':');
    const std::size_t colon2 = colon1 == std::string::npos ? colon1 : text.find(':', colon1 + 1);
    if (colon2 == std::string::npos) {
        badValue(option, expected, text);
    }
    const std::string_view all(text);
    first = readWhole<std::int32_t>(option, all.substr(0, colon1), 0, largest, expected);
    last = readWhole<std::int32_t>(option, all.substr(colon1 + 1, colon2 - colon1 - 1), first,
                                   largest, expected);
    step = readWhole<std::int32_t>(option, all.substr(colon2 + 1), 1, INT32_MAX, expected);
}

// Six weights P1,...,P6, decimals of at least 0 that are not all 0, whose sum as typed is below
// 10^308.
SettingVector readPrior(const std::string& text) {
    const std::string_view expected =
        "six weights of 設定１..設定６ separated by commas, each at least 0, not all 0, their sum "
        "below 10^308, such as 1,1,1,2,2,2";
    SettingVector weights{};
    std::string_view rest(text);
    std::string total = "0";
    for (std::size_t s = 0; s < weights.size(); ++s) {
        const std::size_t comma = rest.find(',');
        if ((comma == std::string_view::npos) != (s + 1 == weights.size())) {
            badValue("--prior", expected, text);
        }
        const std::string_view weight = rest.substr(0, comma);
        weights[s] = readDecimal("--prior", weight, expected);
        if (compareDecimals(weight, "0") < 0) {
            badValue("--prior", expected, text);
        }
        total = sumOfDecimals(total, weight);
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    if (compareDecimals(total, "0") == 0 ||
        compareDecimals(total, "1" + std::string(308, '0')) >= 0) {
        badValue("--prior", expected, text);
    }
    return weights;
}

// The setting and the amount of play.
void readAmounts(const OptionTexts& texts, BatchOptions& o) {
    if (texts.wasGiven("--setting")) {
        o.setting = readWholeOption<std::int32_t>(texts, "--setting") - 1;
        o.settingGiven = true;
    }
    if (texts.wasGiven("--games")) {
        o.games = readWholeOption<std::int64_t>(texts, "--games");
    }
    if (texts.wasGiven("--attempts")) {
        o.attempts = readWholeOption<std::int64_t>(texts, "--attempts");
    }
    if (texts.wasGiven("--day-games") || texts.wasGiven("--days")) {
        o.dayGames = texts.wasGiven("--day-games")
                         ? readWholeOption<std::int32_t>(texts, "--day-games")
                         : defaultDayGames;
    }
    if (texts.wasGiven("--days")) {
        o.days = readWholeOption<std::int64_t>(texts, "--days");
    }
    if (texts.wasGiven("--seconds")) {
        const std::string_view expected =
            "a number of seconds above 0 and at most 1000000000, such as 10 or 2.5";
        const double seconds = readDecimal("--seconds", texts.text("--seconds"), expected);
        if (compareDecimals(texts.text("--seconds"), "0") <= 0 ||
            compareDecimals(texts.text("--seconds"), "1000000000") > 0) {
            badValue("--seconds", expected, texts.text("--seconds"));
        }
        o.seconds = seconds;
    }
}

// The end conditions of an attempt. The BIG end is kept as the decimal it is; the REG end is
// rounded to the nearest whole game, halves to even, from its digits.
void readEnds(const OptionTexts& texts, BatchOptions& o) {
    if (texts.wasGiven("--big-end")) {
        const std::string_view expected = "a decimal number of games, 0 or more, such as 300";
        o.end.bigEnd = readDecimal("--big-end", texts.text("--big-end"), expected);
        o.bigEndTyped = texts.text("--big-end");
        if (o.end.bigEnd < 0.0) {
            badValue("--big-end", expected, texts.text("--big-end"));
        }
        if (std::isinf(o.end.bigEnd)) {
            beyondGameCounter("--big-end", texts.text("--big-end"));
        }
        o.endGiven = true;
    }
    if (texts.wasGiven("--reg-end")) {
        const std::string_view expected = "a decimal number of games, 0 or more, such as 100";
        if (readDecimal("--reg-end", texts.text("--reg-end"), expected) < 0.0) {
            badValue("--reg-end", expected, texts.text("--reg-end"));
        }
        const std::optional<WholeNumber> games =
            tryReadNearestWhole(texts.text("--reg-end"), NumberForm::Decimal);
        if (games->beyond64Bits ||
            std::cmp_greater(games->magnitude, std::numeric_limits<std::int32_t>::max())) {
            beyondGameCounter("--reg-end", texts.text("--reg-end"));
        }
        o.end.regEnd = static_cast<std::int32_t>(games->magnitude);
        o.endGiven = true;
    }
}

// How the run goes: threads, seed, the sweep's grid and the output format.
void readRunValues(const OptionTexts& texts, BatchOptions& o) {
    if (texts.wasGiven("--max-games")) {
        o.maxGames = readWholeOption<std::int32_t>(texts, "--max-games");
        o.grid.maxGames = o.maxGames;
    }
    if (texts.wasGiven("--threads")) {
        o.threads = readWholeOption<int>(texts, "--threads");
    }
    if (texts.wasGiven("--seed")) {
        o.seed = readWholeOption<std::uint64_t>(texts, "--seed");
    }
    if (texts.wasGiven("--big-ends")) {
        readRange("--big-ends", texts.text("--big-ends"), static_cast<std::int32_t>(largestBigEnd),
                  o.grid.bigEndFirst, o.grid.bigEndLast, o.grid.bigEndStep);
    }
    if (texts.wasGiven("--reg-ends")) {
        readRange("--reg-ends", texts.text("--reg-ends"), largestRegEnd, o.grid.regEndFirst,
                  o.grid.regEndLast, o.grid.regEndStep);
    }
    if (const auto format = parseOutputFormat(texts.text("--format"))) {
        o.format = *format;
    } else {
        badValue("--format", "table, csv or json", texts.text("--format"));
    }
}

// A decimal from `smallest` to `largest`, as typed: a text beyond them is refused though the
// double it rounds to may be one of them.
double readBetween(std::string_view option, const std::string& text, double smallest,
                   double largest, std::string_view expected) {
    const double value = readDecimal(option, text, expected);
    if (compareDecimals(text, numberText(smallest)) < 0 ||
        compareDecimals(text, numberText(largest)) > 0) {
        badValue(option, expected, text);
    }
    return value;
}

// The hall's rates: coins lent per ¥1000, coins per ¥100 exchanged, where the coins come from,
// and the games of an hour.
void readHallRates(const OptionTexts& texts, BatchOptions& o) {
    if (texts.wasGiven("--lend")) {
        o.rates.lend = readWholeOption<std::int32_t>(texts, "--lend");
    }
    if (texts.wasGiven("--exchange")) {
        o.rates.exchange =
            readBetween("--exchange", texts.text("--exchange"), smallestExchange, largestExchange,
                        fmt::format("coins for ¥100, {} to {}, such as 5 or 5.6", smallestExchange,
                                    largestExchange));
    }
    if (texts.text("--pay") == "coins" || texts.text("--pay") == "cash") {
        o.rates.pay = texts.text("--pay") == "cash" ? CoinSource::Cash : CoinSource::Stored;
    } else {
        badValue("--pay", "coins or cash", texts.text("--pay"));
    }
    if (texts.wasGiven("--games-per-hour")) {
        o.rates.gamesPerHour = readBetween("--games-per-hour", texts.text("--games-per-hour"),
                                           smallestGamesPerHour, largestGamesPerHour,
                                           fmt::format("games an hour, {} to {}, such as 800",
                                                       smallestGamesPerHour, largestGamesPerHour));
    }
    for (const OptionRow* rate : optionsOf(texts.command)) {
        if (texts.command == Command::Infer && !o.endGiven && rate->hallRate &&
            texts.wasGiven(rate->name)) {
            optionError(rate->name,
                        "the hall's rates price what playing on is worth, which needs --big-end "
                        "or --reg-end");
        }
    }
}

// Where the attempt starts and the hunt's grid. The hunt's rule stops at the
// first BIG unless told otherwise.
void readFoundValues(const OptionTexts& texts, BatchOptions& o) {
    if (texts.command == Command::Hunt) {
        o.end.bigEnd = texts.wasGiven("--big-end") ? o.end.bigEnd : 0.0;
        o.end.regEnd = texts.wasGiven("--reg-end") ? o.end.regEnd : 0;
        o.endGiven = true;
    }
    if (texts.wasGiven("--since-big")) {
        o.sinceBig = readWholeOption<std::int32_t>(texts, "--since-big");
        o.grid.sinceBig = o.sinceBig;
    }
    if (texts.wasGiven("--since-big-grid")) {
        HuntGrid& grid = o.huntGrid;
        readRange("--since-big-grid", texts.text("--since-big-grid"), largestGamesSinceBig,
                  grid.first, grid.last, grid.step);
        if ((grid.last - grid.first) / grid.step + 1 > static_cast<int>(largestHuntPoints)) {
            optionError(
                "--since-big-grid",
                fmt::format("\"{}\" has more than {} counts",
                            printableText(texts.text("--since-big-grid")), largestHuntPoints));
        }
    }
}

// The history, its start, the games after its last bonus and the prior.
void readInferValues(const OptionTexts& texts, BatchOptions& o) {
    if (texts.command == Command::Infer) {
        if (texts.text("file").empty()) {
            badValue("FILE", "a file name, or - for standard input", texts.text("file"));
        }
        o.historyPath = texts.text("file");
        if (texts.text("--start") == "morning" || texts.text("--start") == "joined") {
            o.start =
                texts.text("--start") == "morning" ? HistoryStart::Morning : HistoryStart::Joined;
        } else {
            badValue("--start", "morning or joined", texts.text("--start"));
        }
    }
    if (texts.wasGiven("--trailing")) {
        o.trailingGames = readWholeOption<std::int32_t>(texts, "--trailing");
    }
    if (texts.wasGiven("--prior")) {
        o.prior = readPrior(texts.text("--prior"));
    }
}

// --since-big and --prior where an attempt from a found machine can take them.
void checkFoundCombinations(const BatchOptions& o) {
    if (o.command == Command::Exact && o.maxGames && !o.endGiven) {
        optionError("--max-games", "a game limit ends an attempt: give --big-end or --reg-end");
    }
    if (o.command == Command::Exact && o.sinceBig && !o.endGiven) {
        optionError("--since-big",
                    "an attempt from a found machine needs --big-end or --reg-end (hunt's rule, "
                    "to the first BIG: --big-end 0 --reg-end 0)");
    }
    if ((o.command == Command::Exact || o.command == Command::Hunt) && o.prior && o.settingGiven) {
        optionError("--prior", "the prior weighs the six settings: leave out --setting");
    }
    if (o.command == Command::Exact && o.prior && !o.sinceBig) {
        optionError("--prior", "the prior weighs the settings given --since-big G");
    }
}

// The hall's rates of a normal run are a day's.
void checkDayRates(const OptionTexts& texts, const BatchOptions& o) {
    if (texts.command != Command::SimulateNormal || o.dayGames) {
        return;
    }
    for (const OptionRow* rate : optionsOf(texts.command)) {
        if (rate->hallRate && texts.wasGiven(rate->name)) {
            optionError(rate->name,
                        "the hall's rates of a normal run are a day's: give --day-games N or "
                        "--days D");
        }
    }
}

// A day: from the morning to its last game, without an end rule.
void checkDayCombinations(const BatchOptions& o) {
    if (o.command == Command::SimulateNormal && o.dayGames && o.games) {
        optionError("--games", "a day run counts days: give --days D");
    }
    if (o.command != Command::Exact || !o.dayGames) {
        return;
    }
    if (o.endGiven || o.sinceBig || o.laws || o.maxGames || o.prior) {
        optionError("--day-games",
                    "a day is played from the morning to its last game: leave out the end "
                    "conditions, --max-games, --since-big, --prior and --laws");
    }
    if (o.rates.pay == CoinSource::Cash) {
        optionError("--pay", "the cash a day puts in is measured by simulate normal --day-games");
    }
}

}  // namespace

BatchOptions readOptionValues(const OptionTexts& texts) {
    BatchOptions o;
    o.command = texts.command;
    readAmounts(texts, o);
    readEnds(texts, o);
    readRunValues(texts, o);
    readHallRates(texts, o);
    readInferValues(texts, o);
    readFoundValues(texts, o);
    if (texts.wasGiven("--log")) {
        if (texts.text("--log").empty()) {
            badValue("--log", "a file name", texts.text("--log"));
        }
        o.logPath = texts.text("--log");
    }
    o.laws = texts.flag("--laws");
    o.frontier = texts.flag("--frontier");
    o.meansOnly = texts.flag("--means-only");
    checkDayRates(texts, o);
    return o;
}

void checkCombinations(const BatchOptions& o) {
    const int amounts =
        (o.games ? 1 : 0) + (o.attempts ? 1 : 0) + (o.seconds ? 1 : 0) + (o.days ? 1 : 0);
    if (amounts > 1) {
        optionError(o.seconds ? "--seconds" : "--attempts",
                    "give only one of the amount of play and --seconds S");
    }
    if (o.frontier && o.meansOnly) {
        optionError("--frontier",
                    "the frontier needs each rule's chance to end ahead, which --means-only "
                    "leaves out");
    }
    if (o.frontier && o.maxGames) {
        optionError("--frontier",
                    "the frontier needs each rule's chance to end ahead, which is not worked out "
                    "for an attempt with a game limit");
    }
    const bool exactCommand = o.command == Command::Exact || o.command == Command::Sweep;
    if (exactCommand && o.rates.pay != CoinSource::Cash && (o.attempts || o.seed)) {
        optionError(o.attempts ? "--attempts" : "--seed",
                    "the simulation of the cash put in needs --pay cash");
    }
    // A day's refusals first: the others would ask for end conditions a day leaves out.
    checkDayCombinations(o);
    if (o.laws && !o.endGiven) {
        optionError("--laws", "the laws of an attempt need --big-end or --reg-end");
    }
    checkFoundCombinations(o);
}

}  // namespace korvale
