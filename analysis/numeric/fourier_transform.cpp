#include "analysis/numeric/fourier_transform.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "analysis/numeric/fourier_steps.h"

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

void FourierTransform::transform(std::vector<Complex>& data, int sign) const {
    std::vector<Complex> scratch;
    fourier::transformAll(*this, data, scratch, sign);
}

}  // namespace korvale
