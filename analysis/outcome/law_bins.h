#pragma once

// A law over whole numbers gathered into the bins a histogram of the run uses
// ([k w, (k + 1) w) for every whole k, negative values included), so that the exact law can be
// drawn over what the run counted.

#include <cstdint>
#include <vector>

namespace korvale {

struct BinnedLaw {
    std::int64_t binWidth = 1;
    std::int64_t firstBinStart = 0;  // the lower end of chance[0]'s bin
    std::vector<double> chance;      // the law's chance in each bin
};

// `chance[i]` is the chance of firstValue + i; needs binWidth >= 1.
BinnedLaw binLaw(std::int64_t firstValue, const std::vector<double>& chance, std::int64_t binWidth);

}  // namespace korvale
