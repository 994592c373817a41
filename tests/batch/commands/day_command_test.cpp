// A day at the hall in korvale-batch: the day's exact law against seeded days of play, and the
// refusal of days that cannot be played or worked out.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/batch/commands/program_outcome.h"

namespace korvale {
namespace {

using Json = nlohmann::json;
using testing::Outcome;
using testing::run;

const Json& dayGroup(const Json& report) {
    for (const Json& group : report.at("results")) {
        if (group.at("scope") == "day") {
            return group;
        }
    }
    throw std::runtime_error("no day group");
}

Json dayReport(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--format", "json"});
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return Json::parse(outcome.out);
}

double dayValue(const Json& group, const std::string& key) {
    return group.at("figures").at(key).at("value").get<double>();
}

// The exact mean net and chance to end ahead lie within the 99% intervals of 40000 seeded
// days, at two settings; the day's yen from stored coins are its net exchanged.
TEST(DayCommandTest, ExactLawAgreesWithSeededDays) {
    constexpr double days = 40000;
    constexpr double z99 = 2.5758;
    for (const std::string setting : {"1", "6"}) {
        const Json exact = dayGroup(
            dayReport({"exact", "--day-games", "1500", "--setting", setting, "--exchange", "5.6"}));
        const Json played =
            dayGroup(dayReport({"simulate", "normal", "--day-games", "1500", "--days", "40000",
                                "--setting", setting, "--seed", "20261209", "--threads", "2"}));
        EXPECT_EQ(dayValue(played, "games"), 1500 * days);
        const Json& mean = played.at("figures").at("net_coins_per_attempt");
        const double halfWidth99 =
            (mean.at("ci95")[1].get<double>() - mean.at("ci95")[0].get<double>()) / 2 * z99 / 1.96;
        EXPECT_NEAR(dayValue(exact, "net_coins_per_attempt"), mean.at("value").get<double>(),
                    halfWidth99)
            << "設定" << setting;
        const double ahead = dayValue(played, "p_ahead");
        EXPECT_NEAR(dayValue(exact, "p_ahead"), ahead, z99 * std::sqrt(ahead * (1 - ahead) / days))
            << "設定" << setting;
        EXPECT_NEAR(dayValue(exact, "yen_per_attempt"),
                    dayValue(exact, "net_coins_per_attempt") * 100 / 5.6, 1e-9);
        // A law that lost a share of its chance far below what 40000 days can see is caught by
        // its own account: the bound it prints is small, and its three outcomes, each summed
        // from the net's law, make up the whole day.
        const double bound =
            exact.at("details").at("outcome_law_error_bound").at("value").get<double>();
        EXPECT_LT(bound, 1e-9) << "設定" << setting;
        EXPECT_NEAR(
            dayValue(exact, "p_ahead") + dayValue(exact, "p_even") + dayValue(exact, "p_behind"),
            1.0, 1e-9)
            << "設定" << setting;
    }
}

TEST(DayCommandTest, RefusesDaysThatCannotBePlayed) {
    const std::vector<std::vector<std::string>> refused = {
        {"simulate", "normal", "--day-games", "0"},
        {"simulate", "normal", "--day-games", "10000001"},
        {"simulate", "normal", "--days", "0"},
        {"simulate", "normal", "--day-games", "8000", "--games", "100"},
        {"simulate", "normal", "--days", "10", "--seconds", "1"},
        {"simulate", "normal", "--lend", "46"},
        {"exact", "--day-games", "50001"},
        {"exact", "--day-games", "8000", "--big-end", "300"},
        {"exact", "--day-games", "8000", "--pay", "cash"},
    };
    for (const auto& arguments : refused) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments[2] << " " << arguments[3];
        EXPECT_TRUE(outcome.out.empty());
    }
}

}  // namespace
}  // namespace korvale
