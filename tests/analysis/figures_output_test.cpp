#include "analysis/figures_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace korvale {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

std::size_t count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

std::vector<LongRunFigures> allLongRuns() {
    std::vector<LongRunFigures> figures;
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        figures.push_back(solveLongRun(setting));
    }
    return figures;
}

AttemptFigures sampleAttempt() {
    AttemptFigures f;
    f.setting = 2;
    f.end = {300.5, 100};
    f.expectedGames = 739.607387464;
    f.expectedBigs = 3.0;
    f.expectedRegs = 1.25;
    f.expectedCost = 1186.33;
    f.expectedNet = -293.125;
    f.netPer1000Games = -396.336752;
    f.payoutPercent = 86.789;
    return f;
}

TEST(FigureFormatTest, ReadsTheThreeNamesOnly) {
    EXPECT_EQ(parseFigureFormat("table"), FigureFormat::Table);
    EXPECT_EQ(parseFigureFormat("csv"), FigureFormat::Csv);
    EXPECT_EQ(parseFigureFormat("json"), FigureFormat::Json);
    EXPECT_FALSE(parseFigureFormat("JSON").has_value());
    EXPECT_FALSE(parseFigureFormat("").has_value());
}

TEST(LongRunOutputTest, TableUsesTheWindowsLabels) {
    std::ostringstream out;
    writeLongRun(out, FigureFormat::Table, allLongRuns());
    const std::string text = out.str();
    for (const char* label :
         {"BIG確率", "REG確率", "合算", "機械割", "RT解除率", "設定１", "設定６"}) {
        EXPECT_NE(text.find(label), std::string::npos) << label;
    }
    EXPECT_NE(text.find("1/655.36 |"), std::string::npos);          // setting 1's REG: 65536 / 100
    EXPECT_NE(text.find("設定１ | 0 | 0 | -"), std::string::npos);  // mode 0: no rate
}

TEST(LongRunOutputTest, CsvHasOneRowPerSettingAndEmptyCellsForNoValue) {
    std::ostringstream out;
    writeLongRun(out, FigureFormat::Csv, allLongRuns());
    const std::vector<std::string> rows = lines(out.str());
    ASSERT_EQ(rows.size(), 7U);
    const std::size_t columns = count(rows[0], ',');
    EXPECT_EQ(columns, 7U + 2U * modeCount);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(count(rows[i], ','), columns) << rows[i];
        EXPECT_EQ(rows[i].substr(0, 2), std::to_string(i) + ",");
    }
    EXPECT_NE(rows[1].find(",0,,"), std::string::npos);  // mode 0 share 0, rate empty
}

TEST(LongRunOutputTest, JsonWritesNullForNoValueAndTwelveDigits) {
    std::ostringstream out;
    LongRunFigures f = solveLongRun(0);
    writeLongRun(out, FigureFormat::Json, {f});
    const std::string text = out.str();
    EXPECT_NE(text.find("\"release_rate\": null"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_NE(text.find("\"reg_probability\": 0.00152587890625"), std::string::npos);
    char expected[64];
    std::snprintf(expected, sizeof expected, "\"payout_percent\": %.12g", f.payoutPercent);
    EXPECT_NE(text.find(expected), std::string::npos);
    EXPECT_EQ(count(text, '{'), count(text, '}'));
    EXPECT_EQ(count(text, '['), count(text, ']'));
}

TEST(AttemptOutputTest, EveryFormatCarriesTheSameFigures) {
    const std::vector<AttemptFigures> figures = {sampleAttempt()};
    std::ostringstream table;
    std::ostringstream csv;
    std::ostringstream json;
    writeAttempts(table, FigureFormat::Table, figures);
    writeAttempts(csv, FigureFormat::Csv, figures);
    writeAttempts(json, FigureFormat::Json, figures);
    EXPECT_NE(table.str().find("設定３ | 300.5 | 100 | 739.607387464 | 3 | 1.25"),
              std::string::npos)
        << table.str();
    for (const char* label :
         {"一回あたりのプレイ数", "一回あたりの差枚", "一回あたりのBIG数", "割"}) {
        EXPECT_NE(table.str().find(label), std::string::npos) << label;
    }
    EXPECT_EQ(lines(csv.str())[1],
              "3,300.5,100,739.607387464,3,1.25,1186.33,-293.125,"
              "-396.336752,86.789,0,0");
    EXPECT_NE(json.str().find("{\"setting\": 3, \"big_end\": 300.5, \"reg_end\": 100, "
                              "\"expected_games\": 739.607387464"),
              std::string::npos)
        << json.str();
}

TEST(AttemptOutputTest, LongRunAndAttemptsMakeOneJsonObject) {
    std::ostringstream json;
    writeLongRunAndAttempts(json, FigureFormat::Json, {solveLongRun(0)}, {sampleAttempt()});
    const std::string text = json.str();
    EXPECT_EQ(text.rfind("{\"long_run\": [", 0), 0U) << text;
    EXPECT_NE(text.find("],\n\"attempts\": [\n  {\"setting\": 3"), std::string::npos) << text;
    EXPECT_EQ(count(text, '{'), count(text, '}'));
    EXPECT_EQ(text.substr(text.size() - 4), "\n]}\n");
    std::ostringstream csv;
    writeLongRunAndAttempts(csv, FigureFormat::Csv, {solveLongRun(0)}, {sampleAttempt()});
    const std::vector<std::string> rows = lines(csv.str());
    ASSERT_EQ(rows.size(), 5U);
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(rows[3].substr(0, 16), "setting,big_end,");
}

TEST(SweepOutputTest, MarksEachSettingsBestRule) {
    SettingSweep sweep;
    sweep.setting = 0;
    for (int i = 0; i < 3; ++i) {
        AttemptFigures f = sampleAttempt();
        f.setting = 0;
        f.end = {100.0 * i, 0};
        sweep.points.push_back(f);
    }
    sweep.bestPerAttempt = 1;
    sweep.bestPer1000Games = 2;
    std::ostringstream csv;
    writeSweep(csv, FigureFormat::Csv, {sweep});
    const std::vector<std::string> rows = lines(csv.str());
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(rows[0].substr(rows[0].size() - 36), "best_per_attempt,best_per_1000_games");
    EXPECT_EQ(rows[1].substr(rows[1].size() - 8), ",0,0,0,0");
    EXPECT_EQ(rows[2].substr(rows[2].size() - 8), ",0,0,1,0");
    EXPECT_EQ(rows[3].substr(rows[3].size() - 8), ",0,0,0,1");
    std::ostringstream json;
    writeSweep(json, FigureFormat::Json, {sweep});
    EXPECT_NE(json.str().find("\"best_per_attempt\": 1, \"best_per_1000_games\": 2"),
              std::string::npos);
}

}  // namespace
}  // namespace korvale
