// The hall's rates in korvale-batch: yen from stored coins, from cash (the lots bought down to
// each attempt's deepest point), the hours, and the refusal of bad rates.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "common/random_source.h"
#include "machine/attempt_end.h"
#include "machine/cls_korvale.h"
#include "tests/batch/commands/program_outcome.h"

namespace korvale {
namespace {

using Json = nlohmann::json;
using testing::Outcome;
using testing::run;

Json jsonOf(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--format", "json"});
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return Json::parse(outcome.out);
}

double valueOf(const Json& group, const std::string& key) {
    return group.at("figures").at(key).at("value").get<double>();
}

const Json& groupOf(const Json& report, const std::string& source) {
    for (const Json& group : report.at("results")) {
        if (group.at("scope") == "attempt" && group.at("source") == source) {
            return group;
        }
    }
    throw std::runtime_error("no attempt group from " + source);
}

// From stored coins the yen are the exact net × 100 / exchange to the last digit, and the yen
// per hour those yen over the expected games at the games an hour, for every rule and rate: each
// rule at one of the rates in turn (the yen are the net scaled, whatever rule gave it).
TEST(YenCommandTest, StoredCoinsAreTheNetExchanged) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"5", {"--big-end", "300", "--reg-end", "100"}},
        {"5.6", {"--big-end", "0", "--reg-end", "0"}},
        {"6.25", {"--big-end", "150.5", "--reg-end", "50"}},
        {"5.6", {"--big-end", "1000", "--reg-end", "300"}}};
    for (const auto& [exchange, rule] : cases) {
        std::vector<std::string> arguments = {"exact",      "--setting",        "6",
                                              "--exchange", exchange,           "--lend",
                                              "46",         "--games-per-hour", "750"};
        arguments.insert(arguments.end(), rule.begin(), rule.end());
        const Json report = jsonOf(arguments);
        const Json& group = groupOf(report, "exact");
        const double net = valueOf(group, "net_coins_per_attempt");
        const double yen = net * 100.0 / std::stod(exchange);
        SCOPED_TRACE(exchange + " " + rule[1] + "/" + rule[3]);
        EXPECT_EQ(valueOf(group, "yen_per_attempt"), yen);
        const double games = valueOf(group, "games_per_attempt");
        EXPECT_DOUBLE_EQ(valueOf(group, "hours_per_attempt"), games / 750.0);
        EXPECT_DOUBLE_EQ(valueOf(group, "yen_per_hour"), yen * 750.0 / games);
    }
    // The sweep's rules, their cost unrounded, likewise.
    const Json sweep = jsonOf({"sweep", "--setting", "2", "--big-ends", "0:600:300", "--reg-ends",
                               "0:200:100", "--means-only", "--exchange", "5.6"});
    ASSERT_EQ(sweep.at("results").size(), 9U);
    for (const Json& rule : sweep.at("results")) {
        EXPECT_EQ(valueOf(rule, "yen_per_attempt_unrounded_cost"),
                  valueOf(rule, "net_coins_per_attempt_unrounded_cost") * 100.0 / 5.6);
    }
    // The 狙い目 table's curves at every count, the mixture's among them.
    const Json hunt = jsonOf({"hunt", "--since-big-grid", "1100:1500:200", "--exchange", "5.6",
                              "--games-per-hour", "750"});
    ASSERT_EQ(hunt.at("results").size(), 7U);
    for (const Json& column : hunt.at("results")) {
        const Json& series = column.at("series");
        const Json& net = series.at("net_coins_per_attempt_unrounded_cost").at("value");
        const Json& perHour = series.at("net_per_hour_unrounded_cost").at("value");
        ASSERT_EQ(net.size(), 3U);
        for (std::size_t i = 0; i < net.size(); ++i) {
            EXPECT_EQ(series.at("yen_per_attempt_unrounded_cost").at("value")[i].get<double>(),
                      net[i].get<double>() * 100.0 / 5.6);
            EXPECT_DOUBLE_EQ(series.at("yen_per_hour_unrounded_cost").at("value")[i].get<double>(),
                             perHour[i].get<double>() * 100.0 / 5.6);
        }
    }
    // The found machine's mixture over the settings.
    const Json found = jsonOf({"exact", "--since-big", "1200", "--big-end", "0", "--exchange",
                               "5.6", "--games-per-hour", "750"});
    const Json& mixture = found.at("results").back();
    ASSERT_TRUE(mixture.at("setting").is_null());
    EXPECT_EQ(valueOf(mixture, "yen_per_attempt"),
              valueOf(mixture, "net_coins_per_attempt") * 100.0 / 5.6);
    EXPECT_DOUBLE_EQ(valueOf(mixture, "hours_per_attempt"),
                     valueOf(mixture, "games_per_attempt") / 750.0);
}

