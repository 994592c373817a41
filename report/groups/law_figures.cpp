#include "report/groups/law_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// Curves are written with at most about this many points.
constexpr double mostPoints = 2000.0;
// Exact curves start and end where they come within this of 1 and 0.
constexpr double curveEdge = 1e-9;
constexpr std::array<std::int32_t, 3> gapThresholds = {500, 1000, 1500};
// Width of a bin of the measured net histogram, in coins.
constexpr std::int64_t histogramBin = 50;

std::int64_t stepFor(std::int64_t from, std::int64_t to) {
    return std::max<std::int64_t>(1,
                                  static_cast<std::int64_t>(std::ceil((to - from) / mostPoints)));
}

std::string gapKey(std::int32_t games) {
    return "big_gap_ge_" + std::to_string(games);
}

// Shares of a tally's values: at each x of a grid, the share >= x.
Series measuredAtLeast(const Tally& tally) {
    Series series = makeSeries(figureKey::netAtLeast);
    if (tally.total() == 0) {
        return series;
    }
    const std::int64_t low = tally.lowest();
    const std::int64_t high = tally.highest();
    const std::int64_t step = stepFor(low, high);
    // One pass over the values held (not over the range they span): at each x, the values
    // below it are those visited before.
    std::int64_t below = 0;
    std::int64_t x = low;
    tally.forEachValue([&](std::int64_t value, std::int64_t count) {
        for (; x <= value; x += step) {
            const double share =
                static_cast<double>(tally.total() - below) / static_cast<double>(tally.total());
            series.x.push_back(static_cast<double>(x));
            series.value.push_back(share);
            series.ci95.push_back(tally.shareInterval(share));
        }
        below += count;
    });
    series.measuredTo = series.x.back();
    return series;
}

// The sums of a ratio over the batches of a run: `part(batch)` of each batch's values, over
// the number of its values.
template <typename Part>
RatioSums overBatches(const std::vector<Tally>& batches, Part part) {
    RatioSums sums;
    for (const Tally& batch : batches) {
        sums.add(static_cast<double>(batch.total()), static_cast<double>(part(batch)));
    }
    return sums;
}

// The batches' sums for the share of each value 0 .. last: batch by batch its values (x) and
// the count of each value (y). One pass over what each batch holds, which is the same
// arithmetic as adding every batch at every value (a batch without the value adds 0 to y,
// y² and xy): with many batches a pass per value would be most of the work after a run.
std::vector<RatioSums> sumsOfEachValue(const std::vector<Tally>& batches, std::int64_t last) {
    RatioSums none;
    for (const Tally& batch : batches) {
        none.add(static_cast<double>(batch.total()), 0.0);
    }
    std::vector<RatioSums> sums(static_cast<std::size_t>(last + 1), none);
    for (const Tally& batch : batches) {
        const auto trials = static_cast<double>(batch.total());
        batch.forEachValue([&](std::int64_t value, std::int64_t count) {
            if (value >= 0 && value <= last) {
                RatioSums& at = sums[static_cast<std::size_t>(value)];
                const auto seen = static_cast<double>(count);
                at.y += seen;
                at.yy += seen * seen;
                at.xy += trials * seen;
            }
        });
    }
    return sums;
}

// Batch by batch, how many of its values are at least each of `thresholds`, in one pass over
// what the batch holds (a scan per threshold would cost as much again for each).
std::vector<std::vector<std::int64_t>> countsAtLeast(const std::vector<Tally>& batches,
                                                     const std::vector<std::int64_t>& thresholds) {
    std::vector<std::size_t> order(thresholds.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return thresholds[a] < thresholds[b]; });
    std::vector<std::vector<std::int64_t>> counts;
    for (const Tally& batch : batches) {
        std::vector<std::int64_t> atLeast(thresholds.size(), 0);
        std::size_t next = 0;
        std::int64_t below = 0;
        batch.forEachValue([&](std::int64_t value, std::int64_t count) {
            for (; next < order.size() && thresholds[order[next]] <= value; ++next) {
                atLeast[order[next]] = batch.total() - below;
            }
            below += count;
        });
        for (; next < order.size(); ++next) {
            atLeast[order[next]] = batch.total() - below;
        }
        counts.push_back(std::move(atLeast));
    }
    return counts;
}

// The share of each value 1 .. last of a tally, with Wilson intervals; or, given the run's
// batches, with Wilson intervals on the trials the batches' spread is worth (for values that
// are not independent). Every x up to `last` has its point, 0 where none was seen, and the
// series says that it reaches `last`: a point past it is not measured, not 0.
Series measuredLaw(std::string_view key, const Tally& tally, std::int64_t last,
                   const std::vector<Tally>* batches = nullptr) {
    Series series = makeSeries(key);
    if (tally.total() == 0) {
        return series;
    }
    const std::vector<RatioSums> sums =
        batches != nullptr ? sumsOfEachValue(*batches, last) : std::vector<RatioSums>{};
    for (std::int64_t x = 1; x <= last; ++x) {
        const double share =
            static_cast<double>(tally.countOf(x)) / static_cast<double>(tally.total());
        series.x.push_back(static_cast<double>(x));
        series.value.push_back(share);
        series.ci95.push_back(batches != nullptr
                                  ? sums[static_cast<std::size_t>(x)].shareInterval95(share)
                                  : tally.shareInterval(share));
    }
    series.measuredTo = static_cast<double>(last);
    return series;
}

