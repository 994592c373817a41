// infer with end conditions: what playing on from where a history leaves the machine is worth,
// against other ways to the same figures: the morning attempt of exact, the ceiling's
// geometric wait worked by hand, and the long run's mixture of the found machines of hunt.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/batch/commands/program_outcome.h"
#include "tests/support/ceiling_closed_form.h"

namespace korvale {
namespace infer_worth {

using Json = nlohmann::json;
using testing::runWithInput;

Json worthJson(std::vector<std::string> arguments, const std::string& input = "") {
    arguments.insert(arguments.end(), {"--format", "json"});
    const testing::Outcome outcome = runWithInput(arguments, input);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return Json::parse(outcome.out);
}

// The attempt groups of a report by setting 1..6, the mixture (no setting) as 0.
std::map<int, Json> attemptFigures(const Json& report) {
    std::map<int, Json> groups;
    for (const Json& group : report["results"]) {
        if (group["scope"] == "attempt" && group["source"] == "exact") {
            groups[group["setting"].is_null() ? 0 : group["setting"].get<int>()] = group["figures"];
        }
    }
    return groups;
}

double figure(const Json& figures, const std::string& key) {
    return figures.at(key).at("value").get<double>();
}

// The posterior of the history's group for every setting together.
std::vector<double> historyPosterior(const Json& report) {
    return report["results"][0]["series"]["posterior"]["value"].get<std::vector<double>>();
}

// The mixture's means are the posterior's mixture of the settings', its rates their ratios.
void expectPosteriorMixture(const Json& report) {
    const std::map<int, Json> groups = attemptFigures(report);
    const std::vector<double> chances = historyPosterior(report);
    double games = 0, net = 0, bigs = 0, yen = 0;
    for (int s = 1; s <= 6; ++s) {
        const double p = chances[static_cast<std::size_t>(s - 1)];
        games += p * figure(groups.at(s), "games_per_attempt");
        bigs += p * figure(groups.at(s), "big_per_attempt");
        net += p * figure(groups.at(s), "net_coins_per_attempt");
        yen += p * figure(groups.at(s), "yen_per_attempt");
    }
    const Json& mix = groups.at(0);
    EXPECT_NEAR(figure(mix, "games_per_attempt"), games, 1e-9 * games);
    EXPECT_NEAR(figure(mix, "big_per_attempt"), bigs, 1e-9 * bigs);
    EXPECT_NEAR(figure(mix, "net_coins_per_attempt"), net, 1e-9 * std::abs(net) + 1e-9);
    EXPECT_NEAR(figure(mix, "net_per_1000_games"), 1000 * net / games, 1e-7);
    EXPECT_NEAR(figure(mix, "payout_percent"), 100 * (3 * games + net) / (3 * games), 1e-9);
    EXPECT_NEAR(figure(mix, "yen_per_attempt"), yen, 1e-7 * std::abs(yen) + 1e-9);
}

// A history of nothing from the morning leaves a new machine: mode 0, nothing played, so
// playing on is the morning's attempt of exact, every figure and the hall's rates alike; the
// posterior is then the prior, and the mixture is the prior's.
TEST(InferWorthTest, NothingSeenFromTheMorningIsTheMorningAttempt) {
    struct Case {
        std::vector<std::string> rule;
        std::vector<std::string> prior;
    };
    const Case cases[] = {
        {{"--big-end", "300", "--reg-end", "100", "--exchange", "5.6"}, {}},
        {{"--big-end", "0", "--reg-end", "0", "--games-per-hour", "650"},
         {"--prior", "6,1,1,1,1,1"}},
        // From cash quitting at the first BIG the yen hold the lots bought, worked out.
        {{"--big-end", "0", "--reg-end", "1", "--pay", "cash", "--exchange", "5.6"}, {}},
    };
    const char* keys[] = {"games_per_attempt", "big_per_attempt",       "reg_per_attempt",
                          "cost_per_attempt",  "net_coins_per_attempt", "net_per_1000_games",
                          "payout_percent",    "hours_per_attempt",     "yen_per_attempt",
                          "yen_per_hour"};
    for (const Case& c : cases) {
        std::vector<std::string> infer = {"infer", "-", "--threads", "2"};
        infer.insert(infer.end(), c.rule.begin(), c.rule.end());
        infer.insert(infer.end(), c.prior.begin(), c.prior.end());
        std::vector<std::string> exact = {"exact"};
        exact.insert(exact.end(), c.rule.begin(), c.rule.end());
        const Json report = worthJson(infer, "# nothing yet\n");
        const std::map<int, Json> got = attemptFigures(report);
        const std::map<int, Json> expected = attemptFigures(worthJson(exact));
        for (int s = 1; s <= 6; ++s) {
            for (const char* key : keys) {
                EXPECT_NEAR(figure(got.at(s), key), figure(expected.at(s), key),
                            1e-9 * std::abs(figure(expected.at(s), key)))
                    << s << " " << key;
            }
        }
        const std::vector<double> chances = historyPosterior(report);
        EXPECT_NEAR(chances[0], c.prior.empty() ? 1.0 / 6 : 6.0 / 11, 1e-12);
        expectPosteriorMixture(report);
    }
}

// Past 1498 games without a BIG, however the history got there, every game plays under the
// ceiling whatever the mode: quitting at the first BIG is the geometric wait worked by hand.
TEST(InferWorthTest, PastTheCeilingEverySettingIsTheGeometricWait) {
    struct Case {
        std::string history;
        std::vector<std::string> options;
    };
    const Case cases[] = {
        {"REG 800\n", {"--trailing", "900"}},                // from the morning
        {"BIG 40\nREG 3\nBIG 1\n", {"--trailing", "1499"}},  // after a BIG
        {"REG 1200\nREG 299\n", {"--start", "joined", "--prior", "1,0,0,0,2,3"}},  // none seen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.history);
        std::vector<std::string> arguments = {"infer", "-", "--big-end", "0", "--reg-end", "0"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const Json report = worthJson(arguments, c.history);
        const std::map<int, Json> groups = attemptFigures(report);
        for (int s = 1; s <= 6; ++s) {
            const CeilingAttempt hand = ceilingQuitAtFirstBig(s - 1);
            EXPECT_NEAR(figure(groups.at(s), "games_per_attempt"), hand.games, 1e-7) << s;
            EXPECT_NEAR(figure(groups.at(s), "big_per_attempt"), 1.0, 1e-9) << s;
            EXPECT_NEAR(figure(groups.at(s), "reg_per_attempt"), hand.regs, 1e-7) << s;
            EXPECT_NEAR(figure(groups.at(s), "net_coins_per_attempt"), hand.net, 1e-7) << s;
        }
        expectPosteriorMixture(report);
    }
}

// Joined with nothing seen, the first game watched is a random moment of the long run: the
// games since the last BIG are k with the share of games begun there, P(wait > k) / E[wait]
// (the long run's BIG gap law and mean, from exact), and the mode as the long run leaves it at
// k, which is hunt's found machine at k. So playing on is that mixture of hunt's column (k from
// 1499 on all under the ceiling, alike). hunt leaves the cost unrounded: its net is within a
// few hundredths of a coin of the rounded one.
TEST(InferWorthTest, JoinedWithNothingSeenIsTheLongRunsMixtureOfFoundMachines) {
    const Json longRun = worthJson({"exact", "--setting", "1"});
    const Json& group = longRun["results"][0];
    const std::vector<double> law =
        group["series"]["big_gap_law"]["value"].get<std::vector<double>>();
    const double meanWait = group["figures"]["big_gap_mean"]["value"].get<double>();
    std::vector<double> games, bigs, net;
    for (const char* grid : {"0:999:1", "1000:1499:1"}) {
        const Json hunt = worthJson({"hunt", "--setting", "1", "--big-end", "0", "--reg-end", "0",
                                     "--since-big-grid", grid});
        const Json& series = hunt["results"][0]["series"];
        for (const char* key :
             {"games_per_attempt", "big_per_attempt", "net_coins_per_attempt_unrounded_cost"}) {
            const auto values = series[key]["value"].get<std::vector<double>>();
            std::vector<double>& into = key[0] == 'g' ? games : key[0] == 'b' ? bigs : net;
            into.insert(into.end(), values.begin(), values.end());
        }
    }
    ASSERT_EQ(games.size(), 1500u);
    double outlasts = 1.0;  // P(wait > k): law[x - 1] is P(wait = x)
    double share = 0, mixGames = 0, mixBigs = 0, mixNet = 0;
    for (std::size_t k = 0; k < 1499; ++k) {
        const double w = outlasts / meanWait;
        share += w;
        mixGames += w * games[k];
        mixBigs += w * bigs[k];
        mixNet += w * net[k];
        outlasts -= law[k];
    }
    mixGames += (1 - share) * games[1499];
    mixBigs += (1 - share) * bigs[1499];
    mixNet += (1 - share) * net[1499];
    const Json report = worthJson(
        {"infer", "-", "--start", "joined", "--big-end", "0", "--reg-end", "0"}, "BONUS,回転数\n");
    const Json got = attemptFigures(report).at(1);
    EXPECT_NEAR(figure(got, "games_per_attempt"), mixGames, 1e-6 * mixGames);
    EXPECT_NEAR(figure(got, "big_per_attempt"), mixBigs, 1e-9);
    EXPECT_NEAR(figure(got, "net_coins_per_attempt"), mixNet, 0.05);
    expectPosteriorMixture(report);
}

}  // namespace infer_worth
}  // namespace korvale
