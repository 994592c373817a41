#include "analysis/numeric/fourier_transform.h"

#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace korvale {

FourierTransform::FourierTransform(std::size_t length, std::size_t lanes)
    : length_(length), lanes_(lanes) {
    if (length == 0 || lanes == 0) {
        throw std::invalid_argument("a transform needs a length and lanes");
    }
    std::size_t rest = length;
    for (const std::size_t radix : {4, 2, 3, 5}) {
        while (rest % radix == 0) {
            radices_.push_back(radix);
            rest /= radix;
        }
    }
    if (rest != 1) {
        throw std::invalid_argument("transform length must have no prime factor above 5");
    }
    roots_.resize(length);
    for (std::size_t j = 0; j < length; ++j) {
        // Angles from the exact fraction keep every root accurate to the last bit or so.
        roots_[j] = std::polar(
            1.0, 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(length));
    }
}

std::size_t FourierTransform::goodLength(std::size_t n) {
    for (std::size_t candidate = std::max<std::size_t>(n, 1);; ++candidate) {
        std::size_t rest = candidate;
        for (const std::size_t radix : {2, 3, 5}) {
            while (rest % radix == 0) {
                rest /= radix;
            }
        }
        if (rest == 1) {
            return candidate;
        }
    }
}

namespace {

// i * s * z: the sign's quarter turn
Complex turnQuarter(Complex z, double s) {
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

}  // namespace

void FourierTransform::transform(std::vector<Complex>& data, int sign) const {
    std::vector<Complex> scratch;
    transformAll(data, scratch, sign);
}

void FourierTransform::transform(std::vector<ComplexBlock>& data,
                                 std::vector<ComplexBlock>& scratch, int sign) const {
    transformAll(data, scratch, sign);
}

template <typename Value>
void FourierTransform::transformAll(std::vector<Value>& data, std::vector<Value>& scratch,
                                    int sign) const {
    if (data.size() != length_ * lanes_) {
        throw std::invalid_argument("transform data has the wrong size");
    }
    if (length_ == 1) {
        return;
    }
    scratch.resize(data.size());
    transformPart(data.data(), scratch.data(), length_, 1, 0, sign);
    data.swap(scratch);
}

// Decimation in time: the sub-transforms of every radix-th element are written one after the
// other into `out`, then combined in place with the twiddle factors.
template <typename Value>
void FourierTransform::transformPart(const Value* in, Value* out, std::size_t n, std::size_t stride,
                                     std::size_t level, int sign) const {
    const std::size_t lanes = lanes_;
    if (n == 1) {
        for (std::size_t l = 0; l < lanes; ++l) {
            out[l] = in[l];
        }
        return;
    }
    const std::size_t p = radices_[level];
    const std::size_t m = n / p;
    for (std::size_t r = 0; r < p; ++r) {
        transformPart(in + r * stride * lanes, out + r * m * lanes, m, stride * p, level + 1, sign);
    }
    auto root = [&](std::size_t exponent, std::size_t of) {
        const Complex w = roots_[(exponent % of) * (length_ / of)];
        return sign > 0 ? w : std::conj(w);
    };
    const RadixConstants constants{sign > 0 ? 1.0 : -1.0};
    std::array<Complex, 5> twiddle{};
    const std::size_t step = m * lanes;
    for (std::size_t k = 0; k < m; ++k) {
        for (std::size_t r = 1; r < p; ++r) {
            twiddle[r] = root(r * k, n);
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

}  // namespace korvale
