#include "analysis/outcome/reg_wait_law.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/cost_rounding.h"
#include "analysis/numeric/vector_variant.h"
#include "analysis/outcome/attempt_tails.h"
#include "analysis/outcome/law_inversion.h"
#include "analysis/outcome/reg_wait_pieces.h"
#include "analysis/outcome/reg_wait_transform.h"
#include "common/parallel_work.h"

namespace korvale {

RegWaitLanes::RegWaitLanes(std::size_t states) : d(states) {
    first = 0;
    regs = first + 2 * d;
    window = regs + 2 * modeCount;
    ceilingWindow = window + modeCount * d;
    cont = ceilingWindow + modeCount * d;
    stretch = cont + d * d;
    rounding = stretch + d;
    width = rounding + 1;
}

void prepareRegWaitJob(RegWaitJob& job, const RegWaitPieces& pieces, const MachineModel& model) {
    job.pieces = &pieces;
    job.model = &model;
    job.lanes = RegWaitLanes(pieces.d());
    std::vector<RegWaitEvent> sorted = pieces.events;
    std::sort(sorted.begin(), sorted.end(), [](const RegWaitEvent& a, const RegWaitEvent& b) {
        return a.lane != b.lane     ? a.lane < b.lane
               : a.games != b.games ? a.games < b.games
                                    : a.regs < b.regs;
    });
    const auto d = static_cast<std::int32_t>(pieces.d());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const RegWaitEvent& e = sorted[i];
        if (i == 0 || e.lane != sorted[i - 1].lane || e.games != sorted[i - 1].games) {
            // A clean first BIG leads to B; a REG before it sits in its own lane.
            const std::size_t lane =
                e.lane < d ? job.lanes.first + pieces.d() + static_cast<std::size_t>(e.lane)
                           : job.lanes.regs + static_cast<std::size_t>(e.lane - d);
            const auto at = static_cast<std::uint32_t>(job.masses.size());
            job.groups.push_back({lane, e.games, e.lane < d, e.regs, at, at});
        }
        RegWaitGroup& group = job.groups.back();
        job.masses.resize(group.begin + static_cast<std::size_t>(e.regs - group.firstReg) + 1, 0.0);
        job.masses.back() += e.mass;
        group.end = static_cast<std::uint32_t>(job.masses.size());
    }
}

std::array<double, modeCount> bigFreeChances(const MachineModel& model, std::int32_t bigEndGames,
                                             std::int32_t regEndGames, std::int32_t games) {
    // alive[m][w]: w games still to go before the attempt could end, no BIG since.
    const auto y = static_cast<std::size_t>(regEndGames);
    const auto wait = static_cast<std::size_t>(std::max(bigEndGames, regEndGames - 1));
    const double r = model.regProbability;
    std::array<double, modeCount> chances{};
    for (std::size_t start = 0; start < modeCount && wait > 0; ++start) {
        std::vector<std::array<double, modeCount>> alive(std::max(y, wait) + 1);
        alive[wait][start] = 1.0;
        for (std::int32_t g = 0; g < games; ++g) {
            std::vector<std::array<double, modeCount>> next(alive.size());
            for (std::size_t w = 1; w < alive.size(); ++w) {
                for (std::size_t m = 0; m < modeCount; ++m) {
                    const double p = alive[w][m];
                    for (std::size_t to = 0; p > 0.0 && to < modeCount; ++to) {
                        next[y][to] += p * r * model.regNextMode[m][to];
                    }
                    next[w - 1][m] += p * (1.0 - r - model.bigProbability[m]);
                }
            }
            next[0] = {};  // ended
            alive.swap(next);
        }
        double sum = 0.0;
        for (const auto& row : alive) {
            for (const double p : row) {
                sum += p;
            }
        }
        chances[start] = sum;
    }
    return chances;
}

