#include "report/model/figure_catalogue.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace korvale {
namespace {

struct Entry {
    std::string_view key;
    std::string_view label;
    Unit unit;
};

// Per-mode figures: the label gets "モード<m> " in front.
constexpr std::array modeEntries = {
    Entry{figureKey::share, "滞在比率", Unit::Share},
    Entry{figureKey::rtReleaseRate, "RT解除率", Unit::OneIn},
    Entry{figureKey::games, "回転数", Unit::Count},
    Entry{figureKey::big, "BIG回数", Unit::Count},
    Entry{figureKey::chance, "確率", Unit::Share},
};

constexpr std::array entries = {
    // The long run and any run's counts.
    Entry{figureKey::games, "プレイ数", Unit::Count},
    Entry{figureKey::big, "BIG回数", Unit::Count},
    Entry{figureKey::reg, "REG回数", Unit::Count},
    Entry{figureKey::netCoins, "差枚", Unit::Coins},
    Entry{figureKey::bigOdds, "BIG確率", Unit::OneIn},
    Entry{figureKey::regOdds, "REG確率", Unit::OneIn},
    Entry{figureKey::bonusOdds, "合算確率", Unit::OneIn},
    Entry{figureKey::payoutPercent, "機械割", Unit::Percent},
    // What one attempt is worth.
    Entry{figureKey::attempts, "挑戦回数", Unit::Count},
    Entry{figureKey::gamesPerAttempt, "一回あたりのプレイ数", Unit::Games},
    Entry{figureKey::bigPerAttempt, "一回あたりのBIG数", Unit::Number},
    Entry{figureKey::regPerAttempt, "一回あたりのREG数", Unit::Number},
    Entry{figureKey::costPerAttempt, "一回あたりのコスト", Unit::Coins},
    Entry{figureKey::netCoinsPerAttempt, "一回あたりの差枚", Unit::Coins},
    Entry{figureKey::netPer1000Games, "千ゲームあたりの差枚", Unit::Coins},
    // The share of attempts the game limit (--max-games) stopped before their end conditions.
    Entry{figureKey::limitReached, "最大ゲーム数で打ち切った割合", Unit::Share},
    // What an attempt is worth at the hall's rates (--lend, --exchange, --pay, --games-per-hour).
    Entry{figureKey::yenPerAttempt, "一回あたりの収支（円）", Unit::Yen},
    Entry{figureKey::cashInPerAttempt, "一回あたりの投資（円）", Unit::Yen},
    Entry{figureKey::hoursPerAttempt, "一回あたりの時間", Unit::Hours},
    Entry{figureKey::yenPerHour, "時給（円）", Unit::Yen},
    Entry{figureKey::deepestMean, "最も沈んだ差枚の平均", Unit::Coins},
    // Details of the exact cost (CSV and JSON only).
    Entry{figureKey::costRoundedPerAttempt, "コストを一回ごとに丸めた(1)か", Unit::Count},
    Entry{figureKey::costExactBelowGames, "丸めが厳密な挑戦の長さ（G未満）", Unit::Games},
    Entry{figureKey::costErrorBound, "コストの誤差の上限", Unit::Coins},
    // From cash with the lots worked out: what their pass leaves out, in yen per attempt.
    Entry{figureKey::cashYenErrorBound, "現金での収支の誤差の上限", Unit::Yen},
    // Which setting an observed bonus history points to, and what its next games are worth.
    Entry{figureKey::posterior, "事後確率", Unit::Share},
    Entry{figureKey::atLeast4, "設定４以上の確率", Unit::Share},
    Entry{figureKey::atLeast5, "設定５以上の確率", Unit::Share},
    Entry{figureKey::expectedNetNext1000Games, "次の千ゲームの期待差枚", Unit::Coins},
    Entry{figureKey::logLikelihood, "対数尤度", Unit::Number},
    Entry{figureKey::countOnlyPosterior, "回数だけの事後確率", Unit::Share},
    Entry{figureKey::countOnlyAtLeast4, "回数だけの設定４以上の確率", Unit::Share},
    Entry{figureKey::countOnlyAtLeast5, "回数だけの設定５以上の確率", Unit::Share},
    // How an attempt can turn out (its laws), exact or measured.
    Entry{figureKey::pAhead, "勝ち越す確率", Unit::Share},
    Entry{figureKey::pEven, "差枚ゼロの確率", Unit::Share},
    Entry{figureKey::pBehind, "負け越す確率", Unit::Share},
    Entry{figureKey::outcomeLawErrorBound, "分布の誤差の上限", Unit::Number},
    // How far a sweep's percentiles can be from the true ones, given that bound.
    Entry{figureKey::netCoinsP50ErrorBound, "差枚の50%点の誤差の上限", Unit::Coins},
    Entry{figureKey::netCoinsP10ErrorBound, "差枚の10%点の誤差の上限", Unit::Coins},
    // The waits of the long run (ハマり).
    Entry{figureKey::bigGapGe500, "BIG間500G以上の確率", Unit::Share},
    Entry{figureKey::bigGapGe1000, "BIG間1000G以上の確率", Unit::Share},
    Entry{figureKey::bigGapGe1500, "BIG間1500G以上の確率", Unit::Share},
    Entry{figureKey::bigGapMean, "BIG間の平均ゲーム数", Unit::Games},
    Entry{figureKey::bigGaps, "数えたBIG間の数", Unit::Count},
    Entry{figureKey::gapLawCut, "ハマり分布の打ち切り", Unit::Number},
    // Marks of a sweep's best rules (1 on the best point of each setting).
    Entry{figureKey::bestPerAttempt, "一回あたり最善", Unit::Count},
    Entry{figureKey::bestPer1000Games, "千ゲームあたり最善", Unit::Count},
    // 1 on a rule that no other rule of its setting beats on both the net per 1000 games and
    // the chance to end ahead.
    Entry{figureKey::onFrontier, "効率的フロンティア上", Unit::Count},
    // A machine found some games after its last BIG: the least of those counts from which an
    // attempt pays (狙い目).
    Entry{figureKey::breakEven, "損益分岐のゲーム数", Unit::Games},
    // From cash: the least count from which an attempt's yen are above 0.
    Entry{figureKey::breakEvenYen, "収支（円）の損益分岐のゲーム数", Unit::Games},
};

// The figures of an attempt that hold its coin cost, which also come worked out with the cost
// c × games left unrounded, as "<key>_unrounded_cost".
constexpr std::array<std::string_view, 6> unroundedCostKeys = {
    figureKey::costPerAttempt, figureKey::netCoinsPerAttempt, figureKey::netPer1000Games,
    figureKey::payoutPercent,  figureKey::yenPerAttempt,      figureKey::yenPerHour};

// Percentile figures "<name>_p<n>": the label gets "の<n>%点".
constexpr std::array percentileEntries = {
    Entry{figureKey::netCoins, "差枚", Unit::Coins},
    Entry{figureKey::games, "プレイ数", Unit::Games},
    Entry{figureKey::bigGap, "BIG間ゲーム数", Unit::Games},
    Entry{figureKey::deepest, "最も沈んだ差枚", Unit::Coins},
};

constexpr std::array seriesEntries = {
    // x unit in the third field, value unit below.
    std::pair{Entry{figureKey::netAtLeast, "差枚がx枚以上の確率", Unit::Coins}, Unit::Share},
    std::pair{Entry{figureKey::bigCountLaw, "BIG回数の分布", Unit::Count}, Unit::Share},
    std::pair{Entry{figureKey::bigGapLaw, "BIG間ゲーム数の分布", Unit::Games}, Unit::Share},
    std::pair{Entry{figureKey::bonusGapLaw, "ボーナス間ゲーム数の分布", Unit::Games}, Unit::Share},
    std::pair{Entry{figureKey::netHistogram, "差枚のヒストグラム", Unit::Coins}, Unit::Count},
    // What an attempt is worth against the games since the last BIG of the machine found (狙い目).
    std::pair{Entry{figureKey::netCoinsPerAttempt, "一回あたりの差枚", Unit::Games}, Unit::Coins},
    std::pair{Entry{figureKey::gamesPerAttempt, "一回あたりのプレイ数", Unit::Games}, Unit::Games},
    std::pair{Entry{figureKey::bigPerAttempt, "一回あたりのBIG数", Unit::Games}, Unit::Number},
    std::pair{Entry{figureKey::netPer1000Games, "千ゲームあたりの差枚", Unit::Games}, Unit::Coins},
    std::pair{Entry{figureKey::netPerHour, "一時間あたりの差枚", Unit::Games}, Unit::Coins},
    std::pair{Entry{figureKey::pAhead, "勝ち越す確率", Unit::Games}, Unit::Share},
    std::pair{Entry{figureKey::yenPerAttempt, "一回あたりの収支（円）", Unit::Games}, Unit::Yen},
    std::pair{Entry{figureKey::yenPerHour, "時給（円）", Unit::Games}, Unit::Yen},
    std::pair{Entry{figureKey::posterior, "事後確率", Unit::Games}, Unit::Share},
};

}  // namespace

