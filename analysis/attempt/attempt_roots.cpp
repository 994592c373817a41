#include "analysis/attempt/attempt_roots.h"

#include <algorithm>
#include <array>

#include "analysis/attempt/attempt_chain.h"
#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/vector_target.h"
#include "common/parallel_work.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

std::vector<std::complex<double>> generatingFunctionAtRoots(const RootsJob& job) {
    const std::size_t count = job.roots.size();
    std::vector<std::complex<double>> values(count * job.starts.size());
    if (count == 0) {
        return values;
    }
    const std::size_t blocks = (count + complexBlockSize - 1) / complexBlockSize;
    // Each worker's solves share their storage; a block past the last root repeats it.
    std::vector<AttemptChain<ComplexBlock>::Storage> storage(std::max(job.threads, 1U));
    shareTasks(blocks, job.threads, [&](std::size_t block) {
        const std::size_t first = block * complexBlockSize;
        ComplexBlock z;
        for (std::size_t p = 0; p < complexBlockSize; ++p) {
            z.set(p, job.roots[std::min(first + p, count - 1)]);
        }
        AttemptChain<ComplexBlock> chain(*job.model, job.bigEndGames, job.regEndGames, z,
                                         ComplexBlock(1.0), false, job.cancel,
                                         &storage[currentWorker().value_or(0)]);
        const std::vector<std::array<ComplexBlock, 2>> phi = chain.solve(job.starts);
        const std::size_t held = std::min(complexBlockSize, count - first);
        for (std::size_t i = 0; i < phi.size(); ++i) {
            for (std::size_t p = 0; p < held; ++p) {
                values[i * count + first + p] = phi[i][0].at(p);
            }
        }
        if (job.solved) {
            job.solved(held);
        }
    });
    return values;
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
