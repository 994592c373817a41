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
    Series series = makeSeries("net_at_least");
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
    for (std::int64_t x = 1; x <= last; ++x) {
        const double share =
            static_cast<double>(tally.countOf(x)) / static_cast<double>(tally.total());
        Interval interval = tally.shareInterval(share);
        if (batches != nullptr) {
            interval = overBatches(*batches, [x](const Tally& batch) {
                           return batch.countOf(x);
                       }).shareInterval95(share);
        }
        series.x.push_back(static_cast<double>(x));
        series.value.push_back(share);
        series.ci95.push_back(interval);
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
    group.figures.push_back(makeFigure("p_ahead", law.pAhead));
    group.figures.push_back(makeFigure("p_even", law.pEven));
    group.figures.push_back(makeFigure("p_behind", law.pBehind));
    for (const double percent : lawPercentiles) {
        group.figures.push_back(makeFigure(percentileKey("net_coins", percent),
                                           static_cast<double>(law.net.quantile(percent / 100))));
    }
    for (const double percent : lawPercentiles) {
        group.figures.push_back(makeFigure(percentileKey("games", percent),
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
    Series net = makeSeries("net_at_least");
    const auto step = static_cast<std::size_t>(
        stepFor(static_cast<std::int64_t>(from), static_cast<std::int64_t>(to)));
    for (std::size_t i = from; i <= to; i += step) {
        net.x.push_back(static_cast<double>(law.net.first + static_cast<std::int64_t>(i)));
        net.value.push_back(std::clamp(atLeast[i], 0.0, 1.0));
    }
    group.series.push_back(std::move(net));
    Series bigs = makeSeries("big_count_law");
    for (std::size_t b = 1; b < law.bigs.chance.size() && law.bigs.atLeast(b) >= curveEdge; ++b) {
        bigs.x.push_back(static_cast<double>(b));
        bigs.value.push_back(law.bigs.chance[b]);
    }
    group.series.push_back(std::move(bigs));
    group.details.push_back(makeFigure("outcome_law_error_bound", law.errorBound));
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
    share("p_ahead", net.countAtLeast(1));
    share("p_even", net.countAtLeast(0) - net.countAtLeast(1));
    share("p_behind", net.total() - net.countAtLeast(0));
    addPercentiles(group, "net_coins", net);
    addPercentiles(group, "games", t.gamesLaw);
    group.series.push_back(measuredAtLeast(net));
    group.series.push_back(
        measuredLaw("big_count_law", t.bigsLaw, t.bigsLaw.total() == 0 ? 0 : t.bigsLaw.highest()));
    Series histogram = makeSeries("net_histogram");
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
    group.figures.push_back(makeFigure("big_gap_mean", gaps.bigGap.mean));
    for (const double percent : lawPercentiles) {
        group.figures.push_back(
            makeFigure(percentileKey("big_gap", percent), gaps.bigGap.quantile(percent / 100.0)));
    }
    group.series.push_back(exactGapLaw("big_gap_law", gaps.bigGap));
    group.series.push_back(exactGapLaw("bonus_gap_law", gaps.bonusGap));
    group.details.push_back(makeFigure("gap_law_cut", gaps.lostMass));
}

void addMeasuredGaps(FigureGroup& group, const Tally& bigGaps, const Tally& bonusGaps,
                     const std::vector<Tally>& bigGapBatches,
                     const std::vector<Tally>& bonusGapBatches) {
    for (const std::int32_t games : gapThresholds) {
        if (bigGaps.total() == 0) {
            group.figures.push_back(makeFigure(gapKey(games), std::nullopt));
            continue;
        }
        const double share = bigGaps.shareAtLeast(games);
        const RatioSums sums = overBatches(
            bigGapBatches, [games](const Tally& batch) { return batch.countAtLeast(games); });
        group.figures.push_back(makeFigure(gapKey(games), share, sums.shareInterval95(share)));
    }
    if (bigGaps.total() == 0) {
        group.figures.push_back(makeFigure("big_gap_mean", std::nullopt));
    } else {
        const RatioSums sums =
            overBatches(bigGapBatches, [](const Tally& batch) { return batch.sum(); });
        group.figures.push_back(
            makeFigure("big_gap_mean", bigGaps.mean(), sums.interval95(bigGaps.mean())));
    }
    group.figures.push_back(makeFigure("big_gaps", static_cast<double>(bigGaps.total())));
    // A percentile's interval by the batches' spread of the share of waits up to it, read back
    // through the whole run's law (Woodruff's interval, with the batches' variance).
    for (const double percent : lawPercentiles) {
        const double q = percent / 100.0;
        if (bigGaps.total() == 0) {
            group.figures.push_back(makeFigure(percentileKey("big_gap", percent), std::nullopt));
            continue;
        }
        const std::int64_t value = bigGaps.quantile(q);
        const RatioSums sums = overBatches(bigGapBatches, [value](const Tally& batch) {
            return static_cast<double>(batch.total() - batch.countAtLeast(value + 1));
        });
        Interval interval = sums.shareInterval95(q);
        if (interval.known) {
            interval.low = static_cast<double>(bigGaps.quantile(interval.low));
            interval.high = static_cast<double>(bigGaps.quantile(interval.high));
        }
        group.figures.push_back(
            makeFigure(percentileKey("big_gap", percent), static_cast<double>(value), interval));
    }
    constexpr std::int64_t longest = 3000;
    group.series.push_back(measuredLaw("big_gap_law", bigGaps, longest, &bigGapBatches));
    group.series.push_back(measuredLaw("bonus_gap_law", bonusGaps, longest, &bonusGapBatches));
}

}  // namespace korvale
