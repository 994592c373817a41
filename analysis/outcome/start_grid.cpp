#include "analysis/outcome/start_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/small_linear_solve.h"
#include "analysis/numeric/vector_variant.h"
#include "analysis/outcome/attempt_lanes.h"
#include "analysis/outcome/attempt_segments.h"
#include "analysis/outcome/attempt_tails.h"
#include "analysis/outcome/first_piece_start.h"
#include "analysis/outcome/law_inversion.h"
#include "analysis/outcome/net_transform.h"
#include "analysis/outcome/reg_wait_law.h"
#include "common/parallel_work.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;
using Square = std::array<ModeVector, modes>;

// The head's pieces after a BIG keep what solveNetLawHead's keep.
constexpr double gridSegmentTail = 1e-10;
constexpr double gridSegmentSmallest = 1e-13;
// The table reaches past the net that at most this share of every start's attempts pass, so
// that the right tail folds back onto it with at most that times headDamping: the chances to end
// ahead are good to about 1e-9 (a table that stops at the median folds half the law back, 1e-6
// times). Its left end leaves gridOutside times headDamping.
constexpr double gridFoldShare = 1e-4;
constexpr double gridOutside = 1e-10;

// Every start's E[exp(coinRate K + gameRate G)] at real rates, from the renewal after the first
// BIG and the first piece in closed form: with M = exp(gameRate) A (A one game's move of the
// mode, the REG's coins in it) and q = exp(gameRate) beta x (a game's BIGs into the lanes, x the
// renewal's value after each), a start with c games before its ceiling has pi R(c), where
// R(0) = (I - M*)^-1 q* and R(c) = q + M R(c - 1). Empty where some value is not finite.
class StartsTransform {
  public:
    StartsTransform(const Lanes& lanes, const MachineModel& model, const std::vector<int>& postBig,
                    std::vector<FirstPieceStart> starts)
        : lanes_(&lanes), model_(&model), postBig_(postBig), starts_(std::move(starts)) {
        for (const FirstPieceStart& s : starts_) {
            latest_ = std::max(latest_, static_cast<std::size_t>(s.ceilingGame - 1));
        }
    }

    std::vector<double> values(double coinRate, double gameRate) const {
        const std::vector<double> lanes = laneValues(*lanes_, coinRate, gameRate);
        const std::vector<double> x = renewalAfterFirstBig(*lanes_, lanes);
        if (x.empty()) {
            return {};
        }
        const double z = std::exp(gameRate);
        Square before{};
        Square from{};
        ModeVector q{};
        ModeVector qStar{};
        moves(coinRate, z, x, before, q, false);
        moves(coinRate, z, x, from, qStar, true);
        // (I - M*)^-1 must be finite and non-negative: else the ceiling's wait diverges.
        Square iMinus{};
        for (std::size_t i = 0; i < modes; ++i) {
            for (std::size_t k = 0; k < modes; ++k) {
                iMinus[i][k] = (i == k ? 1.0 : 0.0) - from[i][k];
            }
        }
        for (std::size_t j = 0; j < modes; ++j) {
            Square a = iMinus;
            ModeVector unit{};
            unit[j] = 1.0;
            solveDominantInPlace(a, unit);
            for (const double entry : unit) {
                if (!std::isfinite(entry) || entry < -1e-12) {
                    return {};
                }
            }
        }
        std::vector<ModeVector> reach(latest_ + 1);
        reach[0] = qStar;
        solveDominantInPlace(iMinus, reach[0]);
        for (std::size_t c = 1; c <= latest_; ++c) {
            for (std::size_t i = 0; i < modes; ++i) {
                double sum = q[i];
                for (std::size_t k = 0; k < modes; ++k) {
                    sum += before[i][k] * reach[c - 1][k];
                }
                reach[c][i] = sum;
            }
        }
        std::vector<double> result;
        for (const FirstPieceStart& s : starts_) {
            double value = 0.0;
            const auto c = static_cast<std::size_t>(s.ceilingGame - 1);
            for (std::size_t m = 0; m < modes; ++m) {
                value += s.modeLaw[m] * reach[c][m];
            }
            if (!std::isfinite(value) || value <= 0.0) {
                return {};
            }
            result.push_back(value);
        }
        return result;
    }

