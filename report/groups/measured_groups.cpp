#include "report/groups/measured_groups.h"

#include "machine/coin_totals.h"
#include "machine/korvale_tables.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

double asDouble(std::int64_t value) {
    return static_cast<double>(value);
}

Figure countFigure(std::string_view key, std::int64_t count) {
    return makeFigure(key, asDouble(count));
}

// The ratio numerator / denominator of the totals, defined once the denominator is not 0,
// with the interval of the per-unit sums.
Figure ratioFigure(std::string_view key, double numerator, double denominator,
                   const RatioSums& sums) {
    if (denominator == 0.0) {
        return makeFigure(key, std::nullopt);
    }
    const double ratio = numerator / denominator;
    return makeFigure(key, ratio, sums.interval95(ratio));
}

// Games per BIG in a mode: the inverse of the share of its games that draw a BIG, whose
// interval (Wilson's, on the trials the batches are worth) is turned over. A mode's visits are
// few and short (modes 1 and 3 last a game or two), so the ratio's own interval would be far
// from symmetric; a share's is not bound to be.
Figure releaseRateFigure(std::string_view key, double games, double bigs,
                         const RatioSums& bigShare) {
    if (bigs == 0.0) {
        return makeFigure(key, std::nullopt);
    }
    const Interval share = bigShare.shareInterval95(bigs / games);
    Interval rate{};
    if (share.known && share.low > 0.0) {
        rate = {true, 1.0 / share.high, 1.0 / share.low};
    }
    return makeFigure(key, games / bigs, rate);
}

// Batch sums of a ratio y / x over the batches of a machine played without end.
template <typename X, typename Y>
RatioSums batchSums(const std::vector<NormalTotals>& batches, X x, Y y) {
    RatioSums sums;
    for (const NormalTotals& batch : batches) {
        sums.add(x(batch), y(batch));
    }
    return sums;
}

// The payout rate as the machine works it out (the cost rounded once over all games), with
// the interval of the batches' coins (the rounding of one coin does not matter for its width).
Figure payoutFigure(std::int32_t setting, const NormalTotals& t,
                    const std::vector<NormalTotals>& batches) {
    if (t.games == 0) {
        return makeFigure(figureKey::payoutPercent, std::nullopt);
    }
    const double c = static_cast<double>(costCoefficient(setting));
    const RatioSums sums = batchSums(
        batches, [](const NormalTotals& b) { return 3.0 * asDouble(b.games); },
        [c](const NormalTotals& b) {
            return 100.0 * (3.0 * asDouble(b.games) + coinsPerBig * asDouble(b.bigs) +
                            coinsPerReg * asDouble(b.regs) - c * asDouble(b.games));
        });
    const CoinTotals coins = coinTotals(setting, t.games, t.bigs, t.regs);
    const double rate = payoutRate(coins.obtained, t.games);
    return makeFigure(figureKey::payoutPercent, rate, sums.interval95(rate));
}

// No bonus in modes 1..5 leads to mode 0, so the games begun in mode 0 are the first stretch
// of each machine from the morning, and the long run never returns there.
constexpr bool modeZeroOnlyInTheMorning() {
    for (std::size_t m = 1; m < modeCount; ++m) {
        if (regWeightsByMode[m][0] != 0) {
            return false;
        }
    }
    for (const auto& rows : bigWeights) {
        for (const WeightRow& row : rows) {
            if (row[0] != 0) {
                return false;
            }
        }
    }
    return true;
}
static_assert(modeZeroOnlyInTheMorning());

// Each mode's share of the games of the long run: of the games after the morning's mode 0 (the
// long run's share of mode 0 is 0, and a run's morning stretch would make it seem otherwise),
// with Wilson's interval on the trials the batches' spread is worth.
Figure modeShareFigure(std::size_t m, const NormalTotals& t,
                       const std::vector<NormalTotals>& batches) {
    const auto afterMorning = [](const NormalTotals& b) {
        return asDouble(b.games - b.modeGames[0]);
    };
    const double games = afterMorning(t);
    if (games == 0.0) {
        return makeFigure(modeKey(m, figureKey::share), std::nullopt);
    }
    const double share = m == 0 ? 0.0 : asDouble(t.modeGames[m]) / games;
    const RatioSums sums = batchSums(batches, afterMorning, [m](const NormalTotals& b) {
        return m == 0 ? 0.0 : asDouble(b.modeGames[m]);
    });
    return makeFigure(modeKey(m, figureKey::share), share, sums.shareInterval95(share));
}

}  // namespace

