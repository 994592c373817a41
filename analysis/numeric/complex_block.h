#pragma once

// A block of complex numbers, one for each of several transform points, held as a vector of
// real parts and a vector of imaginary parts. The outcome law does the same arithmetic at
// every point of its grid; done on a block at once, each operation is one vector instruction
// (or a few) for all the points. Vector code (vector_target.h).

#include <cmath>
#include <complex>
#include <cstddef>

#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

// A block fills one vector register of the variant: wider registers do more points per
// instruction, and a block wider than the registers would be split up slowly.
inline constexpr std::size_t complexBlockSize = KORVALE_VECTOR_DOUBLES;

// complexBlockSize doubles that arithmetic treats element by element (a GCC and Clang vector
// type: x * y multiplies each element, x * 2.0 each by 2, x[i] reads one). The alignment is
// spelled out: left to the compiler it follows the instructions of the code that asks, so the
// standard library's allocators (baseline code) would hand out blocks too loosely aligned for
// the wider variants.
inline constexpr std::size_t complexBlockBytes = complexBlockSize * sizeof(double);
using RealBlock =
    double __attribute__((vector_size(complexBlockBytes), aligned(complexBlockBytes)));

struct alignas(complexBlockBytes) ComplexBlock {
    RealBlock re{};
    RealBlock im{};

    ComplexBlock() = default;
    ComplexBlock(RealBlock real, RealBlock imaginary) : re(real), im(imaginary) {}
    // The same real number at every point.
    explicit ComplexBlock(double value) : re(RealBlock{} + value) {}

    ComplexBlock& operator+=(const ComplexBlock& other) {
        re += other.re;
        im += other.im;
        return *this;
    }
    ComplexBlock& operator-=(const ComplexBlock& other) {
        re -= other.re;
        im -= other.im;
        return *this;
    }
    ComplexBlock& operator*=(const ComplexBlock& other) {
        const RealBlock real = re * other.re - im * other.im;
        im = re * other.im + im * other.re;
        re = real;
        return *this;
    }

    // Point b as a complex number, and set to one.
    std::complex<double> at(std::size_t b) const { return {re[b], im[b]}; }
    void set(std::size_t b, std::complex<double> value) {
        re[b] = value.real();
        im[b] = value.imag();
    }
};

inline ComplexBlock operator+(ComplexBlock a, const ComplexBlock& b) {
    return a += b;
}

inline ComplexBlock operator-(ComplexBlock a, const ComplexBlock& b) {
    return a -= b;
}

inline ComplexBlock operator*(double s, const ComplexBlock& a) {
    return {a.re * s, a.im * s};
}

inline ComplexBlock operator*(const ComplexBlock& a, double s) {
    return {a.re * s, a.im * s};
}

inline ComplexBlock operator*(const ComplexBlock& a, const ComplexBlock& b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// Every point times the same complex number.
inline ComplexBlock multiply(const ComplexBlock& a, std::complex<double> w) {
    return {a.re * w.real() - a.im * w.imag(), a.re * w.imag() + a.im * w.real()};
}

// i * s * a for s = +-1.
inline ComplexBlock turnQuarter(const ComplexBlock& a, double s) {
    return {-s * a.im, s * a.re};
}

// exp(i angle) at every point.
inline ComplexBlock unitBlock(const RealBlock& angle) {
    ComplexBlock z;
    for (std::size_t b = 0; b < complexBlockSize; ++b) {
        z.re[b] = std::cos(angle[b]);
        z.im[b] = std::sin(angle[b]);
    }
    return z;
}

// exp(rate x) at every point.
inline ComplexBlock expBlock(const ComplexBlock& rate, double x) {
    ComplexBlock z = unitBlock(rate.im * x);
    for (std::size_t b = 0; b < complexBlockSize; ++b) {
        const double size = std::exp(rate.re[b] * x);
        z.re[b] *= size;
        z.im[b] *= size;
    }
    return z;
}

inline ComplexBlock reciprocal(const ComplexBlock& a) {
    const RealBlock norm = a.re * a.re + a.im * a.im;
    return {a.re / norm, -a.im / norm};
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
