#include "analysis/outcome/attempt_segments.h"

#include <algorithm>
#include <stdexcept>

#include "analysis/outcome/first_piece_start.h"
#include "common/parallel_work.h"
#include "common/status.h"
#include "common/work_control.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;

double bigChance(const MachineModel& model, std::size_t mode, std::int32_t gamesSinceBig) {
    return gamesSinceBig >= model.ceilingGame ? model.ceilingBigProbability
                                              : model.bigProbability[mode];
}

// Collects one game's entries per REG count and destination, then keeps those worth keeping.
class EntrySink {
  public:
    EntrySink(std::vector<SegmentKernel>& kernels, double smallest)
        : kernels_(kernels), smallest_(smallest) {}

    void add(std::size_t kernel, std::int32_t regs, double mass) {
        const auto r = static_cast<std::size_t>(regs);
        if (pending_.size() <= r) {
            pending_.resize(r + 1, std::vector<double>(kernels_.size(), 0.0));
        }
        pending_[r][kernel] += mass;
    }
    // Files the game's entries; returns the mass dropped as too small.
    double flush(std::int32_t games) {
        double dropped = 0.0;
        for (std::size_t r = 0; r < pending_.size(); ++r) {
            for (std::size_t k = 0; k < kernels_.size(); ++k) {
                double& mass = pending_[r][k];
                if (mass >= smallest_) {
                    kernels_[k].push_back({games, static_cast<std::int32_t>(r), mass});
                } else {
                    dropped += mass;
                }
                mass = 0.0;
            }
        }
        return dropped;
    }

  private:
    std::vector<SegmentKernel>& kernels_;
    double smallest_;
    std::vector<std::vector<double>> pending_;  // [regs][kernel]
};

struct PieceResult {
    double lost = 0.0;
    std::int32_t games = 0;
};

// From the start to its first BIG: only the mode and the REG count matter, and the ceiling
// binds from the start's ceiling game on.
PieceResult firstPiece(const MachineModel& model, const FirstPieceStart& start,
                       const std::vector<int>& postBig, std::vector<SegmentKernel>& out,
                       double tail, double smallest, const std::atomic<bool>* cancel) {
    out.assign(postBig.size(), {});
    EntrySink sink(out, smallest);
    const double r = model.regProbability;
    std::vector<std::array<double, modes>> alive(1);  // [regs][mode]
    alive[0] = start.modeLaw;
    PieceResult result;
    for (std::int32_t game = 1;; ++game) {
        stopIfCalledOff(cancel);
        std::vector<std::array<double, modes>> next(alive.size() + 1);
        double running = 0.0;
        for (std::size_t regs = 0; regs < alive.size(); ++regs) {
            for (std::size_t m = 0; m < modes; ++m) {
                const double w = alive[regs][m];
                if (w == 0.0) {
                    continue;
                }
                const double big = game >= start.ceilingGame ? model.ceilingBigProbability
                                                             : model.bigProbability[m];
                for (std::size_t to = 0; to < postBig.size(); ++to) {
                    const double p = model.bigNextMode[m][static_cast<std::size_t>(postBig[to])];
                    if (p > 0.0) {
                        sink.add(to, static_cast<std::int32_t>(regs), w * big * p);
                    }
                }
                next[regs][m] += w * (1.0 - r - big);
                for (std::size_t to = 0; to < modes; ++to) {
                    next[regs + 1][to] += w * r * model.regNextMode[m][to];
                }
            }
        }
        result.lost += sink.flush(game);
        while (!next.empty() && std::all_of(next.back().begin(), next.back().end(),
                                            [](double w) { return w == 0.0; })) {
            next.pop_back();
        }
        for (const auto& layer : next) {
            for (const double w : layer) {
                running += w;
            }
        }
        alive.swap(next);
        if (running < tail) {
            result.lost += running;
            result.games = game;
            return result;
        }
    }
}

// One game of a later piece for one layer and mode: moves the mass alive before the game
// (row[rho]) into `after`, the next game's layers [regs][mode * width + rho], and files the
// game's BIGs and ends in the sinks.
struct LaterGame {
    const MachineModel& model;
    const std::vector<int>& postBig;
    std::int32_t y;
    std::size_t width;
    double smallest;
    EntrySink& sink;
    EntrySink& endSink;
    std::vector<std::vector<double>>& after;
    std::vector<double>& carried;  // the mass carried into each layer of the next game
    double& lost;

    // A REG moves the mode and sets rho to max(rho - 1, y).
    void moveByReg(std::size_t regs, std::size_t m, double mass, std::int32_t afterReg) {
        const double r = model.regProbability;
        for (std::size_t to = 0; to < modes; ++to) {
            const double moved = mass * r * model.regNextMode[m][to];
            if (moved == 0.0) {
                continue;
            }
            if (afterReg == 0) {
                endSink.add(0, static_cast<std::int32_t>(regs) + 1, moved);
            } else {
                after[regs + 1][to * width + static_cast<std::size_t>(afterReg)] += moved;
                carried[regs + 1] += moved;
            }
        }
    }

