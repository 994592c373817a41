#pragma once

// The games' generating function E[z^G] of an attempt at the roots of unity of the cost's
// rounding, a block of roots a solve (as many as the vector registers hold). The solves are
// vector code (analysis/numeric/vector_target.h), one copy for each variant; forVectorVariant
// picks the one to run.

#include <atomic>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/attempt/attempt_start.h"
#include "analysis/model/machine_model.h"

namespace korvale {

struct RootsJob {
    const MachineModel* model = nullptr;
    std::int32_t bigEndGames = 0;  // whole games
    std::int32_t regEndGames = 0;
    std::vector<std::complex<double>> roots;           // the points z, each of size 1
    std::vector<AttemptStart> starts{morningStart()};  // one solve gives them all
    unsigned threads = 1;
    const std::atomic<bool>* cancel = nullptr;
    // Told how many roots a block held once it is done, on the thread that did it.
    std::function<void(std::size_t roots)> solved;
};

// E[z^G] at each of job.roots, in their order, for each start in turn: the value of start i at
// root k is at i * roots + k. Throws WorkCancelled once *job.cancel is set,
// and StatusError (NoSolution) for a solve that does not settle.
inline namespace sse2 {
std::vector<std::complex<double>> generatingFunctionAtRoots(const RootsJob& job);
}
inline namespace avx2 {
std::vector<std::complex<double>> generatingFunctionAtRoots(const RootsJob& job);
}
inline namespace avx512 {
std::vector<std::complex<double>> generatingFunctionAtRoots(const RootsJob& job);
}

}  // namespace korvale
