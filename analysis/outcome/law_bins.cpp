#include "analysis/outcome/law_bins.h"

#include <stdexcept>

namespace korvale {
namespace {

// floor(value / width) for width >= 1.
std::int64_t binOf(std::int64_t value, std::int64_t width) {
    return value >= 0 ? value / width : -((-value + width - 1) / width);
}

}  // namespace

BinnedLaw binLaw(std::int64_t firstValue, const std::vector<double>& chance,
                 std::int64_t binWidth) {
    if (binWidth < 1) {
        throw std::invalid_argument("a bin is at least one value wide");
    }
    BinnedLaw binned;
    binned.binWidth = binWidth;
    if (chance.empty()) {
        return binned;
    }
    const std::int64_t firstBin = binOf(firstValue, binWidth);
    const std::int64_t lastBin =
        binOf(firstValue + static_cast<std::int64_t>(chance.size()) - 1, binWidth);
    binned.firstBinStart = firstBin * binWidth;
    binned.chance.assign(static_cast<std::size_t>(lastBin - firstBin + 1), 0.0);
    for (std::size_t i = 0; i < chance.size(); ++i) {
        const std::int64_t bin = binOf(firstValue + static_cast<std::int64_t>(i), binWidth);
        binned.chance[static_cast<std::size_t>(bin - firstBin)] += chance[i];
    }
    return binned;
}

}  // namespace korvale
