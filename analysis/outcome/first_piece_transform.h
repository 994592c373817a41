#pragma once

// The attempt's first piece, from its start (first_piece_start.h) to its first BIG, in closed form
// for the outcome law's transforms. Until that BIG only the mode matters (and the REG count, which
// the coins' phase takes in), and every game moves the mode by one matrix before the BIG ceiling
// and by another from it on. So the piece's transform, bucketed by the games modulo the
// rounding's period, is a short sum of matrix powers rather than a pass over its some hundred
// thousand tabulated entries; and it has no tail to cut. Vector code
// (analysis/numeric/vector_target.h).

#include <cstddef>
#include <vector>

#include "analysis/model/machine_model.h"
#include "analysis/numeric/complex_block.h"
#include "analysis/numeric/vector_target.h"
#include "analysis/outcome/first_piece_start.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {

class FirstPieceTransform {
  public:
    // `postBigModes`: the modes a BIG can lead to, in the order of the transform's lanes.
    FirstPieceTransform(const MachineModel& model, std::vector<int> postBigModes,
                        std::size_t period, const FirstPieceStart& start);

    // For every residue j of the games modulo the period and every lane `to`, adds to
    // data[j * width + to]
    //   sum over g = j mod period of exp(gameRate g) E[exp(coinRate K); the first BIG falls at
    //   game g and leads to postBigModes[to]],
    // with K = 388 + 127 REGs, the piece's bonus coins; for a block of rates at once. The
    // rates' real parts must leave a period of games after the ceiling well below 1 in size.
    void add(const ComplexBlock& coinRate, const ComplexBlock& gameRate, ComplexBlock* data,
             std::size_t width) const;

  private:
    MachineModel model_;
    std::vector<int> postBigModes_;
    std::size_t period_;
    FirstPieceStart start_;
};

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
