#include "report/groups/run_facts.h"

#include <fmt/format.h>

#include "report/format/table_text.h"

namespace korvale {

void addSetting(Report& report, std::optional<std::int32_t> setting) {
    if (setting) {
        report.facts.push_back(
            {"setting", "設定", std::to_string(*setting + 1), settingName(*setting)});
    }
}

void addMaxGames(Report& report, std::int32_t maxGames) {
    report.facts.push_back({"max_games", "最大ゲーム数", std::to_string(maxGames)});
    report.run.maxGames = maxGames;
}

void addLaws(Report& report, LawsWorked laws) {
    report.run.laws = laws;
    const auto add = [&report](const char* value, const char* shown) {
        report.facts.push_back(
            {.key = "laws", .label = "分布", .value = value, .shown = shown, .isNumber = false});
    };
    switch (laws) {
        case LawsWorked::Full:
            add("full", "差枚・プレイ数・BIG回数の分布");
            break;
        case LawsWorked::Head:
            add("head", "勝ち越す確率と差枚の50%点・10%点のみ");
            break;
        case LawsWorked::None:
            add("none", "最大ゲーム数のある挑戦の分布は求めていません");
            break;
        case LawsWorked::NotAsked:
            break;
    }
}

void addHallRates(Report& report, const HallRates& rates,
                  const std::optional<CashSimulation>& cash) {
    const bool fromCash = rates.pay == CoinSource::Cash;
    report.run.paidWithCash = fromCash;
    report.facts.push_back({"lend", "貸出枚数/千円", std::to_string(rates.lend)});
    report.facts.push_back({"exchange", "交換枚数/百円", fmt::format("{}", rates.exchange)});
    report.facts.push_back({.key = "pay",
                            .label = "元手",
                            .value = fromCash ? "cash" : "coins",
                            .shown = fromCash ? "現金" : "貯メダル",
                            .isNumber = false});
    report.facts.push_back(
        {"games_per_hour", "プレイ数/時", fmt::format("{}", rates.gamesPerHour)});
    if (cash) {
        report.facts.push_back(
            {"cash_attempts", "投資を実測した挑戦回数", std::to_string(cash->attempts)});
        report.facts.push_back({"seed", "シード", std::to_string(cash->seed)});
    }
}

void addFrontierOnly(Report& report) {
    report.facts.push_back({"frontier", "効率的フロンティアのみ", "1", "はい"});
    report.run.frontierOnly = true;
}

void addCounterAtLimit(Report& report, const std::string& key, const std::string& shown,
                       int thread) {
    report.facts.push_back(
        {.key = "counter_at_limit",
         .label = "上限に達したカウンター",
         .value = key,
         .shown = fmt::format("{}（32ビット整数の上限 2,147,483,647、スレッド{}）", shown, thread),
         .isNumber = false});
    report.run.counterAtLimit = true;
}

}  // namespace korvale
