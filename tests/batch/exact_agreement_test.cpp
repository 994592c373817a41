// korvale-batch's simulated figures against the exact ones its --exact option prints: each
// simulated figure must lie near the exact value, within its own printed 95% interval widened
// for the number of figures compared here (Bonferroni: 16 figures, so 2.96 standard errors
// instead of 1.96, for a 95% chance that all of them hold when nothing is wrong). The seeds are
// fixed, so a failure is a real disagreement, not chance from run to run.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_program.h"

namespace korvale {
namespace {

constexpr double kJointZ = 2.96;

// A CSV figure: key,value,ci95_low,ci95_high (the interval may be empty).
struct Figure {
    double value = 0;
    double low = NAN;
    double high = NAN;
};

std::map<std::string, Figure> runCsv(std::vector<std::string> arguments) {
    arguments.push_back("--format");
    arguments.push_back("csv");
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(arguments, out, err, false);
    EXPECT_EQ(status, 0) << err.str();
    std::map<std::string, Figure> figures;
    std::istringstream lines(out.str());
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ',')) {
            fields.push_back(cell);
        }
        if (fields.size() >= 2) {
            Figure figure;
            figure.value = std::atof(fields[1].c_str());
            if (fields.size() >= 4 && !fields[2].empty()) {
                figure.low = std::atof(fields[2].c_str());
                figure.high = std::atof(fields[3].c_str());
            }
            figures[fields[0]] = figure;
        }
    }
    return figures;
}

// The exact figures of one setting as --exact prints them in CSV: rows of a header line
// followed by value lines; returns the row whose "setting" column is `setting`.
std::map<std::string, double> exactRow(const std::string& csv, int setting,
                                       const std::string& mustHave) {
    std::istringstream lines(csv);
    std::string line;
    std::vector<std::string> header;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ',')) {
            fields.push_back(cell);
        }
        if (fields.empty()) {
            header.clear();
            continue;
        }
        if (fields[0] == "setting") {
            header = fields;
            continue;
        }
        const bool hasColumn = std::find(header.begin(), header.end(), mustHave) != header.end();
        if (hasColumn && std::atoi(fields[0].c_str()) == setting) {
            std::map<std::string, double> row;
            for (std::size_t i = 0; i < fields.size() && i < header.size(); ++i) {
                row[header[i]] = std::atof(fields[i].c_str());
            }
            return row;
        }
    }
    ADD_FAILURE() << "no exact row for setting " << setting << " with " << mustHave;
    return {};
}

std::string exactCsv(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "--exact");
    arguments.push_back("--format");
    arguments.push_back("csv");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runProgram(arguments, out, err, false), 0) << err.str();
    return out.str();
}

void expectAgrees(const Figure& simulated, double exact, const std::string& what) {
    ASSERT_FALSE(std::isnan(simulated.low)) << what << " has no interval";
    const double standardError = (simulated.high - simulated.low) / (2 * 1.96);
    EXPECT_NEAR(simulated.value, exact, kJointZ * standardError)
        << what << ": simulated " << simulated.value << " [" << simulated.low << ", "
        << simulated.high << "], exact " << exact;
}

TEST(ExactAgreementTest, LongRunOddsAndPayout) {
    for (const int setting : {1, 4, 6}) {
        const auto simulated = runCsv({"--setting", std::to_string(setting), "--games", "40000000",
                                       "--threads", "2", "--seed", "20261208"});
        const auto exact =
            exactRow(exactCsv({"--setting", std::to_string(setting)}), setting, "big_probability");
        const std::string label = "setting " + std::to_string(setting) + " ";
        expectAgrees(simulated.at("big_odds"), 1 / exact.at("big_probability"), label + "BIG 1/");
        expectAgrees(simulated.at("payout_rate"), exact.at("payout_percent"), label + "payout");
    }
}

TEST(ExactAgreementTest, AttemptsPerAttemptFigures) {
    struct Case {
        int setting;
        const char* bigEnd;
        const char* regEnd;
    };
    // The defaults; a rule that ends on the first BIG; a shorter rule at a middle setting.
    for (const Case c : {Case{1, "300", "100"}, Case{6, "0", "0"}, Case{3, "150", "100"}}) {
        const std::vector<std::string> end = {"--big-end", c.bigEnd, "--reg-end", c.regEnd};
        std::vector<std::string> simulation = {
            "--run",      "special", "--setting", std::to_string(c.setting),
            "--attempts", "20000",   "--threads", "2",
            "--seed",     "8"};
        simulation.insert(simulation.end(), end.begin(), end.end());
        const auto simulated = runCsv(simulation);

        std::vector<std::string> exactArguments = {"--setting", std::to_string(c.setting)};
        exactArguments.insert(exactArguments.end(), end.begin(), end.end());
        const auto exact = exactRow(exactCsv(exactArguments), c.setting, "expected_games");

        const std::string label =
            "setting " + std::to_string(c.setting) + " " + c.bigEnd + "/" + c.regEnd + " ";
        expectAgrees(simulated.at("games_per_attempt"), exact.at("expected_games"),
                     label + "games");
        expectAgrees(simulated.at("big_per_attempt"), exact.at("expected_bigs"), label + "BIGs");
        expectAgrees(simulated.at("net_coins_per_attempt"), exact.at("expected_net"),
                     label + "net coins");
    }
}

}  // namespace
}  // namespace korvale
