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

// The first piece of many starts at once, read against weights on its BIGs: for each start s,
//   value[s] = sum over games g >= 1 of exp(gameRate g) sum over lanes l of
//              E_s[exp(coinRate K); the first BIG falls at game g and leads to lane l]
//              * weight[(g mod period) * lanes + l].
// With the weights of the renewal after the first BIG (the rounding's weight of each root of
// unity times the renewal's value there, taken back over the period) that is the net's
// transform from each start, the renewal worked out once for all (docs/outcome_law.md, "Many
// starts at once"). The games before the ceiling are summed backwards from the latest start's
// ceiling, once; each start then costs a product of 6 x 6 matrices.
class FirstPieceGrid {
  public:
    FirstPieceGrid(const MachineModel& model, std::vector<int> postBigModes, std::size_t period,
                   std::vector<FirstPieceStart> starts);

    void values(const ComplexBlock& coinRate, const ComplexBlock& gameRate,
                const ComplexBlock* weight, ComplexBlock* value) const;

  private:
    MachineModel model_;
    std::vector<int> postBigModes_;
    std::size_t period_;
    std::vector<FirstPieceStart> starts_;
    std::vector<std::size_t> byCeiling_;  // the starts, their ceiling games rising
};

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
