#include "analysis/attempt/capped_attempt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/runtime_error.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;

// The next mode's chances after a bonus in mode m; a row of zeros keeps the mode.
ModeVector nextModes(const ModeVector& row, std::size_t m) {
    if (std::all_of(row.begin(), row.end(), [](double w) { return w == 0.0; })) {
        ModeVector keep{};
        keep[m] = 1.0;
        return keep;
    }
    return row;
}

// The chance of every state before a game, carried forward a game at a time. A state is the
// mode, the games since the last BIG g (the ceiling counter before the first BIG), and the
// games q the REG end still waits for, kept only where it can outlast the BIG end (else 0, as
// before any REG). Before the first BIG every state shares one g, so those states are one layer;
// after it g runs from 0 to the first layer where nothing depends on g any more.
class ForwardChain {
  public:
    ForwardChain(const MachineModel& model, WholeGames games, const AttemptStart& start)
        : model_(model),
          x_(games.big),
          y_(games.reg),
          ceiling_(std::max(model.ceilingGame - 1, 0)),
          top_(std::max(x_, ceiling_)),
          width_(static_cast<std::size_t>(y_) + 1),
          layer_(modes * width_),
          first_(layer_),
          firstNext_(layer_),
          after_((static_cast<std::size_t>(top_) + 1) * layer_),
          capLayer_(layer_),
          bigOut_(layer_),
          firstG_(std::min(start.gamesSinceBig, ceiling_)) {
        for (std::size_t m = 0; m < modes; ++m) {
            regTo_[m] = nextModes(model.regNextMode[m], m);
            bigTo_[m] = nextModes(model.bigNextMode[m], m);
            first_[m * width_] = start.modeLaw[m];
        }
    }

    // Plays one game from every state: adds what it counts, returns the chance that the
    // attempt ends at it.
    double play() {
        ended_ = 0.0;
        std::fill(bigOut_.begin(), bigOut_.end(), 0.0);
        capStarted_ = false;
        for (std::int32_t g = highest_; g >= 0; --g) {
            advanceAfterBig(g);
        }
        if (capStarted_) {
            std::copy(capLayer_.begin(), capLayer_.end(), afterLayer(top_));
        }
        if (highest_ >= 0) {
            highest_ = std::min(highest_ + 1, top_);
        }
        advanceFirst();
        std::fill(after_.begin(), after_.begin() + static_cast<std::ptrdiff_t>(layer_), 0.0);
        landBigs();
        return ended_;
    }

    double alive() const {
        double sum = 0.0;
        for (const double p : first_) {
            sum += p;
        }
        const auto rows = static_cast<std::size_t>(highest_ + 1);
        for (std::size_t i = 0; i < rows * layer_; ++i) {
            sum += after_[i];
        }
        return sum;
    }

    double games = 0.0;
    double bigs = 0.0;
    double regs = 0.0;

  private:
    double bigChance(std::size_t m, std::int32_t g) const {
        return g >= ceiling_ ? model_.ceilingBigProbability : model_.bigProbability[m];
    }
    // The REG wait worth keeping at layer g after the first BIG: one that outlasts the games
    // the BIG end still needs (at least the next one).
    std::int32_t keptAfterBig(std::int32_t g, std::int32_t q) const {
        return q > std::max(x_ - g, 1) ? q : 0;
    }
    // Before the first BIG the end needs the BIG's game and x_ more.
    std::int32_t keptFirst(std::int32_t q) const { return q > x_ + 1 ? q : 0; }
    std::size_t at(std::size_t m, std::int32_t q) const {
        return m * width_ + static_cast<std::size_t>(q);
    }
    double* afterLayer(std::int32_t g) {
        return after_.data() + static_cast<std::size_t>(g) * layer_;
    }

