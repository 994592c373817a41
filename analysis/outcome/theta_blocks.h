#pragma once

// The loop both net laws' workers share: blocks of thetas 2 pi a / length, a = 0 .. length / 2,
// handed out one at a time from a shared counter, each block's values filed with their
// conjugates for the other half (the laws are real). Vector code
// (analysis/numeric/vector_target.h).

#include <atomic>
#include <complex>
#include <cstddef>
#include <numbers>
#include <vector>

#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/vector_target.h"
#include "common/parallel_work.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

// Hands out the blocks: `fill(a0, theta)` works out the block from a = a0 (its thetas, some of
// them past length / 2 in the last block); `done()` hears of each block filled. Returns early
// once `*cancel` is set or the work is stopped; waits while the work is held.
template <typename Fill, typename Done>
void forThetaBlocks(std::size_t length, std::atomic<std::size_t>& nextBlock,
                    const std::atomic<bool>* cancel, Fill fill, Done done) {
    constexpr std::size_t block = complexBlockSize;
    const std::size_t lastA = length / 2;
    for (std::size_t a0 = nextBlock++ * block; a0 <= lastA; a0 = nextBlock++ * block) {
        waitWhileHeld();
        if ((cancel != nullptr && cancel->load(std::memory_order_relaxed)) || workStopped()) {
            return;
        }
        RealBlock theta;
        for (std::size_t b = 0; b < block; ++b) {
            theta[b] =
                2.0 * std::numbers::pi * static_cast<double>(a0 + b) / static_cast<double>(length);
        }
        fill(a0, theta);
        done();
    }
}

// Files a block's values from a = a0 on in the transform, with their conjugates.
inline void fileThetaBlock(std::vector<std::complex<double>>& transform, std::size_t a0,
                           const ComplexBlock& sum) {
    const std::size_t length = transform.size();
    for (std::size_t b = 0; b < complexBlockSize && a0 + b <= length / 2; ++b) {
        const std::size_t a = a0 + b;
        transform[a] = std::complex<double>(sum.re[b], sum.im[b]);
        if (a > 0 && a < length - a) {
            transform[length - a] = std::conj(transform[a]);
        }
    }
}

// `value(theta)` gives a block's transform, filed in `transform` (of the given length).
template <typename Value, typename Done>
void runThetaBlocks(std::size_t length, std::atomic<std::size_t>& nextBlock,
                    const std::atomic<bool>* cancel, std::vector<std::complex<double>>& transform,
                    Value value, Done done) {
    forThetaBlocks(
        length, nextBlock, cancel,
        [&](std::size_t a0, const RealBlock& theta) {
            fileThetaBlock(transform, a0, value(theta));
        },
        done);
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
