#pragma once

// The day's renewal over the BIGs at one block of frequencies, nearly all of a day's law's work
// (day_law.cpp prepares its pieces): vector code (analysis/numeric/vector_target.h), one copy
// for each variant; forVectorVariant picks the one to run.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/numeric/fourier_transform.h"

namespace korvale {

// What every block of one root of the REG count reads: the pieces' transforms (frequency f at
// data[f × lanes + lane], lanes (a + 1)², as day_law.cpp lays them out), the transform they
// were taken with, and the days asked for.
struct DayRenewalJob {
    const std::vector<Complex>* data = nullptr;
    std::size_t afterBig = 0;  // a, the modes a BIG can lead to
    std::size_t period = 0;
    const FourierTransform* transform = nullptr;
    std::span<const std::int32_t> games;
    std::int64_t bigs = 0;  // BIG counts 0 .. bigs
};

// The frequencies from `from` (a block of at most dayBlockSize): for k = 0 .. bigs BIGs, the
// day's transform with k BIGs (weighed by y^REGs) taken back to each of the games, added into
// value[k][sample].
inline constexpr std::size_t dayBlockSize = 64;
inline namespace sse2 {
void renewDayBlock(const DayRenewalJob& job, std::size_t from,
                   std::vector<std::vector<Complex>>& value);
}  // namespace sse2
inline namespace avx2 {
void renewDayBlock(const DayRenewalJob& job, std::size_t from,
                   std::vector<std::vector<Complex>>& value);
}  // namespace avx2
inline namespace avx512 {
void renewDayBlock(const DayRenewalJob& job, std::size_t from,
                   std::vector<std::vector<Complex>>& value);
}  // namespace avx512

}  // namespace korvale