// At 等価 (50 lent and 5 taken per ¥100) no lot loses anything: from cash the yen are those from
// stored coins, in exact beside its simulation and in a run of attempts alike.
TEST(YenCommandTest, AtParCashIsWorthStoredCoins) {
    const std::vector<std::string> rule = {"--setting", "3", "--big-end", "200", "--reg-end", "50"};
    std::vector<std::string> exact = {"exact", "--pay",  "cash", "--attempts",
                                      "2000",  "--seed", "4"};
    exact.insert(exact.end(), rule.begin(), rule.end());
    const Json cash = jsonOf(exact);
    EXPECT_EQ(valueOf(groupOf(cash, "simulated"), "yen_per_attempt"),
              valueOf(groupOf(cash, "exact"), "net_coins_per_attempt") * 20.0);
    for (const std::string key : {"yen_per_attempt", "yen_per_hour"}) {
        std::vector<double> values;
        for (const std::string pay : {"cash", "coins"}) {
            std::vector<std::string> special = {"simulate", "special", "--attempts", "3000",
                                                "--seed",   "9",       "--threads",  "2",
                                                "--pay",    pay};
            special.insert(special.end(), rule.begin(), rule.end());
            values.push_back(valueOf(groupOf(jsonOf(special), "simulated"), key));
        }
        EXPECT_EQ(values[0], values[1]) << key;
    }
}

// The cash put in from an independent simulation: each attempt played game by game on the
// machine model, get差枚 asked after every game, ¥1000 for each 50 coins the lowest net went
// below 0. Returns the mean and its standard error.
std::pair<double, double> cashInByHand(std::int32_t setting, const EndConditions& end, int attempts,
                                       std::uint64_t seed) {
    Xoshiro256PlusPlus random(seed);
    double sum = 0.0;
    double squares = 0.0;
    for (int a = 0; a < attempts; ++a) {
        clsKorvale machine(random);
        machine.mlngSettei = setting;
        std::int64_t sinceBig = 0;
        std::int64_t sinceReg = 0;
        std::int32_t lowest = 0;
        std::int32_t num = 0;
        std::int32_t mode = 0;
        std::int32_t simauta = 0;
        std::string rate;
        std::int32_t obtained = 0;
        do {
            ++sinceBig;
            ++sinceReg;
            const std::string& result = machine.Play(num, mode, simauta);
            sinceBig = result == "BIG" ? 0 : sinceBig;
            sinceReg = result == "REG" ? 0 : sinceReg;
            lowest = std::min(lowest, machine.get差枚(rate, obtained));
        } while (!attemptIsOver(end, machine.mlngBigCnt, sinceBig, machine.mlngRegCnt, sinceReg));
        const double cash = 1000.0 * std::ceil(-lowest / 50.0);
        sum += cash;
        squares += cash * cash;
    }
    const double mean = sum / attempts;
    return {mean, std::sqrt((squares / attempts - mean * mean) / (attempts - 1))};
}

