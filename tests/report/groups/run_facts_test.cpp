// The facts a layout goes by are added with the lines the report prints, so that the two say
// the same; and the layout follows the report's kind and typed facts, not its printed lines.

#include "report/groups/run_facts.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "report/format/report_format.h"

namespace korvale {
namespace {

const Fact* findFact(const Report& report, const std::string& key) {
    for (const Fact& fact : report.facts) {
        if (fact.key == key) {
            return &fact;
        }
    }
    return nullptr;
}

// Each way of adding a typed fact: the line printed (key and value as CSV and JSON carry them,
// typed here from the program's documented output) and the typed fact set with it.
TEST(RunFactsTest, EachTypedFactIsAddedWithItsLine) {
    struct Case {
        void (*add)(Report&);
        const char* key;
        const char* value;
        bool (*typed)(const RunFacts&);
    };
    const Case cases[] = {
        {[](Report& r) { addLaws(r, LawsWorked::None); }, "laws", "none",
         [](const RunFacts& f) { return f.laws == LawsWorked::None; }},
        {[](Report& r) { addLaws(r, LawsWorked::Head); }, "laws", "head",
         [](const RunFacts& f) { return f.laws == LawsWorked::Head; }},
        {[](Report& r) { addLaws(r, LawsWorked::Full); }, "laws", "full",
         [](const RunFacts& f) { return f.laws == LawsWorked::Full; }},
        {[](Report& r) { addMaxGames(r, 2000); }, "max_games", "2000",
         [](const RunFacts& f) { return f.maxGames == 2000; }},
        {[](Report& r) { addHallRates(r, {.pay = CoinSource::Cash}, std::nullopt); }, "pay", "cash",
         [](const RunFacts& f) { return f.paidWithCash; }},
        {[](Report& r) { addHallRates(r, {.pay = CoinSource::Stored}, std::nullopt); }, "pay",
         "coins", [](const RunFacts& f) { return !f.paidWithCash; }},
        {[](Report& r) { addFrontierOnly(r); }, "frontier", "1",
         [](const RunFacts& f) { return f.frontierOnly; }},
        {[](Report& r) { addMeansOnly(r); }, "means_only", "1",
         [](const RunFacts& f) { return f.meansOnly; }},
        {[](Report& r) { addCounterAtLimit(r, "games", "プレイ数", 2); }, "counter_at_limit",
         "games", [](const RunFacts& f) { return f.counterAtLimit; }},
    };
    for (const Case& c : cases) {
        Report report;
        c.add(report);
        const Fact* fact = findFact(report, c.key);
        ASSERT_NE(fact, nullptr) << c.key;
        EXPECT_EQ(fact->value, c.value) << c.key;
        EXPECT_TRUE(c.typed(report.run)) << c.key << " " << c.value;
    }
    Report notAsked;
    addLaws(notAsked, LawsWorked::NotAsked);
    EXPECT_TRUE(notAsked.facts.empty());
    EXPECT_EQ(notAsked.run.laws, LawsWorked::NotAsked);
}

// The kind names the command in JSON, and picks the layout: the same sweep-like groups read
// as a sweep's blocks or as a plain block of figures; a partial simulation says it played.
TEST(RunFactsTest, TheKindPicksTheLayoutAndTheCommandName) {
    const std::pair<ReportKind, const char*> names[] = {
        {ReportKind::Simulation, "simulate"}, {ReportKind::Exact, "exact"},
        {ReportKind::Sweep, "sweep"},         {ReportKind::Hunt, "hunt"},
        {ReportKind::Inference, "infer"},
    };
    for (const auto& [kind, name] : names) {
        const auto json = nlohmann::json::parse(formatReport({.kind = kind}, OutputFormat::Json));
        EXPECT_EQ(json["command"], name);
    }
    FigureGroup rule{.source = Source::Exact,
                     .setting = 2,
                     .scope = Scope::Attempt,
                     .end = EndConditions{600, 0},
                     .figures = {{"net_per_1000_games", "千ゲームあたりの差枚", Unit::Coins, 12.5}},
                     .details = {{"best_per_attempt", "一回あたり最善", Unit::Count, 1.0}}};
    const std::string sweep =
        formatReport({.kind = ReportKind::Sweep, .groups = {rule}}, OutputFormat::Table);
    const std::string exact =
        formatReport({.kind = ReportKind::Exact, .groups = {rule}}, OutputFormat::Table);
    EXPECT_NE(sweep.find("各設定の最善の終了条件"), std::string::npos) << sweep;
    EXPECT_NE(sweep.find("600/0"), std::string::npos) << sweep;
    EXPECT_EQ(exact.find("各設定の最善の終了条件"), std::string::npos) << exact;
    EXPECT_NE(exact.find("一回の挑戦（特別）"), std::string::npos) << exact;
    const std::string played =
        formatReport({.kind = ReportKind::Simulation, .partial = true}, OutputFormat::Table);
    const std::string worked =
        formatReport({.kind = ReportKind::Exact, .partial = true}, OutputFormat::Table);
    EXPECT_NE(played.find("遊技した分"), std::string::npos);
    EXPECT_NE(worked.find("計算した分"), std::string::npos);
}

// A sweep with a game limit: its laws typed as not worked out say why a risk shows "-"; the
// same line added as a plain fact does not change the layout.
TEST(RunFactsTest, TheLawsNoteFollowsTheTypedFact) {
    FigureGroup rule{.source = Source::Exact,
                     .setting = 0,
                     .scope = Scope::Attempt,
                     .end = EndConditions{300, 0},
                     .figures = {{"p_ahead", "勝ち越す確率", Unit::Share, std::nullopt}},
                     .details = {{"best_per_attempt", "一回あたり最善", Unit::Count, 1.0}}};
    Report typed{.kind = ReportKind::Sweep, .groups = {rule}};
    addLaws(typed, LawsWorked::None);
    Report plain{.kind = ReportKind::Sweep, .groups = {rule}};
    plain.facts = typed.facts;
    const std::string capped = "最大ゲーム数のある挑戦の勝ち越す確率などの分布は求めていません";
    EXPECT_NE(formatReport(typed, OutputFormat::Table).find(capped), std::string::npos);
    EXPECT_EQ(formatReport(plain, OutputFormat::Table).find(capped), std::string::npos);
}

}  // namespace
}  // namespace korvale
