#include "analysis/quit_rules/rule_cost.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/attempt/capped_attempt.h"
#include "analysis/numeric/vector_variant.h"
#include "analysis/outcome/outcome_law.h"

namespace korvale {
namespace {

// The logarithm of a rule's seconds as a polynomial in its BIG end X and REG end Y (thousands
// of games), fitted by least squares to the thread CPU time of every rule of the default grid
// at 設定１ and at 設定６ (bench/rule_cost_study 1 6, on two cores of an AMD EPYC with
// AVX-512): within a factor of 1.6 of each rule, within 1% of each setting's whole. 設定２ to
// 設定５ cost what 設定１ does (設定５ measured: the first 89 rules took 56.4 s against 57.0 s),
// 設定６ about twice as much (its rounding's period is 1000 games, not 250).
struct CostFit {
    // log seconds = c0 + c1 X + c2 X² + c3 X³ + c4 Y, for a REG end of at most the BIG end + 1
    std::array<double, 5> whole;
    // log seconds = c0 + c1 X + c2 Y, for a longer REG end (the law of its own)
    std::array<double, 3> regWait;
};
constexpr CostFit settingOneFit = {{-1.5739, 1.0882, -0.5893, 1.0417, 3.9778},
                                   {-0.5392, -3.5370, 3.0804}};
constexpr CostFit settingSixFit = {{-0.7014, 0.0590, 2.1743, -0.7900, 2.9506},
                                   {1.1127, -1.5224, -0.2224}};

// The fit's grid: a rule beyond it costs what the nearest rule on it does.
constexpr double fittedBigEnd = 1000.0;
constexpr double fittedRegEnd = 300.0;

// The means of one rule (solveAttempt with the cost unrounded): the default grid's 882 rules
// took 1.4 s of CPU time.
constexpr double meansSecondsPerRule = 1.6e-3;

// The law's vector code on a narrower processor, against AVX-512: CPU time of exact --laws at
// 設定１ 300/100 with KORVALE_VECTOR set.
double vectorCostFactor() {
    switch (activeVectorVariant()) {
        case VectorVariant::sse2:
            return 1.65;
        case VectorVariant::avx2:
            return 1.2;
        case VectorVariant::avx512:
            break;
    }
    return 1.0;
}

}  // namespace

double ruleRiskSeconds(std::int32_t setting, EndConditions end) {
    const CostFit& fit = setting == 5 ? settingSixFit : settingOneFit;
    const double x = std::clamp(end.bigEnd, 0.0, fittedBigEnd) / 1000.0;
    const double y = std::clamp(static_cast<double>(end.regEnd), 0.0, fittedRegEnd) / 1000.0;
    const double logSeconds = outcomeLawCovers(end)
                                  ? fit.whole[0] +
                                        x * (fit.whole[1] + x * (fit.whole[2] + x * fit.whole[3])) +
                                        fit.whole[4] * y
                                  : fit.regWait[0] + fit.regWait[1] * x + fit.regWait[2] * y;
    return std::exp(logSeconds) * vectorCostFactor();
}

double meansSeconds(const SweepGrid& grid) {
    if (!grid.maxGames) {
        return meansSecondsPerRule * static_cast<double>(sweepPoints(grid).size());
    }
    double seconds = 0.0;
    for (const EndConditions& end : sweepPoints(grid)) {
        seconds += cappedAttemptSeconds(end, *grid.maxGames);
    }
    return seconds;
}

}  // namespace korvale
