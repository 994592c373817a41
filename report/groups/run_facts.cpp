#include "report/groups/run_facts.h"

#include <fmt/format.h>

#include "report/format/table_text.h"
#include "report/model/fact_catalogue.h"

namespace korvale {

void addSetting(Report& report, std::optional<std::int32_t> setting) {
    if (setting) {
        report.facts.push_back(
            makeFact(fact::setting, std::to_string(*setting + 1), settingName(*setting)));
    }
}

void addEnd(Report& report, EndConditions end) {
    report.facts.push_back(makeFact(fact::bigEnd, fmt::format("{}", end.bigEnd)));
    report.facts.push_back(makeFact(fact::regEnd, std::to_string(end.regEnd)));
}

void addMaxGames(Report& report, std::int32_t maxGames) {
    report.facts.push_back(makeFact(fact::maxGames, std::to_string(maxGames)));
    report.run.maxGames = maxGames;
}

void addLaws(Report& report, LawsWorked laws) {
    report.run.laws = laws;
    const auto add = [&report](const char* value, const char* shown) {
        report.facts.push_back(makeFact(fact::laws, value, shown, false));
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
    report.facts.push_back(makeFact(fact::lend, std::to_string(rates.lend)));
    report.facts.push_back(makeFact(fact::exchange, fmt::format("{}", rates.exchange)));
    report.facts.push_back(
        makeFact(fact::pay, fromCash ? "cash" : "coins", fromCash ? "現金" : "貯メダル", false));
    report.facts.push_back(makeFact(fact::gamesPerHour, fmt::format("{}", rates.gamesPerHour)));
    if (cash) {
        report.facts.push_back(makeFact(fact::cashAttempts, std::to_string(cash->attempts)));
        report.facts.push_back(makeFact(fact::seed, std::to_string(cash->seed)));
    }
}

void addFrontierOnly(Report& report) {
    report.facts.push_back(makeFact(fact::frontier, "1", "はい"));
    report.run.frontierOnly = true;
}

void addMeansOnly(Report& report) {
    report.facts.push_back(makeFact(fact::meansOnly, "1", "はい"));
    report.run.meansOnly = true;
}

void addCounterAtLimit(Report& report, const std::string& key, const std::string& shown,
                       int thread) {
    report.facts.push_back(makeFact(
        fact::counterAtLimit, key,
        fmt::format("{}（32ビット整数の上限 2,147,483,647、スレッド{}）", shown, thread), false));
    report.run.counterAtLimit = true;
}

}  // namespace korvale