std::string percentileKey(std::string_view name, double percent) {
    return fmt::format("{}_p{}", name, percent);
}

Series makeSeries(std::string_view key) {
    // A curve worked out with the unrounded cost: the curve's label, marked so.
    constexpr std::string_view unrounded = figureKey::unroundedCost;
    if (key.ends_with(unrounded)) {
        const std::string_view base = key.substr(0, key.size() - unrounded.size());
        if (base == figureKey::netPerHour ||
            std::find(unroundedCostKeys.begin(), unroundedCostKeys.end(), base) !=
                unroundedCostKeys.end()) {
            Series series = makeSeries(base);
            series.key = std::string(key);
            series.label += "（コスト丸めなし）";
            return series;
        }
    }
    for (const auto& [entry, unit] : seriesEntries) {
        if (entry.key == key) {
            return {.key = std::string(key),
                    .label = std::string(entry.label),
                    .xUnit = entry.unit,
                    .unit = unit};
        }
    }
    throw std::logic_error(fmt::format("no series \"{}\" in the catalogue", key));
}

std::string unroundedCostKey(std::string_view key) {
    return std::string(key) + std::string(figureKey::unroundedCost);
}

std::string modeKey(std::size_t mode, std::string_view name) {
    return fmt::format("mode{}_{}", mode, name);
}

