// The report model's three formats: numbers for a terminal, alignment by display width, RFC 4180
// CSV and the JSON shapes of exact and measured figures. Expected texts are typed by hand.

#include "report/format/report_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "report/format/table_text.h"

namespace korvale {
namespace {

TEST(TableTextTest, SixSignificantDigitsWithoutENotation) {
    const std::vector<std::pair<double, std::string>> cases = {
        {287.34567, "287.346"},
        {4.45473531603e-05, "0.0000445474"},
        {1234567.8, "1234568"},
        {0.0, "0"},
        {-1256.6549, "-1256.65"},
        {100.0, "100"},
        {-1e-20, "0"},
        {999999.6, "1000000"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(significant(value), text) << value;
    }
    EXPECT_EQ(significant(std::nullopt), "-");
    EXPECT_EQ(significant(NAN), "-");
}

TEST(TableTextTest, UnitsReadAsAPlayerReadsThem) {
    EXPECT_EQ(figureText(Unit::OneIn, 287.3), "1/287.3");
    EXPECT_EQ(figureText(Unit::Share, 0.123456789), "12.3457%");
    EXPECT_EQ(figureText(Unit::Percent, 104.1109), "104.111%");
    EXPECT_EQ(figureText(Unit::Count, 2000000000.0), "2000000000");
    EXPECT_EQ(figureText(Unit::Coins, -312.5), "-312.5");
    EXPECT_EQ(figureText(Unit::OneIn, std::nullopt), "-");
}

TEST(TableTextTest, JapaneseTakesTwoColumns) {
    EXPECT_EQ(displayWidth("abc"), 3u);
    EXPECT_EQ(displayWidth("設定１"), 6u);
    EXPECT_EQ(displayWidth("BIG確率"), 7u);
    EXPECT_EQ(displayWidth("モード0 RT解除率"), 16u);

    TextTable table;
    table.addHeading({"", "設定１"});
    table.addRow({"BIG確率", "1/287.3"});
    table.addRow({"games", "12"});
    std::istringstream lines(table.text());
    std::vector<std::size_t> widths;
    for (std::string line; std::getline(lines, line);) {
        widths.push_back(displayWidth(line));
    }
    // Heading, underline and rows end in the same column.
    EXPECT_EQ(widths, (std::vector<std::size_t>(4, 16)));
}

Report sampleReport() {
    Figure exact{"big_odds", "BIG確率", Unit::OneIn, 287.5, {}};
    Figure undefined{"mode0_rt_release_rate", "モード0 RT解除率", Unit::OneIn, std::nullopt, {}};
    Figure measured{"big_odds", "BIG確率", Unit::OneIn, 290.25, {true, 280.0, 300.5}};
    Figure quoted{"odd", "a \"label\", with a comma", Unit::Count, 3.0, {}};
    Report report{.kind = ReportKind::Exact};
    report.groups.push_back({.source = Source::Exact,
                             .setting = 0,
                             .scope = Scope::LongRun,
                             .figures = {exact, undefined}});
    report.groups.push_back({.source = Source::Simulated,
                             .setting = 0,
                             .scope = Scope::Attempt,
                             .end = EndConditions{300.5, 100},
                             .figures = {measured, quoted}});
    return report;
}

TEST(CsvFormatTest, OneTidyRowPerFigureQuotedAsRfc4180) {
    const std::string csv = formatReport(sampleReport(), OutputFormat::Csv);
    EXPECT_EQ(csv,
              "\xEF\xBB\xBF"
              "source,setting,scope,big_end,reg_end,key,label,unit,x,value,ci95_low,ci95_high\r\n"
              "exact,1,long_run,,,big_odds,BIG確率,games_per_event,,287.5,,\r\n"
              "exact,1,long_run,,,mode0_rt_release_rate,モード0 RT解除率,games_per_event,,,,\r\n"
              "simulated,1,attempt,300.5,100,big_odds,BIG確率,games_per_event,,290.25,280,300.5\r\n"
              "simulated,1,attempt,300.5,100,odd,\"a \"\"label\"\", with a comma\",count,,3,,\r\n");
}

TEST(JsonFormatTest, ExactFiguresHaveAValueMeasuredOnesAnInterval) {
    const auto json = nlohmann::json::parse(formatReport(sampleReport(), OutputFormat::Json));
    const auto& exact = json["results"][0];
    EXPECT_EQ(exact["source"], "exact");
    EXPECT_EQ(exact["setting"], 1);
    EXPECT_EQ(exact["figures"]["big_odds"], nlohmann::json({{"value", 287.5}}));
    EXPECT_TRUE(exact["figures"]["mode0_rt_release_rate"]["value"].is_null());
    const auto& measured = json["results"][1];
    EXPECT_EQ(measured["big_end"], 300.5);
    EXPECT_EQ(measured["figures"]["big_odds"],
              nlohmann::json({{"value", 290.25}, {"ci95", {280.0, 300.5}}}));
    EXPECT_EQ(measured["figures"]["odd"]["value"].get<double>(), 3);
    EXPECT_TRUE(measured["figures"]["odd"]["ci95"].is_null());
    EXPECT_FALSE(json["partial"].get<bool>());
}

// One schema: what was asked, text and lists included, in CSV as in JSON; an end condition
// written alike in the facts and in the results; the time of every command, and a speed only
// where games were played; where a measured law stops.
TEST(SchemaTest, RunFactsTimingAndLawReachReadAlikeInCsvAndJson) {
    Report report{.kind = ReportKind::Inference,
                  .facts = {{"start", "開始", "morning", "朝一", false},
                            {"prior", "事前の重み", "", "", false, {1, 2.5}},
                            {"big_end", "BIG後", "300"}},
                  .timing = Timing{.seconds = 0.25}};
    Series law{
        .key = "big_gap_law", .label = "BIG間ゲーム数の分布", .x = {1, 2}, .value = {0.5, 0}};
    law.measuredTo = 2;
    report.groups.push_back({.source = Source::Simulated,
                             .setting = 0,
                             .scope = Scope::Attempt,
                             .end = EndConditions{300, 100},
                             .series = {law}});
    const std::string csv = formatReport(report, OutputFormat::Csv);
    for (const char* row :
         {"run,,,,,start,開始,,,morning,,\r\n", "run,,,,,prior,事前の重み,,,\"1,2.5\",,\r\n",
          "simulated,1,attempt,300,100,big_gap_law_measured_to,"
          "BIG間ゲーム数の分布の実測の上限,number,,2,,\r\n",
          "timing,,,,,seconds,時間（秒）,,,0.250,,\r\n"}) {
        EXPECT_NE(csv.find(row), std::string::npos) << row;
    }
    EXPECT_EQ(csv.find("games_per_second"), std::string::npos);
    const std::string json = formatReport(report, OutputFormat::Json);
    EXPECT_NE(json.find("\"big_end\": 300,"), std::string::npos);  // not 300.0
    const auto parsed = nlohmann::json::parse(json);
    EXPECT_EQ(parsed["command"], "infer");
    EXPECT_EQ(parsed["run"]["prior"], nlohmann::json({1, 2.5}));
    EXPECT_EQ(parsed["run"]["big_end"], 300);
    EXPECT_EQ(parsed["results"][0]["series"]["big_gap_law"]["measured_to"], 2);
    EXPECT_EQ(parsed["timing"], nlohmann::json({{"seconds", 0.25}}));
}

}  // namespace
}  // namespace korvale
