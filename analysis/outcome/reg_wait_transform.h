#pragma once

// The transform of the net for a REG end that outlasts the BIG end (reg_wait_law.h), at the
// thetas of the inverse transform, and the real transform its bounds need. At each point the
// windows that follow a REG are played game by game (a handful of modes over L games), the
// game-by-game table before the first BIG (reg_wait_pieces.h) is summed with its phases, and
// everything is bucketed by the games modulo the rounding's period; one transform over the
// period then gives each lane at the period's roots, where the renewal over R and B is one
// small solve. Vector code (analysis/numeric/vector_target.h) for the workers.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/model/machine_model.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/outcome/law_inversion.h"
#include "analysis/outcome/reg_wait_pieces.h"

namespace korvale {

// The table's events of one lane and one game, their REG counts in a row (as NetGroup).
struct RegWaitGroup {
    std::size_t lane;  // the transform's lane (RegWaitLanes)
    std::int32_t games;
    bool big;
    std::int32_t firstReg;
    std::uint32_t begin;
    std::uint32_t end;
};

// Where each kind of value sits in a row of the transform (d states of each kind).
struct RegWaitLanes {
    std::size_t d = 0;
    std::size_t first = 0;   // 2d: from the start straight to R(j) (j < d) or B(j) (d + j)
    std::size_t regs = 0;    // 12: a REG before the first BIG, mode m (6 more at the ceiling)
    std::size_t window = 0;  // 6d: a REG's window with an unclean BIG, pre-BIG mode m, to R(j)
    std::size_t ceilingWindow = 0;  // 6d: the same for a REG at the ceiling
    std::size_t cont = 0;           // d * d: R(i)'s window to R(j)
    std::size_t stretch = 0;        // d: B(i)'s stretch, sum over its games of z^g q^(g-1)
    std::size_t rounding = 0;
    std::size_t width = 0;

    explicit RegWaitLanes(std::size_t states = 0);
};

struct RegWaitJob {
    const RegWaitPieces* pieces = nullptr;
    const MachineModel* model = nullptr;
    RegWaitLanes lanes;
    std::vector<RegWaitGroup> groups;
    std::vector<double> masses;
    std::int32_t longestTime = 0;  // the latest game any lane holds
    RoundingPeriod rounding;
    // theta = 2 pi a / length for a = 0 .. length / 2, at a tilt; the rest by symmetry.
    std::size_t length = 0;
    double tilt = 0.0;
    std::vector<Complex>* transform = nullptr;
    std::atomic<std::size_t> nextBlock{0};
    const std::atomic<bool>* cancel = nullptr;
    // Each BIG that leads to mode m counts landing[m] times in the transforms (1 but for the
    // expected count of such BIGs, a derivative of the real transform).
    std::array<double, modeCount> landing{1, 1, 1, 1, 1, 1};
};

// Groups the table's events and sets the lanes; the rounding's fields and the thetas are the
// caller's.
void prepareRegWaitJob(RegWaitJob& job, const RegWaitPieces& pieces, const MachineModel& model);

inline namespace sse2 {
void runRegWaitTransform(RegWaitJob& job, unsigned worker);
// E[exp(coinRate K + gameRate G)] for real rates (K the bonus coins), or infinity where the
// renewal does not converge.
double regWaitRealTransform(const RegWaitJob& job, double coinRate, double gameRate);
}  // namespace sse2
inline namespace avx2 {
void runRegWaitTransform(RegWaitJob& job, unsigned worker);
double regWaitRealTransform(const RegWaitJob& job, double coinRate, double gameRate);
}  // namespace avx2
inline namespace avx512 {
void runRegWaitTransform(RegWaitJob& job, unsigned worker);
double regWaitRealTransform(const RegWaitJob& job, double coinRate, double gameRate);
}  // namespace avx512

}  // namespace korvale