Figure makeFigure(std::string_view key, std::optional<double> value, Interval ci95) {
    // A cost figure worked out with the unrounded cost: the figure's label, marked so.
    constexpr std::string_view unrounded = figureKey::unroundedCost;
    if (key.ends_with(unrounded)) {
        const std::string_view base = key.substr(0, key.size() - unrounded.size());
        if (std::find(unroundedCostKeys.begin(), unroundedCostKeys.end(), base) !=
            unroundedCostKeys.end()) {
            Figure figure = makeFigure(base, value, ci95);
            figure.key = std::string(key);
            figure.label += "（コスト丸めなし）";
            return figure;
        }
    }
    for (const Entry& entry : entries) {
        if (entry.key == key) {
            return {std::string(key), std::string(entry.label), entry.unit, value, ci95};
        }
    }
    if (key.size() > 6 && key.starts_with("mode") && key[4] >= '0' && key[4] <= '5' &&
        key[5] == '_') {
        for (const Entry& entry : modeEntries) {
            if (key.substr(6) == entry.key) {
                return {std::string(key), fmt::format("モード{} {}", key[4], entry.label),
                        entry.unit, value, ci95};
            }
        }
    }
    for (const Entry& entry : percentileEntries) {
        const std::string_view rest = key.substr(std::min(key.size(), entry.key.size()));
        if (key.starts_with(entry.key) && rest.starts_with("_p") && rest.size() > 2) {
            return {std::string(key), fmt::format("{}の{}%点", entry.label, rest.substr(2)),
                    entry.unit, value, ci95};
        }
    }
    throw std::logic_error(fmt::format("no figure \"{}\" in the catalogue", key));
}

std::vector<std::string> catalogueKeys() {
    std::vector<std::string> keys;
    for (const Entry& entry : modeEntries) {
        keys.push_back(modeKey(0, entry.key));
    }
    for (const Entry& entry : entries) {
        keys.emplace_back(entry.key);
    }
    for (const Entry& entry : percentileEntries) {
        keys.push_back(std::string(entry.key) + "_p");
    }
    for (const auto& [entry, unit] : seriesEntries) {
        keys.emplace_back(entry.key);
    }
    for (const std::string_view key : unroundedCostKeys) {
        keys.push_back(unroundedCostKey(key));
    }
    keys.push_back(unroundedCostKey(figureKey::netPerHour));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

}  // namespace korvale
