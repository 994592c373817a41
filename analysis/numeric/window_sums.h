#pragma once

// Sums over windows of `length` layers, taken for h falling one layer at a time, for `width`
// sequences side by side:
//   sum(h) = sum_{i < length} f(h, i) e(h + i),   f(h, i) = s(h) s(h + 1) ... s(h + i - 1),
// with the product of the window's `length` factors beside it. Every layer from `top` on has
// the top's terms. The layers go in blocks of `length`: a window is the rest of its own block,
// summed as the layers come, and the start of the block above, summed when that block was
// done; nothing is ever taken away again, so the sums keep the precision of their terms. A
// backward solve over a countdown of `length` games uses it to sum what each game of the
// countdown leads to. Vector code (vector_target.h), so that blocks of transform points
// (complex_block.h) can stand for S.
//
// Value needs a default (zero) value, `a += b` and `a.addScaled(b, factor)` (a += b * factor)
// with factor an S; S needs S(1) and `*=`.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

template <typename S, typename Value, std::size_t width>
class WindowSums {
  public:
    using Values = std::array<Value, width>;
    using Factors = std::array<S, width>;

    WindowSums() = default;
    WindowSums(std::int32_t length, std::int32_t top, const Values& eTop, const Factors& sTop) {
        restart(length, top, eTop, sTop);
    }

    // Starts anew, in the storage of the sums before.
    void restart(std::int32_t length, std::int32_t top, const Values& eTop, const Factors& sTop) {
        length_ = length;
        blockTop_ = top;
        const auto size = static_cast<std::size_t>(length);
        blockE_.assign(size, eTop);
        blockS_.assign(size, sTop);
        prefix_.resize(size);
        prefixProduct_.resize(size);
        takeBlockAbove();
        blockTop_ = top;
    }

    // The layer below the last one: its terms e and factors s; gives the window's sum and
    // the product of its `length` factors.
    void add(std::int32_t h, const Values& e, const Factors& s, Values& sum, Factors& product) {
        if (h < blockTop_ - length_) {
            takeBlockAbove();
            blockTop_ -= length_;
        }
        const auto at = static_cast<std::size_t>(h - (blockTop_ - length_));
        blockE_[at] = e;
        blockS_[at] = s;
        const auto t = static_cast<std::size_t>(h + length_ - blockTop_);
        for (std::size_t m = 0; m < width; ++m) {
            Value tail = own_[m] * s[m];
            tail += e[m];
            own_[m] = tail;
            ownProduct_[m] *= s[m];
            sum[m] = own_[m];
            sum[m].addScaled(prefix_[t][m], ownProduct_[m]);
            product[m] = ownProduct_[m] * prefixProduct_[t][m];
        }
    }

  private:
    // The block just filled becomes the block above: the sums over its first t layers.
    void takeBlockAbove() {
        Values sum{};
        Factors product;
        product.fill(S(1));
        for (std::size_t t = 0; t < blockE_.size(); ++t) {
            prefix_[t] = sum;
            prefixProduct_[t] = product;
            for (std::size_t m = 0; m < width; ++m) {
                sum[m].addScaled(blockE_[t][m], product[m]);
                product[m] *= blockS_[t][m];
            }
        }
        own_ = Values{};
        ownProduct_.fill(S(1));
    }

    std::int32_t length_ = 0;
    std::int32_t blockTop_ = 0;  // the block being filled holds layers blockTop - length ..
    std::vector<Values> blockE_;
    std::vector<Factors> blockS_;
    std::vector<Values> prefix_;          // [t]: the block above's first t layers
    std::vector<Factors> prefixProduct_;  // [t]: the product of its first t factors
    Values own_{};                        // from h to the end of its block
    Factors ownProduct_{};
};

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
