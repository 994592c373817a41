#include "report/groups/yen_figures.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// A yen figure of an exact group holds the cost as the group's net does.
std::string costKey(const AttemptFigures& f, std::string_view key) {
    return f.costRounding == CostRounding::Exact ? std::string(key) : unroundedCostKey(key);
}

// The interval of a · m + b for the interval of m.
Interval affine(const Interval& m, double a, double b) {
    if (!m.known) {
        return {};
    }
    const double low = a * m.low + b;
    const double high = a * m.high + b;
    return {true, std::min(low, high), std::max(low, high)};
}

// The law of how deep the attempts went: its mean and its 50% and 90% points.
void addDeepestLaw(std::vector<Figure>& f, const Tally& deepest) {
    if (deepest.total() == 0) {
        return;
    }
    f.push_back(makeFigure(figureKey::deepestMean, deepest.mean(), deepest.meanInterval()));
    for (const double q : {0.5, 0.9}) {
        f.push_back(makeFigure(percentileKey(figureKey::deepest, q * 100.0),
                               static_cast<double>(deepest.quantile(q)),
                               deepest.quantileInterval(q)));
    }
}

// A ratio's value and interval, none before its first unit.
Figure ratioFigure(std::string_view key, const RatioSums& sums, double scale) {
    if (sums.x == 0.0) {
        return makeFigure(key, std::nullopt);
    }
    const double ratio = sums.y / sums.x;
    return makeFigure(key, scale * ratio, affine(sums.interval95(ratio), scale, 0.0));
}

// From cash, with the lots bought measured: yen = (bought + net) × 100 / exchange − 1000 × lots,
// the net's part exact, the lots' part and so the interval measured.
void addMeasuredCashYen(std::vector<Figure>& out, const AttemptFigures& f, const HallRates& rates,
                        double lots, const Interval& lotsInterval) {
    const double loss = lossPerLot(rates);
    const double stored = yenOfCoins(rates, f.expectedNet);
    const double hours = hoursOfGames(rates, f.expectedGames);
    out.push_back(makeFigure(costKey(f, figureKey::yenPerAttempt), stored - loss * lots,
                             affine(lotsInterval, -loss, stored)));
    out.push_back(
        makeFigure(figureKey::cashInPerAttempt, 1000.0 * lots, affine(lotsInterval, 1000.0, 0.0)));
    out.push_back(makeFigure(costKey(f, figureKey::yenPerHour), (stored - loss * lots) / hours,
                             affine(lotsInterval, -loss / hours, stored / hours)));
}

}  // namespace

void addExactYen(FigureGroup& group, const AttemptFigures& f, const HallRates& rates,
                 const std::optional<CashLots>& lots) {
    const double hours = hoursOfGames(rates, f.expectedGames);
    group.figures.push_back(makeFigure(figureKey::hoursPerAttempt, hours));
    const bool fromCash = rates.pay == CoinSource::Cash;
    if (fromCash && !lots) {
        return;
    }
    // From cash: the net exchanged, less what the lots bought lose at the exchange.
    const double yen =
        yenOfCoins(rates, f.expectedNet) - (fromCash ? lossPerLot(rates) * lots->expected : 0.0);
    group.figures.push_back(makeFigure(costKey(f, figureKey::yenPerAttempt), yen));
    if (fromCash) {
        group.figures.push_back(makeFigure(figureKey::cashInPerAttempt, 1000.0 * lots->expected));
        group.details.push_back(
            makeFigure(figureKey::cashYenErrorBound, lossPerLot(rates) * lots->errorBound));
    }
    group.figures.push_back(makeFigure(costKey(f, figureKey::yenPerHour), yen / hours));
}

