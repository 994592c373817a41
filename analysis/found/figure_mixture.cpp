#include "analysis/found/figure_mixture.h"

#include <algorithm>

#include "machine/korvale_tables.h"

namespace korvale {

AttemptFigures mixAttemptFigures(const std::array<AttemptFigures, settingCount>& bySetting,
                                 const SettingVector& chances) {
    return mixFigures(bySetting, chances);
}

AttemptFigures mixFigures(std::span<const AttemptFigures> figures,
                          std::span<const double> chances) {
    AttemptFigures mix;
    mix.end = figures[0].end;
    mix.start = figures[0].start;
    mix.start.modeLaw = {};  // each one's own
    mix.costRounding = CostRounding::Exact;
    mix.roundingExactBelowGames = figures[0].roundingExactBelowGames;
    for (std::size_t s = 0; s < figures.size(); ++s) {
        const AttemptFigures& one = figures[s];
        const double w = chances[s];
        mix.expectedGames += w * one.expectedGames;
        mix.expectedBigs += w * one.expectedBigs;
        mix.expectedRegs += w * one.expectedRegs;
        mix.expectedCost += w * one.expectedCost;
        mix.expectedNet += w * one.expectedNet;
        mix.roundingErrorBound += w * one.roundingErrorBound;
        mix.roundingExactBelowGames =
            std::min(mix.roundingExactBelowGames, one.roundingExactBelowGames);
        mix.roundingBeyondReach = mix.roundingBeyondReach || one.roundingBeyondReach;
        if (one.costRounding != CostRounding::Exact) {
            mix.costRounding = CostRounding::Unrounded;
        }
    }
    if (mix.costRounding != CostRounding::Exact) {
        mix.roundingExactBelowGames = 0;
        mix.roundingErrorBound = 0.0;
    }
    mix.netPer1000Games = 1000.0 * mix.expectedNet / mix.expectedGames;
    const double coinsIn = coinsInPerGame * mix.expectedGames;
    mix.payoutPercent = 100.0 * (coinsIn + mix.expectedNet) / coinsIn;
    return mix;
}

}  // namespace korvale
