#pragma once

// Discrete Fourier transforms of any length whose prime factors are 2, 3 and 5, over several
// interleaved sequences at once ("lanes": element i of lane l at i * lanes + l), so that one
// transform serves many sequences of the same length with the lanes in the innermost loop.
// The outcome laws of an attempt need lengths such as 250 and 1000 (the periods of the coin
// cost's rounding) as well as long ones.

#include <complex>
#include <cstddef>
#include <vector>

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
    // +1 or -1.
    // No scaling. For lanes of blocks of sequences, transformBlocks (fourier_steps.h).
    void transform(std::vector<Complex>& data, int sign) const;

    std::size_t length() const { return length_; }
    std::size_t lanes() const { return lanes_; }

    // The smallest length >= n whose prime factors are 2, 3 and 5.
    static std::size_t goodLength(std::size_t n);

    // The steps' plan: the radix of each level and exp(sign 2 pi i exponent / of), `of`
    // dividing the length.
    std::size_t radix(std::size_t level) const { return radices_[level]; }
    Complex root(std::size_t exponent, std::size_t of, int sign) const {
        const Complex w = roots_[(exponent % of) * (length_ / of)];
        return sign > 0 ? w : std::conj(w);
    }

  private:
    std::size_t length_;
    std::size_t lanes_;
    std::vector<std::size_t> radices_;
    std::vector<Complex> roots_;  // exp(2 pi i j / length)
};

}  // namespace korvale