FigureGroup cashGroup(const AttemptFigures& f, const CashTotals& cash) {
    FigureGroup group{
        .source = Source::Simulated, .setting = f.setting, .scope = Scope::Attempt, .end = f.end};
    const HallRates& rates = cash.rates;
    std::vector<Figure>& out = group.figures;
    out.push_back(makeFigure(figureKey::attempts, static_cast<double>(cash.lotsPerAttempt.units)));
    if (cash.lotsPerAttempt.units == 0) {
        return group;
    }
    const double lots = cash.lotsPerAttempt.y / cash.lotsPerAttempt.x;
    const Interval lotsInterval = cash.lotsPerAttempt.interval95(lots);
    addMeasuredCashYen(out, f, rates, lots, lotsInterval);
    addDeepestLaw(out, cash.deepestLaw);
    return group;
}

FigureGroup cashMixtureGroup(const AttemptFigures& mixture,
                             const std::array<CashTotals, settingCount>& bySetting,
                             const SettingVector& chances) {
    FigureGroup group{
        .source = Source::Simulated, .setting = -1, .scope = Scope::Attempt, .end = mixture.end};
    const HallRates& rates = bySetting[0].rates;
    // The settings' measures are independent: the mixture's variance is the weighed sum of
    // theirs.
    double lots = 0.0;
    double variance = 0.0;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const RatioSums& sums = bySetting[s].lotsPerAttempt;
        if (sums.units == 0) {
            return group;
        }
        const double mean = sums.y / sums.x;
        const Interval interval = sums.interval95(mean);
        const double half = interval.known ? (interval.high - interval.low) / 2.0 : 0.0;
        lots += chances[s] * mean;
        variance += chances[s] * chances[s] * half * half;
    }
    const double half = std::sqrt(variance);
    const Interval lotsInterval{true, std::max(lots - half, 0.0), lots + half};
    addMeasuredCashYen(group.figures, mixture, rates, lots, lotsInterval);
    return group;
}

void addYenOfMeasuredCoins(FigureGroup& group, const HallRates& rates) {
    const auto scaled = [&group](std::string_view from, std::string_view key, double scale) {
        const Figure* figure = group.find(std::string(from));
        if (figure == nullptr || !figure->value) {
            return makeFigure(key, std::nullopt);
        }
        return makeFigure(key, scale * *figure->value, affine(figure->ci95, scale, 0.0));
    };
    const double yenOfCoin = yenOfCoins(rates, 1.0);
    std::vector<Figure> added = {
        scaled(figureKey::gamesPerAttempt, figureKey::hoursPerAttempt, 1.0 / rates.gamesPerHour)};
    if (rates.pay == CoinSource::Stored) {
        added.push_back(scaled(figureKey::netCoinsPerAttempt, figureKey::yenPerAttempt, yenOfCoin));
        added.push_back(scaled(figureKey::netPer1000Games, figureKey::yenPerHour,
                               yenOfCoin * rates.gamesPerHour / 1000.0));
    }
    group.figures.insert(group.figures.end(), added.begin(), added.end());
}

void addMeasuredYen(FigureGroup& group, const AttemptTotals& t) {
    const CashTotals& cash = t.cash;
    const double gamesPerHour = cash.rates.gamesPerHour;
    std::vector<Figure>& f = group.figures;
    f.push_back(ratioFigure(figureKey::hoursPerAttempt, t.gamesPerAttempt, 1.0 / gamesPerHour));
    f.push_back(ratioFigure(figureKey::yenPerAttempt, cash.yenPerAttempt, 1.0));
    f.push_back(ratioFigure(figureKey::yenPerHour, cash.yenPerGame, gamesPerHour));
    if (cash.rates.pay == CoinSource::Cash) {
        f.push_back(ratioFigure(figureKey::cashInPerAttempt, cash.cashInPerAttempt, 1.0));
        addDeepestLaw(f, cash.deepestLaw);
    }
}

std::optional<CashTotals> addYenGroups(std::vector<FigureGroup>& groups, FigureGroup exactGroup,
                                       const AttemptFigures& figures, const HallRates& rates,
                                       const std::optional<CashLots>& lots,
                                       const MeasureCash& measure) {
    addExactYen(exactGroup, figures, rates, lots);
    groups.push_back(std::move(exactGroup));
    std::optional<CashTotals> measured = measure(figures);
    if (measured) {
        groups.push_back(cashGroup(figures, *measured));
    }
    return measured;
}

}  // namespace korvale
