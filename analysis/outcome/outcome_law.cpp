#include "analysis/outcome/outcome_law.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <stdexcept>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/vector_variant.h"
#include "analysis/outcome/attempt_lanes.h"
#include "analysis/outcome/attempt_segments.h"
#include "analysis/outcome/attempt_tails.h"
#include "analysis/outcome/law_inversion.h"
#include "analysis/outcome/net_transform.h"
#include "analysis/outcome/reg_wait_law.h"
#include "analysis/outcome/renewal_value.h"
#include "common/parallel_work.h"
#include "common/status.h"

namespace korvale {

double IntegerLaw::at(std::int64_t value) const {
    const std::int64_t i = value - first;
    return i >= 0 && i < static_cast<std::int64_t>(chance.size())
               ? chance[static_cast<std::size_t>(i)]
               : 0.0;
}

double IntegerLaw::atLeast(std::int64_t value) const {
    double sum = 0.0;
    const std::int64_t from = std::max<std::int64_t>(value - first, 0);
    for (auto i = static_cast<std::size_t>(from); i < chance.size(); ++i) {
        sum += chance[i];
    }
    return sum;
}

double IntegerLaw::mean() const {
    double sum = 0.0;
    for (std::size_t i = 0; i < chance.size(); ++i) {
        sum += chance[i] * static_cast<double>(first + static_cast<std::int64_t>(i));
    }
    return sum;
}

std::int64_t IntegerLaw::quantile(double q) const {
    double sum = 0.0;
    for (std::size_t i = 0; i < chance.size(); ++i) {
        sum += chance[i];
        if (sum >= q) {
            return first + static_cast<std::int64_t>(i);
        }
    }
    return first + static_cast<std::int64_t>(chance.size()) - 1;
}

namespace {

// The chance left outside the tables, on each side of each table.
constexpr double outsideTarget = 1e-10;
// The net's transform is taken of the law tilted by exp(-s net), with s set so that the tilt
// falls by `damping` across the table. The chance beyond the right end, which the transform
// folds back onto the table, comes back damped by that much; so the right end can sit where a
// Chernoff bound leaves rightEdgeTarget. That bound overstates the right tail (runs of BIGs)
// by a factor of a hundred or more, so the chance actually beyond the end stays near
// outsideTarget; it is measured, as the chance the table is short of 1. The fold from beyond
// the left end grows by the same factor, so that end is set where the bound leaves
// outsideTarget * damping. What changing either trades: docs/outcome_law.md, "Changing a
// constant".
constexpr double damping = 1e-2;
constexpr double rightEdgeTarget = 1e-8;

// The net's law: the transform of the law tilted by exp(-tilt net) at theta = 2 pi a / length
// for a = 0 .. length/2, from the P values k of E[exp(coinRate K) (exp(gameRate) w^k)^G] with
// coinRate = i theta - tilt, gameRate = -coinRate Nc / P and w = exp(2 pi i / P)
// (net_transform.h).
IntegerLaw netLaw(const Lanes& lanes, const MachineModel& model, const AttemptSegments& segments,
                  const FirstPieceStart& first, const PeriodicCost& cost, std::int64_t low,
                  std::size_t length, double tilt, unsigned threads,
                  const std::atomic<bool>* cancel, const WorkControl::Progress& progress,
                  double& arithmetic) {
    NetTransformJob job;
    prepareLaterPieces(job, lanes, model, segments, cost);
    job.firstPieceStart = first;
    std::vector<Complex> transform(length, 0.0);
    job.length = length;
    job.tilt = tilt;
    job.transform = &transform;
    job.cancel = cancel;
    job.progress = &progress;
    // Blocks of thetas, shared out among the threads; each writes only its own. Progress is
    // told on the caller's thread alone (worker 0), one call at a time.
    const auto run =
        KORVALE_VECTOR_FUNCTION(runNetTransform);
    runSideBySide(threads, [&](unsigned worker) { run(job, worker); });
    if (cancel != nullptr && cancel->load()) {
        throw OutcomeLawCancelled();
    }
    if (progress) {
        progress(1.0);
    }
    return untiltedLaw(transform, low, tilt, arithmetic);
}

// The games' law from the transform over games alone at the length-th roots of unity.
IntegerLaw gamesLaw(const Lanes& lanes, std::size_t length, double& arithmetic) {
    const std::size_t width = lanes.count;
    std::vector<Complex> data(length * width, 0.0);
    for (const Lanes::Entry& e : lanes.entries) {
        data[static_cast<std::size_t>(e.games) % length * width +
             static_cast<std::size_t>(e.lane)] += e.mass;
    }
    FourierTransform(length, width).transform(data, +1);
    std::vector<Complex> values(length);
    for (std::size_t b = 0; b < length; ++b) {
        const Complex* row = data.data() + b * width;
        values[b] = renewalValue<Complex>(lanes.d, row + lanes.firstLane(), row + lanes.stepLane(),
                                          row + lanes.endLane());
    }
    FourierTransform(length, 1).transform(values, -1);
    IntegerLaw law;
    law.chance.resize(length);
    arithmetic = 0.0;
    for (std::size_t t = 0; t < length; ++t) {
        law.chance[t] = values[t].real() / static_cast<double>(length);
        arithmetic += std::abs(values[t].imag()) / static_cast<double>(length);
    }
    return law;
}

// The BIG count's law: the chance of reaching each BIG, mode by mode, times the chance that
// the attempt ends before the next one.
IntegerLaw bigsLaw(const Lanes& lanes, double& leftOver) {
    const std::size_t d = lanes.d;
    std::vector<double> reach(lanes.totals.begin(), lanes.totals.begin() + d);
    IntegerLaw law;
    law.first = 0;
    law.chance.push_back(0.0);
    for (int bigs = 1;; ++bigs) {
        double ending = 0.0;
        double still = 0.0;
        std::vector<double> next(d, 0.0);
        for (std::size_t from = 0; from < d; ++from) {
            ending += reach[from] * lanes.totals[lanes.endLane() + from];
            for (std::size_t to = 0; to < d; ++to) {
                next[to] += reach[from] * lanes.totals[lanes.stepLane() + from * d + to];
            }
        }
        law.chance.push_back(ending);
        for (const double w : next) {
            still += w;
        }
        reach.swap(next);
        if (still < 1e-18 || bigs >= 10000000) {
            leftOver = still;
            return law;
        }
    }
}

}  // namespace

Status outcomeLawCoverage(EndConditions end) {
    const StatusOr<WholeGames> games = catchStatus([end] { return wholeGames(end); });
    if (!games) {
        return games.status();
    }
    if (games->reg > games->big + 1) {
        return Status(StatusReason::LawNotCovered,
                      "the outcome law does not cover these end conditions");
    }
    return {};
}

OutcomeLaw solveOutcomeLaw(std::int32_t setting, EndConditions end, const AttemptStart& start,
                           const WorkControl& control) {
    OutcomeLaw law = solveOutcomeLaw(machineModel(setting), end, start, control);
    law.setting = setting;
    return law;
}

namespace {

// The pieces' real transform, read from their lanes in place.
struct LanesTransform {
    const Lanes* lanes;
    double operator()(double coinRate, double gameRate) const {
        return realTransform(*lanes, coinRate, gameRate);
    }
};

// What both the whole law and its head start from: the pieces, their lanes, the rounding's
// period, the BIG count's law with the chance the pieces' cuts lost, and the tails' bounds
// from the pieces' real transform.
struct LawStart {
    FirstPieceStart first;
    AttemptSegments segments;
    Lanes lanes;
    PeriodicCost cost;
    IntegerLaw bigs;
    double tailCut = 0.0;
    AttemptTails<LanesTransform> tails;

