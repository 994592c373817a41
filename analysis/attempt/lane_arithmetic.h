#pragma once

// What the attempt chain's blocks of transform points hand to baseline code, one point at a
// time: the complex division and the pivoted solves of std::complex. Every point of a block
// then rounds as the solve of that point alone would, whichever variant of the vector code
// runs (a variant's compiler may fuse the products of its own complex arithmetic).

#include <array>
#include <complex>
#include <cstddef>

#include "analysis/model/machine_model.h"

namespace korvale {

using LaneMatrix = std::array<std::array<std::complex<double>, modeCount>, modeCount>;

std::complex<double> divideLane(std::complex<double> a, std::complex<double> b);

// Solves a x = b in place by solveInPlace (rows pivoted). b holds modeCount right-hand sides
// one after the other, each `parts` complex numbers: a number (1), or an affine value of the
// chain with one constant and then its coefficients (7 or 13).
void solveLaneInPlace(const LaneMatrix& a, std::complex<double>* b, std::size_t parts);

}  // namespace korvale