// From cash at 5.6 the program's cash in (exact's seeded simulation) agrees with the game-by-game
// one within 99%, on four rules over two settings; the yen are the exact net exchanged less
// ¥1000 − 50 × 100 / 5.6 for each lot.
TEST(YenCommandTest, CashInAgreesWithAGameByGameSimulation) {
    const std::vector<EndConditions> rules = {{300.0, 100}, {0.0, 0}, {100.0, 300}, {600.0, 50}};
    constexpr int attempts = 4000;  // by hand; the program's, cheap, five times as many
    for (const std::int32_t setting : {0, 5}) {
        for (const EndConditions& end : rules) {
            const Json report =
                jsonOf({"exact", "--setting", std::to_string(setting + 1), "--big-end",
                        std::to_string(end.bigEnd), "--reg-end", std::to_string(end.regEnd),
                        "--pay", "cash", "--exchange", "5.6", "--attempts",
                        std::to_string(5 * attempts), "--seed", "21"});
            const Json& measured = groupOf(report, "simulated");
            const double cashIn = valueOf(measured, "cash_in_per_attempt");
            const Json& interval = measured.at("figures").at("cash_in_per_attempt").at("ci95");
            const double programError = (interval[1].get<double>() - cashIn) / 1.959964;
            const auto [byHand, handError] = cashInByHand(setting, end, attempts, 77 + setting);
            SCOPED_TRACE(std::to_string(setting) + " " + std::to_string(end.bigEnd));
            EXPECT_LE(std::abs(cashIn - byHand), 2.5758 * std::hypot(programError, handError));
            const Json& exact = groupOf(report, "exact");
            const double net = valueOf(exact, "net_coins_per_attempt");
            EXPECT_NEAR(valueOf(measured, "yen_per_attempt"),
                        net * 100.0 / 5.6 - (1000.0 - 5000.0 / 5.6) * cashIn / 1000.0, 1e-6);
            // Quitting at the first BIG, the exact group holds the cash in worked out.
            if (end.bigEnd == 0.0) {
                const double exactIn = valueOf(exact, "cash_in_per_attempt");
                EXPECT_LE(std::abs(exactIn - byHand), 2.5758 * handError);
                EXPECT_NEAR(valueOf(exact, "yen_per_attempt"),
                            net * 100.0 / 5.6 - (1000.0 - 5000.0 / 5.6) * exactIn / 1000.0, 1e-6);
            }
        }
    }
}

// The attempt groups of a report from one source, in order: the settings' then the mixture's.
std::vector<const Json*> groupsOf(const Json& report, const std::string& source) {
    std::vector<const Json*> groups;
    for (const Json& group : report.at("results")) {
        if (group.at("scope") == "attempt" && group.at("source") == source) {
            groups.push_back(&group);
        }
    }
    return groups;
}

// A machine found at 1200 games, setting unknown, from cash at 5.6: the mixture's yen and cash
// in are the settings' rows weighed by their posteriors, exact when the rule quits at the
// first BIG (and the measure beside them within its interval), measured for a longer rule.
TEST(YenCommandTest, TheMixtureFromCashIsThePosteriorWeighedRows) {
    struct Rule {
        std::string bigEnd;
        std::string source;  // where the yen of the settings' rows come from
        double tolerance;
    };
    for (const Rule& rule : {Rule{"0", "exact", 1e-9}, Rule{"300", "simulated", 1e-9}}) {
        SCOPED_TRACE(rule.bigEnd);
        const Json report =
            jsonOf({"exact", "--since-big", "1200", "--big-end", rule.bigEnd, "--reg-end", "0",
                    "--pay", "cash", "--exchange", "5.6", "--seed", "3", "--attempts", "3000"});
        const std::vector<const Json*> exact = groupsOf(report, "exact");
        const std::vector<const Json*> rows = groupsOf(report, rule.source);
        ASSERT_EQ(exact.size(), 7u);
        ASSERT_EQ(rows.size(), 7u);
        double yen = 0.0;
        double cashIn = 0.0;
        for (std::size_t s = 0; s < 6; ++s) {
            const double posterior = valueOf(*exact[s], "posterior");
            yen += posterior * valueOf(*rows[s], "yen_per_attempt");
            cashIn += posterior * valueOf(*rows[s], "cash_in_per_attempt");
        }
        const Json& mixture = *rows.back();
        EXPECT_NEAR(valueOf(mixture, "yen_per_attempt"), yen, rule.tolerance * std::abs(yen));
        EXPECT_NEAR(valueOf(mixture, "cash_in_per_attempt"), cashIn, 1e-9 * cashIn);
        const double hours = valueOf(*exact.back(), "hours_per_attempt");
        EXPECT_NEAR(valueOf(mixture, "yen_per_hour"), yen / hours, 1e-9 * std::abs(yen / hours));
        const Json& interval =
            groupsOf(report, "simulated").back()->at("figures").at("yen_per_attempt").at("ci95");
        EXPECT_LE(interval[0].get<double>(), yen);
        EXPECT_GE(interval[1].get<double>(), yen);
    }
}