namespace {

constexpr double tableTail = 1e-10;
constexpr double tableSmallest = 1e-13;

// Sum over the modes m of E[BIGs that lead to m] times the chance that such a BIG is followed
// by `games` games without one; the expectations from the real transform's slope in the
// weight of those BIGs.
double ceilingBound(RegWaitJob& job, std::int32_t games) {
    const auto chances = bigFreeChances(*job.model, job.pieces->bigEnd, job.pieces->regEnd, games);
    constexpr double step = 1e-5;
    double bound = 0.0;
    for (std::size_t m = 0; m < modeCount; ++m) {
        if (chances[m] <= 0.0) {
            continue;
        }
        job.landing[m] = 1.0 + step;
        const double up = sse2::regWaitRealTransform(job, 0.0, 0.0);
        job.landing[m] = 1.0 - step;
        const double down = sse2::regWaitRealTransform(job, 0.0, 0.0);
        job.landing[m] = 1.0;
        // A little over the slope, for the difference's own error.
        bound += 1.01 * std::max((up - down) / (2.0 * step), 0.0) * chances[m];
    }
    return bound;
}

IntegerLaw regWaitNetLaw(RegWaitJob& job, std::int64_t low, std::size_t length, double tilt,
                         unsigned threads, const std::atomic<bool>* cancel, double& arithmetic) {
    std::vector<Complex> transform(length, 0.0);
    job.length = length;
    job.tilt = tilt;
    job.transform = &transform;
    job.nextBlock = 0;
    job.cancel = cancel;
    const auto run = KORVALE_VECTOR_FUNCTION(runRegWaitTransform);
    runSideBySide(threads, [&](unsigned worker) { run(job, worker); });
    stopIfCalledOff(cancel);
    return untiltedLaw(transform, low, tilt, arithmetic);
}

}  // namespace

NetLawHead solveRegWaitNetHead(const MachineModel& model, EndConditions end,
                               const AttemptStart& start, const WorkControl& control) {
    const WholeGames games = wholeGames(end);
    if (games.reg < games.big + 1) {
        throw std::invalid_argument("the REG end does not outlast the BIG end");
    }
    const unsigned threads = control.workers();
    const std::atomic<bool>* cancel = control.cancel;
    const RegWaitPieces pieces = regWaitPieces(model, games.big, games.reg, tableTail,
                                               tableSmallest, start, {.cancel = cancel});
    const PeriodicCost cost = periodicCost(model.costCoefficient);
    RegWaitJob job;
    prepareRegWaitJob(job, pieces, model);
    job.rounding = roundingPeriod(cost);
    job.longestTime = std::max({pieces.longestGames, pieces.window, pieces.bigEnd,
                                model.ceilingGame + pieces.window, cost.period});
    const AttemptTails tails(
        [&job](double coinRate, double gameRate) {
            return sse2::regWaitRealTransform(job, coinRate, gameRate);
        },
        model.costCoefficient, games.big);
    const double leftEdge = tails.netBelow(headOutside * headDamping);
    const double meanNet = tails.meanNet();

    NetLawHead head;
    head.end = end;
    head.roundingExactBelowGames = cost.validBelow;
    head.beyondRounding = tails.gamesBeyond(cost.validBelow);
    // After a BIG the law plays on without the ceiling: what that leaves out is bounded by
    // the chance that any BIG of the attempt is followed by ceilingGame - 1 games without one.
    const double ceilingLeftOut = ceilingBound(job, model.ceilingGame - 1);
    const std::int64_t low = wholeEdge(std::floor(-leftEdge - 0.5));
    // The head's terms (docs/outcome_law.md, "When the REG end outlasts the BIG end"): the
    // folds from above and below, the chance below, the table's cut and the ceiling left out.
    const double fixedBound =
        headDamping + headOutside + headOutside * headDamping + pieces.lostMass + ceilingLeftOut;
    fillHeadTable(head, low, meanNet, fixedBound,
                  [&](std::size_t length, double tilt, double& arithmetic) {
                      return regWaitNetLaw(job, low, length, tilt, threads, cancel, arithmetic);
                  });
    head.pAhead = aheadChance(head.net);
    return head;
}

}  // namespace korvale
