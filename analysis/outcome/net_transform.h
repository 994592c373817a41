#pragma once

// The net's transform at the thetas of the outcome law's inverse transform, nearly all of the
// law's work: what outcome_law.cpp prepares, and the workers that share the thetas out in
// blocks. The workers are vector code (analysis/numeric/vector_target.h), one copy for each
// variant; forVectorVariant picks the one to run.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/model/machine_model.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/outcome/first_piece_start.h"
#include "analysis/outcome/law_inversion.h"
#include "analysis/outcome/outcome_law.h"

namespace korvale {

// Entries of one lane and one game count share the game's phase (and the BIG's coins): their
// REG counts run through a short range, so each group's REG phases are summed first, with the
// masses of the counts in the range in a row (zeros where a count has no entry), then
// multiplied by the game's phase once.
struct NetGroup {
    std::size_t residue;  // the games modulo the rounding's period
    std::size_t lane;
    std::int32_t games;
    bool big;
    std::int32_t firstReg;
    std::uint32_t begin;  // the masses, in NetTransformJob::masses
    std::uint32_t end;
};

struct NetTransformJob {
    // The lanes: d first pieces from lane 0, then d * d later ones, then d ends; the last lane
    // of `width` carries the rounding's part.
    std::size_t d = 0;
    std::size_t width = 0;
    std::int32_t longestGames = 0;
    std::int32_t mostRegs = 0;
    // The later pieces and the ends, grouped; the first piece comes in closed form.
    std::vector<NetGroup> groups;
    std::vector<double> masses;
    const MachineModel* model = nullptr;
    std::vector<int> postBigModes;
    FirstPieceStart firstPieceStart;
    RoundingPeriod rounding;
    // theta = 2 pi a / length for a = 0 .. length / 2, at a tilt; the rest by symmetry.
    std::size_t length = 0;
    double tilt = 0.0;
    std::vector<Complex>* transform = nullptr;
    // The blocks handed out so far and those done.
    std::atomic<std::size_t> nextBlock{0};
    std::atomic<std::size_t> blocksDone{0};
    const std::atomic<bool>* cancel = nullptr;
    const WorkControl::Progress* progress = nullptr;  // told by worker 0 only
    // For runNetTransformGrid: the starts, each with its transform (as `transform`).
    std::vector<FirstPieceStart> starts;
    std::vector<std::vector<Complex>>* transforms = nullptr;
};

// Fills (*job.transform)[a] for the blocks of thetas it takes, until none is left or the work
// is called off. net_transform.cpp defines each variant's.
// runNetTransformGrid fills (*job.transforms)[s] for every start instead, from one pass over
// the later pieces (FirstPieceGrid); job.firstPieceStart is not read.
inline namespace sse2 {
void runNetTransform(NetTransformJob& job, unsigned worker);
void runNetTransformGrid(NetTransformJob& job, unsigned worker);
}  // namespace sse2
inline namespace avx2 {
void runNetTransform(NetTransformJob& job, unsigned worker);
void runNetTransformGrid(NetTransformJob& job, unsigned worker);
}  // namespace avx2
inline namespace avx512 {
void runNetTransform(NetTransformJob& job, unsigned worker);
void runNetTransformGrid(NetTransformJob& job, unsigned worker);
}  // namespace avx512

}  // namespace korvale
