#pragma once

// Discrete Fourier transforms of any length whose prime factors are 2, 3 and 5, over several
// interleaved sequences at once ("lanes": element i of lane l at i * lanes + l), so that one
// transform serves many sequences of the same length with the lanes in the innermost loop.
// The outcome laws of an attempt need lengths such as 250 and 1000 (the periods of the coin
// cost's rounding) as well as long ones.

#include <complex>
#include <cstddef>
#include <vector>

#include "analysis/numeric/complex_block.h"

namespace korvale {

using Complex = std::complex<double>;

// a * b without the checks for infinities that std::complex's operator* makes.
inline Complex multiply(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

class FourierTransform {
  public:
    // Throws std::invalid_argument for a length that is 0 or has a prime factor above 5.
    FourierTransform(std::size_t length, std::size_t lanes);

    // X[k] = sum_j x[j] exp(sign * 2 pi i j k / length) for every lane, in place; sign is
    // +1 or -1. No scaling.
    void transform(std::vector<Complex>& data, int sign) const;
    // The same for lanes that each hold a block of sequences; `scratch` is working space that
    // a caller may keep from one transform to the next (its contents do not matter).
    void transform(std::vector<ComplexBlock>& data, std::vector<ComplexBlock>& scratch,
                   int sign) const;

    std::size_t length() const { return length_; }
    std::size_t lanes() const { return lanes_; }

    // The smallest length >= n whose prime factors are 2, 3 and 5.
    static std::size_t goodLength(std::size_t n);

  private:
    template <typename Value>
    void transformAll(std::vector<Value>& data, std::vector<Value>& scratch, int sign) const;
    template <typename Value>
    void transformPart(const Value* in, Value* out, std::size_t n, std::size_t stride,
                       std::size_t level, int sign) const;

    std::size_t length_;
    std::size_t lanes_;
    std::vector<std::size_t> radices_;
    std::vector<Complex> roots_;  // exp(2 pi i j / length)
};

}  // namespace korvale
