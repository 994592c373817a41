#pragma once

// What both net transforms do alike at each block of thetas: tables of powers exp(rate n), and
// the rounding's lane, whose transform over the period gives the weight of each root of unity
// (docs/outcome_law.md, "The rounding's period"). Vector code
// (analysis/numeric/vector_target.h).

#include <cstddef>
#include <vector>

#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/vector_target.h"
#include "analysis/outcome/law_inversion.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

// table[n] = exp(rate n), by recurrence renewed from the exact value every 64 steps.
inline void fillPowers(std::vector<ComplexBlock>& table, const ComplexBlock& rate) {
    const ComplexBlock step = expBlock(rate, 1.0);
    for (std::size_t n = 0; n < table.size(); ++n) {
        table[n] = n % 64 == 0 ? expBlock(rate, static_cast<double>(n)) : table[n - 1] * step;
    }
}

// Enters h(j) / P = exp(-coinRate excess(j)) / P, excess(j) = round(c j) - (Nc / P) j, at
// residue -j of `lane` in data[residue * width + lane], so that the transform over the period
// that gives the other lanes at the roots w^k gives this one its coefficient on w^-k.
// `gamePhase` holds exp(gameRate n) for n up to P - 1 at least; `costPhase` is the caller's
// scratch, as long as the costs of a period.
inline void fillRoundingLane(const RoundingPeriod& rounding, const ComplexBlock& coinRate,
                             const std::vector<ComplexBlock>& gamePhase,
                             std::vector<ComplexBlock>& costPhase, ComplexBlock* data,
                             std::size_t width, std::size_t lane) {
    const std::size_t period = rounding.period;
    fillPowers(costPhase, -1.0 * coinRate);
    for (std::size_t j = 0; j < period; ++j) {
        data[(period - j) % period * width + lane] =
            (1.0 / static_cast<double>(period)) *
            (costPhase[static_cast<std::size_t>(rounding.roundedCost[j])] *
             reciprocal(gamePhase[j]));
    }
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
