// A sweep rule's risk in a sweep report, as the sweep command builds one: a risk that is not known
// is missing in every format (never 0) and the table says why; a known one is shown.

#include "report/groups/rule_risk_figures.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "report/format/report_format.h"
#include "report/format/table_text.h"
#include "report/groups/exact_groups.h"
#include "report/groups/run_facts.h"
#include "report/model/figure_catalogue.h"
#include "tests/support/written_csv.h"

namespace korvale {
namespace {

const std::string unknownNote = "「-」：試行が長すぎるか、誤差の上限が0.0001を超えて、";

const std::set<std::string> riskKeys = {"p_ahead",
                                        "net_coins_p50",
                                        "net_coins_p10",
                                        "outcome_law_error_bound",
                                        "net_coins_p50_error_bound",
                                        "net_coins_p10_error_bound"};

// One rule of 設定１ after BIG end 0 and REG end 50 with hand-typed means, its risk, and the marks
// the sweep gives it: both best rules (so that the table lists it), off the frontier.
Report sweepOfOne(const RuleRisk& risk) {
    AttemptFigures means{.setting = 0, .end = EndConditions{0, 50}};
    means.expectedGames = 300;
    means.expectedBigs = 1;
    means.expectedRegs = 0.5;
    means.expectedCost = 480;
    means.expectedNet = -28.5;
    means.netPer1000Games = -95;
    means.payoutPercent = 96.8;
    FigureGroup group = exactAttemptGroup(means);
    addRuleRisk(group, risk);
    for (const auto& [key, on] :
         {std::pair{"best_per_attempt", 1.0}, {"best_per_1000_games", 1.0}, {"on_frontier", 0.0}}) {
        group.details.push_back(makeFigure(key, on));
    }
    Report report{.kind = ReportKind::Sweep};
    report.groups.push_back(group);
    return report;
}

// The table row of the one rule, cut into its cells at the spaces.
std::vector<std::string> tableCells(const std::string& table) {
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("0/50 ")) {
            std::istringstream cells(line);
            std::vector<std::string> words;
            for (std::string word; cells >> word;) {
                words.push_back(word);
            }
            return words;
        }
    }
    ADD_FAILURE() << "no row for the rule\n" << table;
    return {};
}

TEST(RuleRiskFiguresTest, UnknownRiskIsMissingInEveryFormat) {
    // RuleRisk{} holds zeros beside known = false: any of them shown would be a 0.
    const Report report = sweepOfOne(RuleRisk{});
    const std::string table = formatReport(report, OutputFormat::Table);
    const std::vector<std::string> cells = tableCells(table);
    ASSERT_GE(cells.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(cells.end() - 3, cells.end()),
              (std::vector<std::string>{"-", "-", "-"}))
        << table;
    EXPECT_EQ(table.find("○"), std::string::npos) << table;  // not on the frontier
    EXPECT_NE(table.find(unknownNote), std::string::npos) << table;

    std::set<std::string> emptyInCsv;
    for (const std::vector<std::string>& record :
         writtenCsvRecords(formatReport(report, OutputFormat::Csv))) {
        if (record.at(0) == "exact" && riskKeys.contains(record.at(5)) && record.at(9).empty()) {
            emptyInCsv.insert(record.at(5));
        }
    }
    EXPECT_EQ(emptyInCsv, riskKeys);

    const auto json = nlohmann::json::parse(formatReport(report, OutputFormat::Json));
    ASSERT_EQ(json.at("results").size(), 1u);
    const auto& group = json.at("results")[0];
    for (const std::string& key : riskKeys) {
        const auto& where =
            group.at("figures").contains(key) ? group.at("figures") : group.at("details");
        EXPECT_TRUE(where.at(key).at("value").is_null()) << key;
    }
    EXPECT_EQ(group.at("details").at("on_frontier").at("value"), 0);
}