// hunt from cash, quitting at the first BIG: at 等価 a lot loses nothing and the break-even in
// yen is the one in coins; at 5.6, 設定１ found at 1500 (every game at the ceiling's chance)
// buys 2.450308 lots of 50 coins (a pass over the coins in hand alone, worked outside this
// program) and nets 295.580 coins (typed from hunt), ¥5015.68 an attempt; the break-even in
// yen is the least count from which every yen figure of the column is above 0.
TEST(YenCommandTest, HuntFromCashGivesTheBreakEvenInYen) {
    // The grid's counts from 1000 on hold every break-even; under the sanitizers' slowdown only
    // those are worked.
#ifdef KORVALE_SANITIZED
    const std::string grid = "1000:1500:50";
#else
    const std::string grid = "0:1500:50";
#endif
    const auto hunt = [&grid](const std::string& exchange) {
        return jsonOf({"hunt", "--big-end", "0", "--reg-end", "0", "--pay", "cash", "--exchange",
                       exchange, "--since-big-grid", grid});
    };
    const Json par = hunt("5");
    for (const Json& group : par.at("results")) {
        EXPECT_EQ(group.at("figures").at("break_even_yen"), group.at("figures").at("break_even"));
    }
    const Json dear = hunt("5.6");
    for (const Json& group : dear.at("results")) {
        const Json* yen = &group.at("series").at("yen_per_attempt_unrounded_cost");
        const std::vector<double> x = yen->at("x").get<std::vector<double>>();
        const std::vector<double> values = yen->at("value").get<std::vector<double>>();
        std::size_t from = values.size();
        while (from > 0 && values[from - 1] > 0.0) {
            --from;
        }
        ASSERT_LT(from, values.size());
        EXPECT_EQ(valueOf(group, "break_even_yen"), x[from]);
        EXPECT_GE(valueOf(group, "break_even_yen"), valueOf(group, "break_even"));
    }
    const Json& first = dear.at("results").at(0).at("series");
    EXPECT_NEAR(first.at("yen_per_attempt_unrounded_cost").at("value").back().get<double>(),
                295.580 * 100.0 / 5.6 - (1000.0 - 5000.0 / 5.6) * 2.450308, 0.1);
}

// Bad rates are refused as every option is: status 2, one line naming the option and its
// limits, nothing on standard output.
TEST(YenCommandTest, BadRatesAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"--lend", "0"},           {"--lend", "1001"},
        {"--lend", "45.5"},        {"--exchange", "0"},
        {"--exchange", "-5"},      {"--exchange", "1e3"},
        {"--exchange", "1000.5"},  {"--exchange", "0.09"},
        {"--pay", "card"},         {"--games-per-hour", "0.5"},
        {"--games-per-hour", "x"}, {"--games-per-hour", "100001"}};
    for (const auto& bad : cases) {
        std::vector<std::string> arguments = {"exact", "--big-end", "300"};
        arguments.insert(arguments.end(), bad.begin(), bad.end());
        const Outcome outcome = run(arguments);
        SCOPED_TRACE(bad[0] + " " + bad[1]);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_TRUE(outcome.out.empty());
        EXPECT_NE(outcome.err.find(bad[0]), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
    // The simulation of the cash put in is asked for only from cash.
    const Outcome outcome = run({"exact", "--big-end", "300", "--attempts", "100"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("--pay cash"), std::string::npos) << outcome.err;
}

}  // namespace
}  // namespace korvale
