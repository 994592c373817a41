#pragma once

// A value known up to a few unknowns: c + sum_j k[j] * unknown_j, with `channels` constants
// c that share the unknowns' coefficients k. A backward solve whose values depend on unknowns
// it finds only at the end (values at states it has not reached yet) carries them so and puts
// the unknowns in once they are known. Vector code (vector_target.h), so that blocks of
// transform points (complex_block.h) can stand for S.

#include <array>
#include <cstddef>
#include <type_traits>

#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

template <typename S, std::size_t unknowns, std::size_t channels = 2>
struct AffineValue {
    std::array<S, channels> c{};
    std::array<S, unknowns> k{};

    AffineValue& operator+=(const AffineValue& other) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            c[i] += other.c[i];
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            k[j] += other.k[j];
        }
        return *this;
    }
    AffineValue& operator-=(const AffineValue& other) {
        addScaled(other, S(-1));
        return *this;
    }
    AffineValue operator*(S factor) const {
        AffineValue scaled;
        scaled.addScaled(*this, factor);
        return scaled;
    }
    // this += other * factor
    void addScaled(const AffineValue& other, S factor) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            c[i] += other.c[i] * factor;
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            k[j] += other.k[j] * factor;
        }
    }
    // The same with a real factor, which a complex S multiplies at half the cost.
    void addScaled(const AffineValue& other, double factor) requires(!std::is_same_v<S, double>) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            c[i] += other.c[i] * factor;
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            k[j] += other.k[j] * factor;
        }
    }
    // Calls visit(part) for every constant and coefficient, in order: c, then k.
    template <typename Visit>
    void forEachPart(Visit visit) const {
        for (const S& part : c) {
            visit(part);
        }
        for (const S& part : k) {
            visit(part);
        }
    }
    // Calls visit(part, otherPart) for every pair of matching parts of the two values.
    template <typename Visit>
    void forEachPartWith(const AffineValue& other, Visit visit) const {
        for (std::size_t i = 0; i < c.size(); ++i) {
            visit(c[i], other.c[i]);
        }
        for (std::size_t j = 0; j < k.size(); ++j) {
            visit(k[j], other.k[j]);
        }
    }
};

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
