#include "report/groups/found_groups.h"

#include <fmt/format.h>

#include <functional>
#include <optional>
#include <string>

#include "report/groups/exact_groups.h"
#include "report/groups/history_groups.h"
#include "report/model/fact_catalogue.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

std::string weightsText(const SettingVector& weights) {
    std::string text;
    for (const double weight : weights) {
        text += fmt::format("{}{}", text.empty() ? "" : ",", weight);
    }
    return text;
}

Series seriesOverCounts(std::string_view key, const std::vector<std::int32_t>& counts,
                        const std::vector<double>& values) {
    Series series = makeSeries(key);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        series.x.push_back(static_cast<double>(counts[i]));
        series.value.push_back(values[i]);
    }
    return series;
}

// The yen from cash of a column (hunt_cash.h): per attempt and per hour, under the key of
// the column's cost, and the break-even count in yen.
void addCashCurves(FigureGroup& group, const HuntColumn& column,
                   const std::vector<std::int32_t>& counts, const HallRates& rates,
                   const std::vector<double>& yen, std::optional<std::int32_t> breakEven,
                   const std::function<std::string(std::string_view)>& withCost) {
    std::vector<double> perHour;
    for (std::size_t k = 0; k < yen.size(); ++k) {
        perHour.push_back(yen[k] / hoursOfGames(rates, column.points[k].expectedGames));
    }
    group.figures.push_back(makeFigure(
        figureKey::breakEvenYen, breakEven ? std::optional<double>(*breakEven) : std::nullopt));
    group.series.push_back(seriesOverCounts(withCost(figureKey::yenPerAttempt), counts, yen));
    group.series.push_back(seriesOverCounts(withCost(figureKey::yenPerHour), counts, perHour));
}

FigureGroup huntGroup(const HuntColumn& column, const std::vector<std::int32_t>& counts,
                      EndConditions end, const HallRates& rates, const HuntCash* cash,
                      std::size_t index) {
    FigureGroup group{
        .source = Source::Exact, .setting = column.setting, .scope = Scope::Attempt, .end = end};
    group.figures = {makeFigure(figureKey::breakEven, column.breakEven
                                                          ? std::optional<double>(*column.breakEven)
                                                          : std::nullopt)};
    std::vector<double> net, games, bigs, per1000, perHour, yen, yenPerHour;
    bool rounded = !column.points.empty();
    for (const AttemptFigures& f : column.points) {
        net.push_back(f.expectedNet);
        games.push_back(f.expectedGames);
        bigs.push_back(f.expectedBigs);
        per1000.push_back(f.netPer1000Games);
        perHour.push_back(f.netPer1000Games * rates.gamesPerHour / 1000.0);
        yen.push_back(yenOfCoins(rates, f.expectedNet));
        yenPerHour.push_back(yenOfCoins(rates, perHour.back()));
        rounded = rounded && f.costRounding == CostRounding::Exact;
    }
    // The curves that hold the cost carry the sweep's mark when it is c × games unrounded.
    const auto withCost = [rounded](std::string_view key) {
        return rounded ? std::string(key) : unroundedCostKey(key);
    };
    group.series = {seriesOverCounts(withCost(figureKey::netCoinsPerAttempt), counts, net),
                    seriesOverCounts(figureKey::gamesPerAttempt, counts, games),
                    seriesOverCounts(figureKey::bigPerAttempt, counts, bigs),
                    seriesOverCounts(withCost(figureKey::netPer1000Games), counts, per1000),
                    seriesOverCounts(withCost(figureKey::netPerHour), counts, perHour)};
    // From cash the yen follow how deep each attempt goes: known where the lots are worked out.
    if (rates.pay == CoinSource::Stored) {
        group.series.push_back(seriesOverCounts(withCost(figureKey::yenPerAttempt), counts, yen));
        group.series.push_back(
            seriesOverCounts(withCost(figureKey::yenPerHour), counts, yenPerHour));
    } else if (cash != nullptr) {
        addCashCurves(group, column, counts, rates, cash->yen[index], cash->breakEven[index],
                      withCost);
    }
    if (!column.pAhead.empty()) {
        group.series.push_back(seriesOverCounts(figureKey::pAhead, counts, column.pAhead));
    }
    group.details = {makeFigure(figureKey::costRoundedPerAttempt, rounded ? 1.0 : 0.0)};
    // The chances' bound under the key the sweep gives its own.
    if (!column.pAhead.empty()) {
        group.details.push_back(makeFigure(figureKey::outcomeLawErrorBound, column.pAheadBound));
    }
    return group;
}

}  // namespace

Fact sinceBigFact(std::int32_t gamesSinceBig) {
    return makeFact(fact::gamesSinceBig, std::to_string(gamesSinceBig));
}

Fact priorFact(const std::optional<SettingVector>& prior) {
    const SettingVector weights = prior.value_or(SettingVector{1, 1, 1, 1, 1, 1});
    Fact weighed =
        makeFact(fact::prior, weightsText(weights), prior ? weightsText(weights) : "均等", false);
    weighed.numbers.assign(weights.begin(), weights.end());
    return weighed;
}

FigureGroup foundMixtureGroup(const AttemptFigures& mixture, const SettingVector& posterior) {
    FigureGroup group = exactAttemptGroup(mixture);
    group.setting = -1;
    group.figures.push_back(
        makeFigure(figureKey::atLeast4, posterior[3] + posterior[4] + posterior[5]));
    group.figures.push_back(makeFigure(figureKey::atLeast5, posterior[4] + posterior[5]));
    group.series.push_back(settingSeries(figureKey::posterior, "事後確率", posterior));
    return group;
}

std::vector<FigureGroup> huntGroups(const HuntTable& table, EndConditions end,
                                    const HallRates& rates, const HuntCash* cash) {
    std::vector<FigureGroup> groups;
    for (std::size_t s = 0; s < table.settings.size(); ++s) {
        const HuntColumn& column = table.settings[s];
        FigureGroup group = huntGroup(column, table.gamesSinceBig, end, rates, cash, s);
        if (table.mixture) {
            std::vector<double> chances;
            for (const SettingVector& posterior : table.posteriors) {
                chances.push_back(posterior[static_cast<std::size_t>(column.setting)]);
            }
            group.series.push_back(
                seriesOverCounts(figureKey::posterior, table.gamesSinceBig, chances));
        }
        groups.push_back(std::move(group));
    }
    if (table.mixture) {
        groups.push_back(huntGroup(*table.mixture, table.gamesSinceBig, end, rates, cash,
                                   table.settings.size()));
    }
    return groups;
}

}  // namespace korvale