Series exactGapLaw(std::string_view key, const GapLaw& law) {
    Series series = makeSeries(key);
    for (std::int32_t n = 1; n <= law.last(); ++n) {
        series.x.push_back(n);
        series.value.push_back(law.chance[static_cast<std::size_t>(n)]);
    }
    return series;
}

void addPercentiles(FigureGroup& group, std::string_view name, const Tally& tally) {
    for (const double percent : lawPercentiles) {
        const double q = percent / 100.0;
        if (tally.total() == 0) {
            group.figures.push_back(makeFigure(percentileKey(name, percent), std::nullopt));
            continue;
        }
        group.figures.push_back(makeFigure(percentileKey(name, percent),
                                           static_cast<double>(tally.quantile(q)),
                                           tally.quantileInterval(q)));
    }
}

}  // namespace

void addOutcomeLaw(FigureGroup& group, const OutcomeLaw& law) {
    group.figures.push_back(makeFigure(figureKey::pAhead, law.pAhead));
    group.figures.push_back(makeFigure(figureKey::pEven, law.pEven));
    group.figures.push_back(makeFigure(figureKey::pBehind, law.pBehind));
    for (const double percent : lawPercentiles) {
        group.figures.push_back(makeFigure(percentileKey(figureKey::netCoins, percent),
                                           static_cast<double>(law.net.quantile(percent / 100))));
    }
    for (const double percent : lawPercentiles) {
        group.figures.push_back(makeFigure(percentileKey(figureKey::games, percent),
                                           static_cast<double>(law.games.quantile(percent / 100))));
    }
    // P(net >= k) from where it leaves 1 to where it reaches 0, within curveEdge.
    const std::vector<double>& chance = law.net.chance;
    std::vector<double> atLeast(chance.size() + 1, 0.0);
    for (std::size_t i = chance.size(); i-- > 0;) {
        atLeast[i] = atLeast[i + 1] + chance[i];
    }
    std::size_t from = 0;
    while (from + 1 < chance.size() && atLeast[from + 1] >= 1.0 - curveEdge) {
        ++from;
    }
    std::size_t to = from;
    while (to + 1 < chance.size() && atLeast[to + 1] >= curveEdge) {
        ++to;
    }
    Series net = makeSeries(figureKey::netAtLeast);
    const auto step = static_cast<std::size_t>(
        stepFor(static_cast<std::int64_t>(from), static_cast<std::int64_t>(to)));
    for (std::size_t i = from; i <= to; i += step) {
        net.x.push_back(static_cast<double>(law.net.first + static_cast<std::int64_t>(i)));
        net.value.push_back(std::clamp(atLeast[i], 0.0, 1.0));
    }
    group.series.push_back(std::move(net));
    Series bigs = makeSeries(figureKey::bigCountLaw);
    for (std::size_t b = 1; b < law.bigs.chance.size() && law.bigs.atLeast(b) >= curveEdge; ++b) {
        bigs.x.push_back(static_cast<double>(b));
        bigs.value.push_back(law.bigs.chance[b]);
    }
    group.series.push_back(std::move(bigs));
    group.details.push_back(makeFigure(figureKey::outcomeLawErrorBound, law.errorBound));
}

void addUnknownOutcomeLaw(FigureGroup& group) {
    for (const std::string_view key : {figureKey::pAhead, figureKey::pEven, figureKey::pBehind}) {
        group.figures.push_back(makeFigure(key, std::nullopt));
    }
    for (const std::string_view name : {figureKey::netCoins, figureKey::games}) {
        for (const double percent : lawPercentiles) {
            group.figures.push_back(makeFigure(percentileKey(name, percent), std::nullopt));
        }
    }
    group.details.push_back(makeFigure(figureKey::outcomeLawErrorBound, std::nullopt));
}

void addMeasuredOutcomeLaw(FigureGroup& group, const AttemptTotals& t) {
    const Tally& net = t.netLaw;
    const double n = static_cast<double>(net.total());
    auto share = [&](std::string_view key, std::int64_t count) {
        if (net.total() == 0) {
            group.figures.push_back(makeFigure(key, std::nullopt));
            return;
        }
        const double value = static_cast<double>(count) / n;
        group.figures.push_back(makeFigure(key, value, net.shareInterval(value)));
    };
    share(figureKey::pAhead, net.countAtLeast(1));
    share(figureKey::pEven, net.countAtLeast(0) - net.countAtLeast(1));
    share(figureKey::pBehind, net.total() - net.countAtLeast(0));
    addPercentiles(group, figureKey::netCoins, net);
    addPercentiles(group, figureKey::games, t.gamesLaw);
    group.series.push_back(measuredAtLeast(net));
    group.series.push_back(measuredLaw(figureKey::bigCountLaw, t.bigsLaw,
                                       t.bigsLaw.total() == 0 ? 0 : t.bigsLaw.highest()));
    Series histogram = makeSeries(figureKey::netHistogram);
    net.forEachValue([&](std::int64_t value, std::int64_t count) {
        const auto bin = static_cast<double>(
            (value >= 0 ? value / histogramBin : -((-value + histogramBin - 1) / histogramBin)) *
            histogramBin);
        if (histogram.x.empty() || histogram.x.back() != bin) {
            histogram.x.push_back(bin);
            histogram.value.push_back(0.0);
        }
        histogram.value.back() += static_cast<double>(count);
    });
    group.series.push_back(std::move(histogram));
}

