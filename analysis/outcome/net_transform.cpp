#include "analysis/outcome/net_transform.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <numbers>
#include <vector>

#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/fourier_steps.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/numeric/vector_target.h"
#include "analysis/outcome/first_piece_transform.h"
#include "analysis/outcome/renewal_value.h"
#include "analysis/outcome/rounding_lane.h"
#include "analysis/outcome/theta_blocks.h"
#include "common/parallel_work.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {
namespace {

// One worker's tables, kept from one block of thetas to the next.
struct BlockTables {
    std::vector<ComplexBlock> data;  // data[j * width + lane]: the lane at residue j
    std::vector<ComplexBlock> scratch;
    std::vector<ComplexBlock> costPhase;
    std::vector<ComplexBlock> gamePhase;
    std::vector<ComplexBlock> bigGamePhase;
    std::vector<ComplexBlock> regPhase;

    explicit BlockTables(const NetTransformJob& job)
        : data(job.rounding.period * job.width),
          costPhase(static_cast<std::size_t>(job.rounding.roundedCost.back()) + 1),
          gamePhase(std::max(static_cast<std::size_t>(job.longestGames), job.rounding.period) + 1),
          bigGamePhase(gamePhase.size()),
          regPhase(static_cast<std::size_t>(job.mostRegs) + 1) {}
};

// The later pieces' lanes at residue j of the games, for every j, and the rounding's part.
void fillLaterLanes(const NetTransformJob& job, const ComplexBlock& coinRate,
                    const ComplexBlock& gameRate, BlockTables& t) {
    const std::size_t width = job.width;
    // exp(coinRate x) weighs x coins, exp(gameRate g) the g games' share of the cost.
    fillPowers(t.gamePhase, gameRate);
    fillPowers(t.regPhase, coinsPerReg * coinRate);
    const ComplexBlock bigPhase = expBlock(coinRate, coinsPerBig);
    for (std::size_t n = 0; n < t.gamePhase.size(); ++n) {
        t.bigGamePhase[n] = t.gamePhase[n] * bigPhase;
    }
    for (ComplexBlock& x : t.data) {
        x = ComplexBlock();
    }
    for (const NetGroup& g : job.groups) {
        const double* mass = job.masses.data() + g.begin;
        const ComplexBlock* phase = t.regPhase.data() + g.firstReg;
        ComplexBlock sum;
        for (std::uint32_t n = 0; n < g.end - g.begin; ++n) {
            sum.re += mass[n] * phase[n].re;
            sum.im += mass[n] * phase[n].im;
        }
        const auto games = static_cast<std::size_t>(g.games);
        sum = sum * (g.big ? t.bigGamePhase[games] : t.gamePhase[games]);
        t.data[g.residue * width + g.lane] += sum;
    }
    fillRoundingLane(job.rounding, coinRate, t.gamePhase, t.costPhase, t.data.data(), width,
                     width - 1);
}

// The transform at the block's thetas: the P values of the renewal over the phases, weighed
// by the rounding's part.
ComplexBlock blockValue(const NetTransformJob& job, const FourierTransform& overPhase,
                        const FirstPieceTransform& firstPiece, const RealBlock& theta,
                        BlockTables& t) {
    const std::size_t d = job.d;
    const ComplexBlock coinRate(RealBlock{} - job.tilt, theta);
    const ComplexBlock gameRate =
        (-job.rounding.nc / static_cast<double>(job.rounding.period)) * coinRate;
    fillLaterLanes(job, coinRate, gameRate, t);
    firstPiece.add(coinRate, gameRate, t.data.data(), job.width);
    transformBlocks(overPhase, t.data, t.scratch, +1);
    ComplexBlock sum;
    for (std::size_t k = 0; k < job.rounding.period; ++k) {
        const ComplexBlock* row = t.data.data() + k * job.width;
        const ComplexBlock value = renewalValue<ComplexBlock>(d, row, row + d, row + d + d * d);
        sum += value * row[job.width - 1];
    }
    return sum;
}

// The weights the first piece's BIGs are read against, at residue j and lane l:
// weight[j d + l] = sum over roots k of w^(kj) h_k x_k[l], x_k = (I - S)^-1 E at root k and h_k
// the rounding's weight there.
void renewalWeights(const NetTransformJob& job, const FourierTransform& overRoots, BlockTables& t,
                    std::vector<ComplexBlock>& weight, std::vector<ComplexBlock>& scratch) {
    const std::size_t d = job.d;
    for (std::size_t k = 0; k < job.rounding.period; ++k) {
        const ComplexBlock* row = t.data.data() + k * job.width;
        std::array<std::array<ComplexBlock, modeCount>, modeCount> a{};
        std::array<ComplexBlock, modeCount> x{};
        for (std::size_t i = 0; i < d; ++i) {
            for (std::size_t j = 0; j < d; ++j) {
                a[i][j] = ComplexBlock(i == j ? 1.0 : 0.0) - row[d + i * d + j];
            }
            x[i] = row[d + d * d + i];
        }
        solveDominantInPlace(a, x, d);
        for (std::size_t l = 0; l < d; ++l) {
            weight[k * d + l] = row[job.width - 1] * x[l];
        }
    }
    transformBlocks(overRoots, weight, scratch, +1);
}

}  // namespace

void runNetTransformGrid(NetTransformJob& job, unsigned /*worker*/) {
    const FourierTransform overPhase(job.rounding.period, job.width);
    const FourierTransform overRoots(job.rounding.period, job.d);
    const FirstPieceGrid grid(*job.model, job.postBigModes, job.rounding.period, job.starts);
    BlockTables tables(job);
    std::vector<ComplexBlock> weight(job.rounding.period * job.d);
    std::vector<ComplexBlock> scratch;
    std::vector<ComplexBlock> values(job.starts.size());
    forThetaBlocks(
        job.length, job.nextBlock, job.cancel,
        [&](std::size_t a0, const RealBlock& theta) {
            const ComplexBlock coinRate(RealBlock{} - job.tilt, theta);
            const ComplexBlock gameRate =
                (-job.rounding.nc / static_cast<double>(job.rounding.period)) * coinRate;
            fillLaterLanes(job, coinRate, gameRate, tables);
            transformBlocks(overPhase, tables.data, tables.scratch, +1);
            renewalWeights(job, overRoots, tables, weight, scratch);
            grid.values(coinRate, gameRate, weight.data(), values.data());
            for (std::size_t s = 0; s < values.size(); ++s) {
                fileThetaBlock((*job.transforms)[s], a0, values[s]);
            }
        },
        [] {});
}

void runNetTransform(NetTransformJob& job, unsigned worker) {
    const std::size_t blocks = job.length / 2 / complexBlockSize + 1;
    const FourierTransform overPhase(job.rounding.period, job.width);
    const FirstPieceTransform firstPiece(*job.model, job.postBigModes, job.rounding.period,
                                         job.firstPieceStart);
    BlockTables tables(job);
    runThetaBlocks(
        job.length, job.nextBlock, job.cancel, *job.transform,
        [&](const RealBlock& theta) {
            return blockValue(job, overPhase, firstPiece, theta, tables);
        },
        [&] {
            const std::size_t done = ++job.blocksDone;
            if (job.progress != nullptr && *job.progress && worker == 0) {
                (*job.progress)(static_cast<double>(done) / static_cast<double>(blocks));
            }
        });
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
