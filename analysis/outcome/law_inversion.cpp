#include "analysis/outcome/law_inversion.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "common/status.h"

namespace korvale {
namespace {

// The longest table the laws build: a power of 2, so that any count of values up to it has a
// length the transform takes within it too.
constexpr std::size_t largestTable = std::size_t{1} << 21;

[[noreturn]] void attemptsTooLong() {
    throw StatusError(StatusReason::AttemptsTooLong, "attempts this long have no outcome law here");
}

}  // namespace

std::size_t checkedLength(std::int64_t values) {
    if (values < 1) {
        throw std::invalid_argument("a table needs one value or more");
    }
    // Before the search for a length: 5-smooth numbers grow sparse far out.
    if (values > static_cast<std::int64_t>(largestTable)) {
        attemptsTooLong();
    }
    return FourierTransform::goodLength(static_cast<std::size_t>(values));
}

std::int64_t wholeEdge(double edge) {
    if (!(std::abs(edge) <= static_cast<double>(largestTable))) {
        attemptsTooLong();
    }
    return static_cast<std::int64_t>(edge);
}

RoundingPeriod roundingPeriod(const PeriodicCost& cost) {
    RoundingPeriod rounding;
    rounding.period = static_cast<std::size_t>(cost.period);
    rounding.nc = static_cast<double>(cost.thousandths * cost.period / 1000);
    rounding.roundedCost.resize(rounding.period);
    for (std::size_t j = 0; j < rounding.period; ++j) {
        rounding.roundedCost[j] =
            std::llround(cost.excess[j] + rounding.nc * static_cast<double>(j) /
                                              static_cast<double>(rounding.period));
    }
    return rounding;
}

IntegerLaw untiltedLaw(std::vector<Complex>& transform, std::int64_t low, double tilt,
                       double& arithmetic) {
    const std::size_t length = transform.size();
    for (std::size_t a = 0; a < length; ++a) {
        const double shift = -2.0 * std::numbers::pi *
                             static_cast<double>((static_cast<std::int64_t>(a) * low) %
                                                 static_cast<std::int64_t>(length)) /
                             static_cast<double>(length);
        transform[a] = multiply(transform[a], std::polar(1.0, shift));
    }
    FourierTransform(length, 1).transform(transform, -1);
    IntegerLaw law;
    law.first = low;
    law.chance.resize(length);
    arithmetic = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double untilt =
            std::exp(tilt * static_cast<double>(low + static_cast<std::int64_t>(i))) /
            static_cast<double>(length);
        law.chance[i] = transform[i].real() * untilt;
        arithmetic += std::abs(transform[i].imag()) * untilt;
    }
    return law;
}

double aheadChance(const IntegerLaw& head) {
    double behindOrEven = 0.0;
    for (std::size_t i = 0; i < head.chance.size(); ++i) {
        if (head.first + static_cast<std::int64_t>(i) <= 0) {
            behindOrEven += head.chance[i];
        }
    }
    return 1.0 - behindOrEven;
}

}  // namespace korvale