void addLongRunGaps(FigureGroup& group, const LongRunGaps& gaps) {
    for (const std::int32_t games : gapThresholds) {
        group.figures.push_back(makeFigure(gapKey(games), gaps.bigGap.atLeast(games)));
    }
    group.figures.push_back(makeFigure(figureKey::bigGapMean, gaps.bigGap.mean));
    for (const double percent : lawPercentiles) {
        group.figures.push_back(makeFigure(percentileKey(figureKey::bigGap, percent),
                                           gaps.bigGap.quantile(percent / 100.0)));
    }
    group.series.push_back(exactGapLaw(figureKey::bigGapLaw, gaps.bigGap));
    group.series.push_back(exactGapLaw(figureKey::bonusGapLaw, gaps.bonusGap));
    group.details.push_back(makeFigure(figureKey::gapLawCut, gaps.lostMass));
}

void addMeasuredGaps(FigureGroup& group, const Tally& bigGaps, const Tally& bonusGaps,
                     const std::vector<Tally>& bigGapBatches,
                     const std::vector<Tally>& bonusGapBatches) {
    // The batches' counts at or above every threshold and above every percentile's value.
    std::vector<std::int64_t> thresholds(gapThresholds.begin(), gapThresholds.end());
    if (bigGaps.total() > 0) {
        for (const double percent : lawPercentiles) {
            thresholds.push_back(bigGaps.quantile(percent / 100.0) + 1);
        }
    }
    const std::vector<std::vector<std::int64_t>> atLeast = countsAtLeast(bigGapBatches, thresholds);
    const auto batchSums = [&](std::size_t threshold, bool below) {
        RatioSums sums;
        for (std::size_t b = 0; b < bigGapBatches.size(); ++b) {
            const std::int64_t total = bigGapBatches[b].total();
            const std::int64_t count = atLeast[b][threshold];
            sums.add(static_cast<double>(total),
                     static_cast<double>(below ? total - count : count));
        }
        return sums;
    };
    for (std::size_t i = 0; i < gapThresholds.size(); ++i) {
        const std::string key = gapKey(gapThresholds[i]);
        if (bigGaps.total() == 0) {
            group.figures.push_back(makeFigure(key, std::nullopt));
            continue;
        }
        const double share = bigGaps.shareAtLeast(gapThresholds[i]);
        group.figures.push_back(makeFigure(key, share, batchSums(i, false).shareInterval95(share)));
    }
    if (bigGaps.total() == 0) {
        group.figures.push_back(makeFigure(figureKey::bigGapMean, std::nullopt));
    } else {
        const RatioSums sums =
            overBatches(bigGapBatches, [](const Tally& batch) { return batch.sum(); });
        group.figures.push_back(
            makeFigure(figureKey::bigGapMean, bigGaps.mean(), sums.interval95(bigGaps.mean())));
    }
    group.figures.push_back(makeFigure(figureKey::bigGaps, static_cast<double>(bigGaps.total())));
    // A percentile's interval by the batches' spread of the share of waits up to it, read back
    // through the whole run's law (Woodruff's interval, with the batches' variance).
    for (std::size_t p = 0; p < lawPercentiles.size(); ++p) {
        const double percent = lawPercentiles[p];
        const double q = percent / 100.0;
        if (bigGaps.total() == 0) {
            group.figures.push_back(
                makeFigure(percentileKey(figureKey::bigGap, percent), std::nullopt));
            continue;
        }
        const std::int64_t value = thresholds[gapThresholds.size() + p] - 1;
        Interval interval = batchSums(gapThresholds.size() + p, true).shareInterval95(q);
        if (interval.known) {
            interval.low = static_cast<double>(bigGaps.quantile(interval.low));
            interval.high = static_cast<double>(bigGaps.quantile(interval.high));
        }
        group.figures.push_back(makeFigure(percentileKey(figureKey::bigGap, percent),
                                           static_cast<double>(value), interval));
    }
    constexpr std::int64_t longest = 3000;
    group.series.push_back(measuredLaw(figureKey::bigGapLaw, bigGaps, longest, &bigGapBatches));
    group.series.push_back(
        measuredLaw(figureKey::bonusGapLaw, bonusGaps, longest, &bonusGapBatches));
}

}  // namespace korvale
