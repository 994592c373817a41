#pragma once

// The Fourier transform's steps (fourier_transform.h), for any value that adds, subtracts and
// is scaled by doubles: one complex number (fourier_transform.cpp) or a block of them
// (transformBlocks). Vector code (vector_target.h): a block's steps run in its variant's
// instructions.

#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {
namespace fourier {

using korvale::multiply;  // both the complex number's and the block's

// i * s * z: the sign's quarter turn
inline Complex turnQuarter(Complex z, double s) {
    return {-s * z.imag(), s * z.real()};
}

// The butterflies' constants for the transform's sign.
struct RadixConstants {
    double s;  // the sign
    double c3 = -0.5;
    double s3 = std::sqrt(3.0) / 2.0;
    double c51 = std::cos(2.0 * std::numbers::pi / 5.0);
    double c52 = std::cos(4.0 * std::numbers::pi / 5.0);
    double s51 = std::sin(2.0 * std::numbers::pi / 5.0);
    double s52 = std::sin(4.0 * std::numbers::pi / 5.0);
};

// Combines the p sub-transforms' k-th elements, base[r * step + l] for r < p, in every lane.
template <typename Value>
void butterfly(std::size_t p, Value* base, std::size_t step, std::size_t lanes,
               const RadixConstants& rc) {
    Value* x0 = base;
    Value* x1 = base + step;
    Value* x2 = base + 2 * step;
    Value* x3 = base + 3 * step;
    Value* x4 = base + 4 * step;
    switch (p) {
        case 2:
            for (std::size_t l = 0; l < lanes; ++l) {
                const Value a = x0[l];
                const Value b = x1[l];
                x0[l] = a + b;
                x1[l] = a - b;
            }
            break;
        case 3:
            for (std::size_t l = 0; l < lanes; ++l) {
                const Value t = x1[l] + x2[l];
                const Value b = x0[l] + rc.c3 * t;
                const Value d = turnQuarter(rc.s3 * (x1[l] - x2[l]), rc.s);
                x0[l] += t;
                x1[l] = b + d;
                x2[l] = b - d;
            }
            break;
        case 4:
            for (std::size_t l = 0; l < lanes; ++l) {
                const Value a = x0[l] + x2[l];
                const Value b = x0[l] - x2[l];
                const Value c = x1[l] + x3[l];
                const Value d = turnQuarter(x1[l] - x3[l], rc.s);
                x0[l] = a + c;
                x1[l] = b + d;
                x2[l] = a - c;
                x3[l] = b - d;
            }
            break;
        default:  // 5
            for (std::size_t l = 0; l < lanes; ++l) {
                const Value a0 = x0[l];
                const Value t1 = x1[l] + x4[l];
                const Value t2 = x2[l] + x3[l];
                const Value t3 = x1[l] - x4[l];
                const Value t4 = x2[l] - x3[l];
                const Value b1 = a0 + rc.c51 * t1 + rc.c52 * t2;
                const Value b2 = a0 + rc.c52 * t1 + rc.c51 * t2;
                const Value d1 = turnQuarter(rc.s51 * t3 + rc.s52 * t4, rc.s);
                const Value d2 = turnQuarter(rc.s52 * t3 - rc.s51 * t4, rc.s);
                x0[l] = a0 + t1 + t2;
                x1[l] = b1 + d1;
                x4[l] = b1 - d1;
                x2[l] = b2 + d2;
                x3[l] = b2 - d2;
            }
            break;
    }
}

// Decimation in time: the sub-transforms of every radix-th element are written one after the
// other into `out`, then combined in place with the twiddle factors.
template <typename Value>
void transformPart(const FourierTransform& plan, const Value* in, Value* out, std::size_t n,
                   std::size_t stride, std::size_t level, int sign) {
    const std::size_t lanes = plan.lanes();
    if (n == 1) {
        for (std::size_t l = 0; l < lanes; ++l) {
            out[l] = in[l];
        }
        return;
    }
    const std::size_t p = plan.radix(level);
    const std::size_t m = n / p;
    for (std::size_t r = 0; r < p; ++r) {
        transformPart(plan, in + r * stride * lanes, out + r * m * lanes, m, stride * p, level + 1,
                      sign);
    }
    const RadixConstants constants{sign > 0 ? 1.0 : -1.0};
    std::array<Complex, 5> twiddle{};
    const std::size_t step = m * lanes;
    for (std::size_t k = 0; k < m; ++k) {
        for (std::size_t r = 1; r < p; ++r) {
            twiddle[r] = plan.root(r * k, n, sign);
        }
        Value* base = out + k * lanes;
        if (k > 0) {
            for (std::size_t r = 1; r < p; ++r) {
                Value* row = base + r * step;
                const Complex w = twiddle[r];
                for (std::size_t l = 0; l < lanes; ++l) {
                    row[l] = multiply(row[l], w);
                }
            }
        }
        butterfly(p, base, step, lanes, constants);
    }
}

template <typename Value>
void transformAll(const FourierTransform& plan, std::vector<Value>& data,
                  std::vector<Value>& scratch, int sign) {
    if (data.size() != plan.length() * plan.lanes()) {
        throw std::invalid_argument("transform data has the wrong size");
    }
    if (plan.length() == 1) {
        return;
    }
    scratch.resize(data.size());
    transformPart(plan, data.data(), scratch.data(), plan.length(), 1, 0, sign);
    data.swap(scratch);
}

}  // namespace fourier

// The plan's transform for lanes that each hold a block of sequences; `scratch` is working
// space that a caller may keep from one transform to the next (its contents do not matter).
inline void transformBlocks(const FourierTransform& plan, std::vector<ComplexBlock>& data,
                            std::vector<ComplexBlock>& scratch, int sign) {
    fourier::transformAll(plan, data, scratch, sign);
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