TEST(RuleRiskFiguresTest, AKnownRiskOrOnlyItsBound) {
    // Known: shown, without the note. Had, but with a bound above 1e-4: only the bound.
    const struct {
        RuleRisk risk;
        std::vector<std::string> cells;  // the table's last three: chance, median, 10% point
        bool note;
    } cases[] = {{{.known = true,
                   .pAhead = 0.625,
                   .netP50 = 112,
                   .netP10 = -537,
                   .errorBound = 1e-6,
                   .netP50Bound = 0,
                   .netP10Bound = 1},
                  {"62.5%", "112", "-537"},
                  false},
                 {{.known = false, .pAhead = 0.7, .errorBound = 2.2e-4}, {"-", "-", "-"}, true}};
    for (const auto& c : cases) {
        const Report report = sweepOfOne(c.risk);
        const std::string table = formatReport(report, OutputFormat::Table);
        const std::vector<std::string> cells = tableCells(table);
        ASSERT_GE(cells.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(cells.end() - 3, cells.end()), c.cells) << table;
        EXPECT_EQ(table.find(unknownNote) != std::string::npos, c.note) << table;

        const auto json = nlohmann::json::parse(formatReport(report, OutputFormat::Json));
        const auto& group = json.at("results")[0];
        const auto value = [&](const char* part, const char* key) {
            return group.at(part).at(key).at("value");
        };
        EXPECT_EQ(value("details", "outcome_law_error_bound"), c.risk.errorBound);
        if (c.risk.known) {
            EXPECT_EQ(value("figures", "p_ahead"), 0.625);
            EXPECT_EQ(value("figures", "net_coins_p10"), -537);
            EXPECT_EQ(value("details", "net_coins_p10_error_bound"), 1);
        } else {
            EXPECT_TRUE(value("figures", "p_ahead").is_null());
            EXPECT_TRUE(value("details", "net_coins_p50_error_bound").is_null());
        }
    }
}

// A sweep's table reads in a terminal of 100 columns, a block per setting, whatever it holds:
// each setting's best rules with the frontier marked, the frontier alone, or the means alone;
// the widest figures of the default grid, a rule without its risk and the partial mark.
TEST(RuleRiskFiguresTest, SweepTableReadsInAHundredColumns) {
    const RuleRisk known{.known = true, .pAhead = 0.0833362, .netP50 = -1143, .netP10 = -2704};
    for (const bool frontierOnly : {false, true}) {
        for (const bool means : {false, true}) {
            if (frontierOnly && means) {
                continue;  // refused: the frontier needs the risk
            }
            Report report{.kind = ReportKind::Sweep, .partial = true};
            report.facts.push_back({"big_ends", "BIG後の格子", "", "0:1000:50", false});
            if (frontierOnly) {
                addFrontierOnly(report);
            }
            for (std::int32_t setting = 0; setting < 6; ++setting) {
                for (const RuleRisk& risk : {known, RuleRisk{}}) {
                    Report one = sweepOfOne(risk);
                    FigureGroup& group = one.groups.front();
                    group.setting = setting;
                    group.end = EndConditions{1000, 300};
                    if (means) {
                        std::erase_if(group.figures, [](const Figure& f) {
                            return f.key == "p_ahead" || f.key.starts_with("net_coins_p");
                        });
                        std::erase_if(group.details,
                                      [](const Figure& f) { return f.key == "on_frontier"; });
                    }
                    report.groups.push_back(group);
                }
            }
            const std::string table = formatReport(report, OutputFormat::Table);
            std::istringstream lines(table);
            for (std::string line; std::getline(lines, line);) {
                EXPECT_LE(displayWidth(line), 100u) << line;
            }
            for (const char* setting : {"\n設定１\n", "\n設定６\n"}) {
                EXPECT_NE(table.find(setting), std::string::npos) << table;
            }
            EXPECT_EQ(table.find("8.33362%") != std::string::npos, !means) << table;
        }
    }
}

}  // namespace
}  // namespace korvale