    // Before the game rho lies in [lowest, highest].
    void play(const double* row, std::size_t regs, std::size_t m, std::int32_t game,
              std::int32_t lowest, std::int32_t highest) {
        const auto regCount = static_cast<std::int32_t>(regs);
        const double big = bigChance(model, m, game);
        const double stay = 1.0 - model.regProbability - big;
        double* stayed = after[regs].data() + m * width;
        // Every rho leads to the same BIG entries, and every rho up to y + 1 to the same state
        // after a REG: those are summed first and moved once.
        double live = 0.0;
        double toRegEnd = 0.0;
        for (std::int32_t rho = lowest; rho <= highest; ++rho) {
            const double w = row[rho];
            if (w < smallest * 1e-6) {
                lost += w;  // too little to matter anywhere
                continue;
            }
            live += w;
            const double none = w * stay;
            if (rho - 1 == 0) {
                endSink.add(0, regCount, none);
            } else {
                stayed[rho - 1] += none;
                carried[regs] += none;
            }
            if (rho - 1 > y) {
                moveByReg(regs, m, w, rho - 1);
            } else {
                toRegEnd += w;
            }
        }
        if (live == 0.0) {
            return;
        }
        for (std::size_t to = 0; to < postBig.size(); ++to) {
            const double p = model.bigNextMode[m][static_cast<std::size_t>(postBig[to])];
            if (p > 0.0) {
                sink.add(to, regCount, live * big * p);
            }
        }
        if (toRegEnd > 0.0) {
            moveByReg(regs, m, toRegEnd, y);
        }
    }
};

// Drops the trailing layers that received nothing (they hold only zeros); returns the mass
// still alive.
double trimEmptyLayers(std::vector<std::vector<double>>& after, std::vector<double>& carried) {
    while (!after.empty() && carried.back() == 0.0) {
        after.pop_back();
        carried.pop_back();
    }
    double running = 0.0;
    for (const double mass : carried) {
        running += mass;
    }
    return running;
}

// From a BIG that led to `start` until the next BIG or the end. The state is the mode, the
// REG count and rho, the games still needed for the end if no bonus falls: X after the BIG,
// one less each game, and at least Y after a REG.
PieceResult laterPiece(const MachineModel& model, const std::vector<int>& postBig, int start,
                       std::int32_t x, std::int32_t y, std::vector<SegmentKernel>& next,
                       SegmentKernel& end, double tail, double smallest,
                       const std::atomic<bool>* cancel) {
    next.assign(postBig.size(), {});
    end.clear();
    PieceResult result;
    if (x == 0) {
        // Y <= 1: the REG condition holds on the BIG's own game, which ends the attempt.
        end.push_back({0, 0, 1.0});
        return result;
    }
    std::vector<SegmentKernel> endOnly(1);
    EntrySink sink(next, smallest);
    EntrySink endSink(endOnly, smallest);
    const std::int32_t top = std::max(x, y);
    const auto width = static_cast<std::size_t>(top + 1);
    // alive[regs][mode * width + rho]
    std::vector<std::vector<double>> alive(1, std::vector<double>(modes * width, 0.0));
    alive[0][static_cast<std::size_t>(start) * width + static_cast<std::size_t>(x)] = 1.0;
    std::vector<std::vector<double>> after;
    for (std::int32_t game = 1;; ++game) {
        stopIfCalledOff(cancel);
        // Before this game rho lies in [lowest, max(lowest, y)]: x - (game - 1) without a REG
        // since the BIG, at most y after one.
        const std::int32_t lowest = std::max(x - game + 1, 1);
        const std::int32_t highest = std::max(lowest, y);
        after.resize(alive.size() + 1);
        for (auto& layer : after) {
            layer.assign(modes * width, 0.0);
        }
        std::vector<double> carried(after.size(), 0.0);
        LaterGame step{model, postBig, y,     width,   smallest,
                       sink,  endSink, after, carried, result.lost};
        for (std::size_t regs = 0; regs < alive.size(); ++regs) {
            for (std::size_t m = 0; m < modes; ++m) {
                step.play(alive[regs].data() + m * width, regs, m, game, lowest, highest);
            }
        }
        result.lost += sink.flush(game) + endSink.flush(game);
        const double running = trimEmptyLayers(after, carried);
        alive.swap(after);
        if (running < tail) {
            result.lost += running;
            result.games = game;
            end = std::move(endOnly[0]);
            return result;
        }
    }
}

}  // namespace

AttemptSegments attemptSegments(const MachineModel& model, std::int32_t bigEndGames,
                                std::int32_t regEndGames, double tail, double smallest,
                                const AttemptStart& start, const WorkControl& control) {
    const std::atomic<bool>* cancel = control.cancel;
    const FirstPieceStart first = firstPieceStart(model, start);
    if (bigEndGames < 0 || regEndGames < 0) {
        throw std::invalid_argument("the end conditions are counts of games of at least 0");
    }
    if (regEndGames > bigEndGames + 1) {
        throw StatusError(StatusReason::LawNotCovered,
                          "the outcome law needs a REG end of at most the BIG end plus one game");
    }
    AttemptSegments segments;
    for (std::size_t to = 0; to < modes; ++to) {
        for (std::size_t from = 0; from < modes; ++from) {
            if (model.bigNextMode[from][to] > 0.0) {
                segments.postBigModes.push_back(static_cast<int>(to));
                break;
            }
        }
    }
    // The pieces are worked out independently, shared out among the threads.
    const std::size_t count = segments.postBigModes.size();
    segments.next.resize(count);
    segments.end.resize(count);
    std::vector<PieceResult> results(count + 1);
    shareTasks(count + 1, control.workers(), [&](std::size_t piece) {
        if (piece == count) {
            results[piece] = firstPiece(model, first, segments.postBigModes, segments.first,
                                        tail * firstTailShare, smallest * firstTailShare, cancel);
        } else {
            results[piece] = laterPiece(model, segments.postBigModes, segments.postBigModes[piece],
                                        bigEndGames, regEndGames, segments.next[piece],
                                        segments.end[piece], tail, smallest, cancel);
        }
    });
    segments.firstLostMass = results[count].lost;
    for (const PieceResult& result : results) {
        segments.lostMass = std::max(segments.lostMass, result.lost);
        segments.longestGames = std::max(segments.longestGames, result.games);
    }
    return segments;
}

}  // namespace korvale