    // The largest of the starts' values, infinity where one is not finite.
    double operator()(double coinRate, double gameRate) const {
        const std::vector<double> v = values(coinRate, gameRate);
        return v.empty() ? std::numeric_limits<double>::infinity()
                         : *std::max_element(v.begin(), v.end());
    }

  private:
    void moves(double coinRate, double z, const std::vector<double>& x, Square& move,
               ModeVector& bigs, bool ceiling) const {
        const MachineModel& model = *model_;
        const double reg = std::exp(coinRate * model.coinsPerReg);
        const double big = std::exp(coinRate * model.coinsPerBig);
        for (std::size_t m = 0; m < modes; ++m) {
            const double b = ceiling ? model.ceilingBigProbability : model.bigProbability[m];
            for (std::size_t to = 0; to < modes; ++to) {
                move[m][to] = z * model.regProbability * model.regNextMode[m][to] * reg;
            }
            move[m][m] += z * (1.0 - model.regProbability - b);
            double sum = 0.0;
            for (std::size_t l = 0; l < postBig_.size(); ++l) {
                sum += b * model.bigNextMode[m][static_cast<std::size_t>(postBig_[l])] * x[l];
            }
            bigs[m] = z * big * sum;
        }
    }

    const Lanes* lanes_;
    const MachineModel* model_;
    std::vector<int> postBig_;
    std::vector<FirstPieceStart> starts_;
    std::size_t latest_ = 0;
};

// At most the expected BIGs of an attempt from any start: the first, and the most that follow
// a BIG into any lane, m = (I - S)^-1 S 1 over the pieces' total chances.
double mostExpectedBigs(const Lanes& lanes) {
    const std::size_t d = lanes.d;
    std::array<std::array<double, modes>, modes> a{};
    std::array<double, modes> m{};
    for (std::size_t i = 0; i < d; ++i) {
        for (std::size_t j = 0; j < d; ++j) {
            const double s = lanes.totals[lanes.stepLane() + i * d + j];
            a[i][j] = (i == j ? 1.0 : 0.0) - s;
            m[i] += s;
        }
    }
    solveDominantInPlace(a, m, d);
    return 1.0 + *std::max_element(m.begin(), m.begin() + static_cast<std::ptrdiff_t>(d));
}

// The table's first top: above every start's mean (the slope of its transform along the net)
// and 0.
std::int64_t firstTop(const StartsTransform& real, double costCoefficient) {
    const double h = 1e-7;
    const std::vector<double> up = real.values(h, -costCoefficient * h);
    const std::vector<double> down = real.values(-h, costCoefficient * h);
    std::int64_t top = 0;
    for (std::size_t s = 0; s < up.size() && s < down.size(); ++s) {
        top = std::max(top, wholeEdge(std::ceil((up[s] - down[s]) / (2.0 * h))));
    }
    return top + headTopMargin;
}

// What every start's head holds whatever its table, and where the table begins.
struct GridHeadFrame {
    EndConditions end;
    std::int64_t low = 0;
    double fixedBound = 0.0;
    double beyondRounding = 0.0;
    std::int64_t roundingExactBelowGames = 0;
};