    // The BIGs of this game, by the mode and the REG wait before it, go to layer 0 at the end of
    // the game: gathered first, so that each mixes into the next modes once.
    void landBigs() {
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::int32_t q = 0; q <= y_; ++q) {
                const double p = bigOut_[at(m, q)];
                if (p == 0.0) {
                    continue;
                }
                const std::int32_t left = std::max(q - 1, 0);
                if (x_ <= 0 && left == 0) {
                    ended_ += p;
                    continue;
                }
                for (std::size_t to = 0; to < modes; ++to) {
                    after_[at(to, keptAfterBig(0, left))] += p * bigTo_[m][to];
                }
                highest_ = std::max(highest_, 0);
            }
        }
    }

    // Moves layer g (after the first BIG) to layer g + 1, the last layer into itself.
    void advanceAfterBig(std::int32_t g) {
        const std::int32_t next = std::min(g + 1, top_);
        double* from = afterLayer(g);
        // The layers are moved from the top down, so layer g + 1 has been read already. The last
        // two both go to the last one: gathered apart, and put in place once both are read.
        double* to = next == top_ ? capLayer_.data() : afterLayer(next);
        if (next != top_ || !capStarted_) {
            std::fill(to, to + layer_, 0.0);
            capStarted_ = capStarted_ || next == top_;
        }
        const bool over = next >= x_;
        for (std::size_t m = 0; m < modes; ++m) {
            const double bc = bigChance(m, g);
            const double stay = 1.0 - bc - model_.regProbability;
            double sum = 0.0;
            for (std::int32_t q = 0; q <= y_; ++q) {
                const double p = from[at(m, q)];
                if (p == 0.0) {
                    continue;
                }
                sum += p;
                bigOut_[at(m, q)] += p * bc;
                const std::int32_t left = std::max(q - 1, 0);
                if (over && left == 0) {
                    ended_ += p * stay;
                } else {
                    to[at(m, keptAfterBig(next, left))] += p * stay;
                }
            }
            count(sum, bc);
            const double reg = sum * model_.regProbability;
            if (over && y_ == 0) {
                ended_ += reg;
            } else {
                for (std::size_t n = 0; n < modes; ++n) {
                    to[at(n, keptAfterBig(next, y_))] += reg * regTo_[m][n];
                }
            }
        }
    }

    // The states before the first BIG: no end is possible yet.
    void advanceFirst() {
        std::fill(firstNext_.begin(), firstNext_.end(), 0.0);
        for (std::size_t m = 0; m < modes; ++m) {
            const double bc = bigChance(m, firstG_);
            const double stay = 1.0 - bc - model_.regProbability;
            double sum = 0.0;
            for (std::int32_t q = 0; q <= y_; ++q) {
                const double p = first_[at(m, q)];
                if (p == 0.0) {
                    continue;
                }
                sum += p;
                bigOut_[at(m, q)] += p * bc;
                firstNext_[at(m, keptFirst(std::max(q - 1, 0)))] += p * stay;
            }
            count(sum, bc);
            for (std::size_t n = 0; n < modes; ++n) {
                firstNext_[at(n, keptFirst(y_))] += sum * model_.regProbability * regTo_[m][n];
            }
        }
        first_.swap(firstNext_);
        firstG_ = std::min(firstG_ + 1, ceiling_);
    }

    void count(double sum, double bc) {
        games += sum;
        bigs += sum * bc;
        regs += sum * model_.regProbability;
    }

    const MachineModel& model_;
    std::int32_t x_;
    std::int32_t y_;
    std::int32_t ceiling_;  // the first layer at the ceiling's chance
    std::int32_t top_;      // from here on nothing depends on g
    std::size_t width_;
    std::size_t layer_;
    std::array<ModeVector, modes> regTo_{};
    std::array<ModeVector, modes> bigTo_{};
    std::vector<double> first_;
    std::vector<double> firstNext_;
    std::vector<double> after_;
    std::vector<double> capLayer_;
    std::vector<double> bigOut_;
    std::int32_t firstG_;
    // The highest layer after a BIG that may hold a chance; -1 while none does (an attempt that
    // ends at its first BIG never has any).
    std::int32_t highest_ = -1;
    double ended_ = 0.0;
    bool capStarted_ = false;
};

}  // namespace

CappedAttemptFigures solveCappedAttempt(std::int32_t setting, EndConditions end,
                                        std::int32_t maxGames, const AttemptStart& start,
                                        const WorkControl& control) {
    CappedAttemptFigures capped =
        solveCappedAttempt(machineModel(setting), end, maxGames, start, control);
    capped.figures.setting = setting;
    return capped;
}

CappedAttemptFigures solveCappedAttempt(const MachineModel& model, EndConditions end,
                                        std::int32_t maxGames, const AttemptStart& start,
                                        const WorkControl& control) {
    const WholeGames whole = wholeGames(end);
    if (maxGames < 1 || maxGames > largestMaxGames) {
        throw RuntimeError(ErrorKind::EndBeyondTables, "the game limit must be 1 to 100000");
    }
    ForwardChain chain(model, whole, start);
    double cost = 0.0;
    for (std::int32_t game = 1; game <= maxGames; ++game) {
        if (game % 64 == 0) {
            stopIfCalledOff(control.cancel);
            if (control.progress) {
                control.progress(static_cast<double>(game) / maxGames);
            }
        }
        cost += chain.play() * std::nearbyint(model.costCoefficient * game);
    }
    CappedAttemptFigures capped;
    capped.maxGames = maxGames;
    capped.limitReachedChance = chain.alive();
    cost += capped.limitReachedChance * std::nearbyint(model.costCoefficient * maxGames);
    AttemptFigures& figures = capped.figures;
    figures.end = end;
    figures.start = start;
    figures.expectedGames = chain.games;
    figures.expectedBigs = chain.bigs;
    figures.expectedRegs = chain.regs;
    figures.expectedCost = cost;
    figures.costRounding = CostRounding::Exact;
    figures.roundingExactBelowGames = std::int64_t{maxGames} + 1;
    figures.expectedNet = model.coinsPerBig * figures.expectedBigs +
                          model.coinsPerReg * figures.expectedRegs - figures.expectedCost;
    figures.netPer1000Games = 1000.0 * figures.expectedNet / figures.expectedGames;
    const double coinsIn = model.coinsInPerGame * figures.expectedGames;
    figures.payoutPercent = 100.0 * (coinsIn + figures.expectedNet) / coinsIn;
    if (control.progress) {
        control.progress(1.0);
    }
    return capped;
}

}  // namespace korvale