    LawStart(const MachineModel& model, WholeGames games, unsigned threads, double tail,
             double smallest, const std::atomic<bool>* cancel, const AttemptStart& start)
        : first(firstPieceStart(model, start)),
          segments(attemptSegments(model, games.big, games.reg, tail, smallest, start,
                                   {.cancel = cancel, .threads = threads})),
          lanes(segments),
          cost(periodicCost(model.costCoefficient)),
          tails(LanesTransform{&lanes}, model.costCoefficient, games.big) {
        double bigsLeft = 0.0;
        bigs = bigsLaw(lanes, bigsLeft);
        // Every piece may have lost up to lostMass: the attempt at most that times its pieces.
        tailCut = segments.lostMass * (bigs.mean() + 1.0) + bigsLeft;
    }
    // The tails' bounds read the lanes in place.
    LawStart(const LawStart&) = delete;
    LawStart& operator=(const LawStart&) = delete;
};

}  // namespace

OutcomeLaw solveOutcomeLaw(const MachineModel& model, EndConditions end, const AttemptStart& start,
                           const WorkControl& control) {
    if (Status coverage = outcomeLawCoverage(end); !coverage.ok()) {
        throw StatusError(std::move(coverage));
    }
    const unsigned threads = control.workers();
    const std::atomic<bool>* cancel = control.cancel;
    const WholeGames games = wholeGames(end);
    const LawStart base(model, games, threads, segmentTail, segmentSmallest, cancel, start);
    const Lanes& lanes = base.lanes;
    const PeriodicCost& cost = base.cost;

    OutcomeLaw law;
    law.end = end;
    law.bigs = base.bigs;
    law.tailCut = base.tailCut;

    // The tables' edges, from Chernoff bounds on W = K - c G (net = round(W)) and on G.
    const double high = base.tails.netAbove(rightEdgeTarget);
    const double lowAbs = base.tails.netBelow(outsideTarget * damping);
    const double longest = base.tails.gamesAbove(outsideTarget);
    // net >= x needs W >= x - 1/2, net <= x needs W <= x + 1/2.
    const std::int64_t netLow = wholeEdge(std::floor(-lowAbs - 0.5));
    const std::int64_t netHigh = wholeEdge(std::ceil(high + 0.5));
    const std::int64_t gamesHigh = wholeEdge(std::ceil(longest));
    const std::size_t netLength = checkedLength(netHigh - netLow + 1);
    const std::size_t gamesLength = checkedLength(gamesHigh + 1);
    const double tilt = -std::log(damping) / static_cast<double>(netLength);
    law.roundingExactBelowGames = cost.validBelow;
    law.beyondRounding = base.tails.gamesBeyond(cost.validBelow);

    double netArithmetic = 0.0;
    double gamesArithmetic = 0.0;
    // The net's transform is nearly all of the work: its share done is the progress.
    law.net = netLaw(lanes, model, base.segments, base.first, cost, netLow, netLength, tilt,
                     threads, cancel, control.progress, netArithmetic);
    law.games = gamesLaw(lanes, gamesLength, gamesArithmetic);
    // What the tables leave out, term by term as docs/outcome_law.md derives them ("The error
    // bounds"), added in this order.
    const double listed = std::accumulate(law.net.chance.begin(), law.net.chance.end(), 0.0);
    const double aboveNet = std::max(1.0 - listed, 0.0);  // measured: the table's shortfall
    const double aboveFold = rightEdgeTarget * damping;   // folded back from above, damped
    const double belowNet = outsideTarget * damping;      // below the left end
    const double belowFold = outsideTarget;               // folded back from below, grown
    // The first piece's transform keeps the tail that its table, and so the bound on the left
    // end, lost: folded back from below too.
    const double firstPieceFold = base.segments.firstLostMass / damping;
    const double aboveGames = outsideTarget;  // beyond the games' table, folded whole
    law.outsideTables = aboveNet + aboveFold + belowNet + belowFold + firstPieceFold + aboveGames;
    law.errorBound = law.tailCut + law.outsideTables + law.beyondRounding +
                     std::max(netArithmetic, gamesArithmetic);
    law.pBehind = 0.0;
    for (std::size_t i = 0; i < law.net.chance.size(); ++i) {
        const std::int64_t net = law.net.first + static_cast<std::int64_t>(i);
        (net > 0 ? law.pAhead : net == 0 ? law.pEven : law.pBehind) += law.net.chance[i];
    }
    return law;
}

namespace {

// Its pieces keep a little less of their tails than the whole law's.
constexpr double headSegmentTail = 1e-10;
constexpr double headSegmentSmallest = 1e-13;
// Above this the long attempts' part of the bound is worked out from the games' law.
constexpr double headRoundingCheck = 1e-8;
// ...from a games' table of at most this many games (a table of every lane at each).
constexpr std::int64_t longestGamesCheck = std::int64_t{1} << 18;

}  // namespace

namespace {

// When the Chernoff bound leaves a say to the long attempts, the games' law tells the chance of
// the game counts (from roundingExactBelowGames on) at which round(c G) leaves the pattern:
// the only attempts whose net can be a coin off the table's. With what that law may lack: the
// pieces' cuts, the chance beyond its table and its arithmetic.
double leavingPattern(const LawStart& start, const MachineModel& model, const NetLawHead& head) {
    if (head.beyondRounding <= headRoundingCheck) {
        return head.beyondRounding;
    }
    const double longest = start.tails.gamesAbove(headOutside);
    // Attempts too long for a games' table of a reasonable size keep the Chernoff bound,
    // which holds all the same.
    if (!(longest < static_cast<double>(longestGamesCheck))) {
        return head.beyondRounding;
    }
    const std::size_t length = checkedLength(static_cast<std::int64_t>(std::ceil(longest)) + 1);
    double arithmetic = 0.0;
    const IntegerLaw games = gamesLaw(start.lanes, length, arithmetic);
    double leaving = start.tailCut + headOutside + arithmetic;
    for (std::size_t g = static_cast<std::size_t>(start.cost.validBelow); g < games.chance.size();
         ++g) {
        if (!followsPattern(start.cost, model.costCoefficient, static_cast<std::int64_t>(g))) {
            leaving += std::max(games.chance[g], 0.0);
        }
    }
    return leaving;
}

}  // namespace

NetLawHead solveNetLawHead(std::int32_t setting, EndConditions end, const AttemptStart& start,
                           const WorkControl& control) {
    NetLawHead head = solveNetLawHead(machineModel(setting), end, start, control);
    head.setting = setting;
    return head;
}

NetLawHead solveNetLawHead(const MachineModel& model, EndConditions end, const AttemptStart& start,
                           const WorkControl& control) {
    if (!outcomeLawCovers(end)) {
        return solveRegWaitNetHead(model, end, start, control);
    }
    const unsigned threads = control.workers();
    const std::atomic<bool>* cancel = control.cancel;
    const WholeGames games = wholeGames(end);
    const LawStart base(model, games, threads, headSegmentTail, headSegmentSmallest, cancel, start);

    NetLawHead head;
    head.end = end;
    head.roundingExactBelowGames = base.cost.validBelow;
    head.beyondRounding = base.tails.gamesBeyond(base.cost.validBelow);
    const std::int64_t low =
        wholeEdge(std::floor(-base.tails.netBelow(headOutside * headDamping) - 0.5));
    // What the bound holds whatever the table (docs/outcome_law.md, "The head"): the right
    // tail's fold, the left tail's (grown by the tilt), the chance below the table, the first
    // piece's lost tail there and the pieces' cuts.
    const double fixedBound = headDamping + headOutside + headOutside * headDamping +
                              base.segments.firstLostMass / headDamping + base.tailCut;
    fillHeadTable(head, low, base.tails.meanNet(), fixedBound,
                  [&](std::size_t length, double tilt, double& arithmetic) {
                      return netLaw(base.lanes, model, base.segments, base.first, base.cost, low,
                                    length, tilt, threads, cancel, {}, arithmetic);
                  });
    head.beyondRounding = std::min(head.beyondRounding, leavingPattern(base, model, head));
    head.pAhead = aheadChance(head.net);
    return head;
}

}  // namespace korvale