FigureGroup measuredLongRunGroup(std::int32_t setting, const NormalTotals& t,
                                 const std::vector<NormalTotals>& batches) {
    FigureGroup group{.source = Source::Simulated, .setting = setting, .scope = Scope::LongRun};
    const auto games = [](const NormalTotals& b) { return asDouble(b.games); };
    const auto bigs = [](const NormalTotals& b) { return asDouble(b.bigs); };
    const auto regs = [](const NormalTotals& b) { return asDouble(b.regs); };
    const auto bonuses = [](const NormalTotals& b) { return asDouble(b.bigs + b.regs); };
    std::vector<Figure>& f = group.figures;
    f.push_back(countFigure(figureKey::games, t.games));
    f.push_back(countFigure(figureKey::big, t.bigs));
    f.push_back(countFigure(figureKey::reg, t.regs));
    f.push_back(countFigure(figureKey::netCoins, coinTotals(setting, t.games, t.bigs, t.regs).net));
    f.push_back(ratioFigure(figureKey::bigOdds, asDouble(t.games), asDouble(t.bigs),
                            batchSums(batches, bigs, games)));
    f.push_back(ratioFigure(figureKey::regOdds, asDouble(t.games), asDouble(t.regs),
                            batchSums(batches, regs, games)));
    f.push_back(ratioFigure(figureKey::bonusOdds, asDouble(t.games), asDouble(t.bigs + t.regs),
                            batchSums(batches, bonuses, games)));
    f.push_back(payoutFigure(setting, t, batches));
    for (std::size_t m = 0; m < modeCount; ++m) {
        const auto modeGames = [m](const NormalTotals& b) { return asDouble(b.modeGames[m]); };
        const auto modeBigs = [m](const NormalTotals& b) { return asDouble(b.modeBigs[m]); };
        f.push_back(modeShareFigure(m, t, batches));
        f.push_back(releaseRateFigure(modeKey(m, figureKey::rtReleaseRate),
                                      asDouble(t.modeGames[m]), asDouble(t.modeBigs[m]),
                                      batchSums(batches, modeGames, modeBigs)));
        f.push_back(countFigure(modeKey(m, figureKey::games), t.modeGames[m]));
        f.push_back(countFigure(modeKey(m, figureKey::big), t.modeBigs[m]));
    }
    return group;
}

FigureGroup measuredAttemptGroup(std::int32_t setting, const EndConditions& end,
                                 const AttemptTotals& t) {
    FigureGroup group{
        .source = Source::Simulated, .setting = setting, .scope = Scope::Attempt, .end = end};
    const double attempts = asDouble(t.attempts);
    std::vector<Figure>& f = group.figures;
    f.push_back(countFigure(figureKey::attempts, t.attempts));
    f.push_back(countFigure(figureKey::games, t.games));
    f.push_back(countFigure(figureKey::big, t.bigs));
    f.push_back(countFigure(figureKey::reg, t.regs));
    f.push_back(countFigure(figureKey::netCoins, t.net));
    f.push_back(ratioFigure(figureKey::bigOdds, asDouble(t.games), asDouble(t.bigs), t.bigOdds));
    f.push_back(ratioFigure(figureKey::regOdds, asDouble(t.games), asDouble(t.regs), t.regOdds));
    f.push_back(ratioFigure(figureKey::bonusOdds, asDouble(t.games), asDouble(t.bigs + t.regs),
                            t.bonusOdds));
    f.push_back(
        ratioFigure(figureKey::gamesPerAttempt, asDouble(t.games), attempts, t.gamesPerAttempt));
    f.push_back(
        ratioFigure(figureKey::bigPerAttempt, asDouble(t.bigs), attempts, t.bigsPerAttempt));
    f.push_back(
        ratioFigure(figureKey::regPerAttempt, asDouble(t.regs), attempts, t.regsPerAttempt));
    f.push_back(
        ratioFigure(figureKey::costPerAttempt, t.costPerAttempt.y, attempts, t.costPerAttempt));
    f.push_back(
        ratioFigure(figureKey::netCoinsPerAttempt, asDouble(t.net), attempts, t.netPerAttempt));
    f.push_back(ratioFigure(figureKey::netPer1000Games, 1000.0 * asDouble(t.net), asDouble(t.games),
                            t.netPer1000Games));
    Figure payout = makeFigure(figureKey::payoutPercent, std::nullopt);
    if (t.games > 0) {
        const double rate = payoutRate(t.obtained, t.games);
        payout = makeFigure(figureKey::payoutPercent, rate, t.payout.interval95(rate));
    }
    f.push_back(payout);
    return group;
}

FigureGroup measuredDayGroup(std::int32_t setting, const AttemptTotals& totals) {
    FigureGroup group = measuredAttemptGroup(setting, EndConditions{}, totals);
    group.scope = Scope::Day;
    group.end.reset();
    return group;
}

}  // namespace korvale