// As fillHeadTable, for every start at once: the table grows by its length until each start's
// holds its median.
std::vector<NetLawHead> fillGridHeads(NetTransformJob& job, const GridHeadFrame& frame,
                                      std::int64_t top, unsigned threads,
                                      const std::atomic<bool>* cancel) {
    const auto run = KORVALE_VECTOR_FUNCTION(runNetTransformGrid);
    const std::size_t count = job.starts.size();
    for (;;) {
        const std::size_t length = checkedLength(top - frame.low + 2);
        std::vector<std::vector<Complex>> transforms(count, std::vector<Complex>(length, 0.0));
        job.length = length;
        job.tilt = -std::log(headDamping) / static_cast<double>(length);
        job.transforms = &transforms;
        job.nextBlock = 0;
        job.cancel = cancel;
        runSideBySide(threads, [&](unsigned worker) { run(job, worker); });
        stopIfCalledOff(cancel);
        std::vector<NetLawHead> heads(count);
        bool held = true;
        for (std::size_t s = 0; s < count; ++s) {
            NetLawHead& head = heads[s];
            double arithmetic = 0.0;
            head.net = untiltedLaw(transforms[s], frame.low, job.tilt, arithmetic);
            head.end = frame.end;
            head.errorBound = frame.fixedBound + arithmetic;
            head.beyondRounding = frame.beyondRounding;
            head.roundingExactBelowGames = frame.roundingExactBelowGames;
            head.pAhead = aheadChance(head.net);
            double sum = 0.0;
            for (const double p : head.net.chance) {
                sum += p;
            }
            held = held && sum > 0.5 + head.errorBound + 1e-3;
        }
        if (held) {
            return heads;
        }
        top += static_cast<std::int64_t>(length);
    }
}

}  // namespace

std::vector<NetLawHead> solveNetLawHeads(const MachineModel& model, EndConditions end,
                                         const std::vector<AttemptStart>& starts,
                                         const WorkControl& control) {
    std::vector<NetLawHead> heads;
    if (!outcomeLawCovers(end)) {
        for (const AttemptStart& start : starts) {
            heads.push_back(solveNetLawHead(model, end, start, control));
        }
        return heads;
    }
    const unsigned threads = control.workers();
    const std::atomic<bool>* cancel = control.cancel;
    std::vector<FirstPieceStart> first;
    for (const AttemptStart& start : starts) {
        first.push_back(firstPieceStart(model, start));
    }
    if (first.empty()) {
        return heads;
    }
    const WholeGames games = wholeGames(end);
    const AttemptSegments segments =
        attemptSegments(model, games.big, games.reg, gridSegmentTail, gridSegmentSmallest, {},
                        {.cancel = cancel, .threads = threads});
    const Lanes lanes(segments);
    const PeriodicCost cost = periodicCost(model.costCoefficient);
    const StartsTransform real(lanes, model, segments.postBigModes, first);
    const AttemptTails tails(real, model.costCoefficient, games.big);
    NetTransformJob job;
    prepareLaterPieces(job, lanes, model, segments, cost);
    job.starts = first;
    // One table for all: its left edge the farthest start's (a Chernoff bound on the largest
    // of their transforms holds for each). The bound's terms as the head's
    // (docs/outcome_law.md, "Many starts at once"): the folds, the chance below, the later
    // pieces' cuts; the first pieces come in closed form, with no cut.
    GridHeadFrame frame;
    frame.end = end;
    frame.low = wholeEdge(std::floor(-tails.netBelow(gridOutside * headDamping) - 0.5));
    // The right tail from the table's top + 2 on (the net is at most W + 1/2) folds once with
    // headDamping, twice with its square.
    frame.fixedBound = headDamping * gridFoldShare + headDamping * headDamping + gridOutside +
                       gridOutside * headDamping +
                       segments.lostMass * (mostExpectedBigs(lanes) + 1.0);
    frame.beyondRounding = tails.gamesBeyond(cost.validBelow);
    frame.roundingExactBelowGames = cost.validBelow;
    const std::int64_t top = std::max(firstTop(real, model.costCoefficient),
                                      wholeEdge(std::ceil(tails.netAbove(gridFoldShare))));
    return fillGridHeads(job, frame, top, threads, cancel);
}

}  // namespace korvale
