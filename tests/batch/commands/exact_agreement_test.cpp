// korvale-batch's simulated figures against its exact ones, joined on (setting, scope, key) as a
// user would join the two JSON outputs. Every key the exact output gives must come back from
// the simulation in the measured shape, and each simulated value must lie near the exact one,
// within its own 95% interval widened for the number of figures compared (Bonferroni: about 20
// figures, so 3.0 standard errors instead of 1.96). The seeds are fixed, so a failure is a real
// disagreement, not chance from run to run.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "batch/commands/batch_program.h"

namespace korvale {
namespace {

using Json = nlohmann::json;
constexpr double jointZ = 3.0;

Json runJson(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--format", "json"});
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runProgram(arguments, out, err, false), 0) << err.str();
    return Json::parse(out.str());
}

// The figures of the result group with this source, setting and scope.
Json figuresOf(const Json& report, const std::string& source, int setting,
               const std::string& scope) {
    for (const Json& group : report.at("results")) {
        if (group.at("source") == source && group.at("setting") == setting &&
            group.at("scope") == scope) {
            return group.at("figures");
        }
    }
    ADD_FAILURE() << "no " << source << " " << scope << " group for setting " << setting;
    return Json::object();
}

// Every exact key is measured, with a value and an interval, and the interval (widened) holds
// the exact value wherever the exact value is defined and the measurement has an interval.
void expectJoinAgrees(const Json& exact, const Json& simulated, const std::string& what) {
    ASSERT_FALSE(exact.empty()) << what;
    for (const auto& [key, figure] : exact.items()) {
        ASSERT_TRUE(simulated.contains(key)) << what << ": the simulation lacks " << key;
        const Json& measured = simulated.at(key);
        EXPECT_TRUE(measured.contains("value") && measured.contains("ci95")) << what << key;
        EXPECT_EQ(figure.size(), 1u) << what << ": exact " << key << " is {\"value\": …}";
        if (figure.at("value").is_null() || measured.at("ci95").is_null()) {
            continue;
        }
        const double value = measured.at("value");
        const double low = measured.at("ci95")[0];
        const double high = measured.at("ci95")[1];
        const double standardError = (high - low) / (2 * 1.96);
        EXPECT_NEAR(value, figure.at("value").get<double>(), jointZ * standardError + 1e-12)
            << what << " " << key << ": simulated " << value << " [" << low << ", " << high << "]";
    }
}

TEST(ExactAgreementTest, LongRunFiguresJoinAndAgree) {
    for (const int setting : {1, 4, 6}) {
        const std::string s = std::to_string(setting);
        const Json simulated = runJson({"simulate", "normal", "--setting", s, "--games", "40000000",
                                        "--threads", "2", "--seed", "20261208"});
        const Json exact = runJson({"exact", "--setting", s});
        expectJoinAgrees(figuresOf(exact, "exact", setting, "long_run"),
                         figuresOf(simulated, "simulated", setting, "long_run"),
                         "setting " + s + " long run");
    }
}

TEST(ExactAgreementTest, AttemptFiguresJoinAndAgree) {
    struct Case {
        int setting;
        const char* bigEnd;
        const char* regEnd;
    };
    // The defaults; a rule that ends on the first BIG; a shorter rule at a middle setting (its
    // exact solve takes minutes under the sanitizers, so it is left to the normal build).
    std::vector<Case> cases = {Case{1, "300", "100"}, Case{6, "0", "0"}};
#ifndef KORVALE_SANITIZED
    cases.push_back(Case{3, "150", "100"});
#endif
    for (const Case& c : cases) {
        const std::string s = std::to_string(c.setting);
        const Json simulated =
            runJson({"simulate", "special", "--setting", s, "--attempts", "20000", "--threads", "2",
                     "--seed", "8", "--big-end", c.bigEnd, "--reg-end", c.regEnd});
        const Json exact =
            runJson({"exact", "--setting", s, "--big-end", c.bigEnd, "--reg-end", c.regEnd});
        expectJoinAgrees(figuresOf(exact, "exact", c.setting, "attempt"),
                         figuresOf(simulated, "simulated", c.setting, "attempt"),
                         "setting " + s + " " + c.bigEnd + "/" + c.regEnd);
    }
}

}  // namespace
}  // namespace korvale
