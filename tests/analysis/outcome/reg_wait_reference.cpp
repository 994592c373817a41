#include "tests/analysis/outcome/reg_wait_reference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace korvale {

namespace {

// Entries this small are left out (and counted) so that the far tails do not fill the tables.
constexpr double tinyEntry = 1e-20;

// Where the machine is, besides the bonuses seen: the mode, games since the last BIG (from the
// start before the first) capped where neither the ceiling nor the end can tell longer waits
// apart, games since the last REG capped at the REG end. Whether a BIG or a REG has fallen is
// whether its count is above 0.
struct GameState {
    int mode;
    int sinceBig;
    int sinceReg;
};

// The chances of every state with one count of BIGs and REGs, and what ended there this game.
struct CountSlice {
    std::vector<double> chance;
    double ended = 0.0;
    bool live = false;
};

// Slices by BIG count, then REG count.
using CountGrid = std::vector<std::vector<CountSlice>>;

class ForwardPass {
  public:
    ForwardPass(const MachineModel& model, int bigEnd, int regEnd, const ReferenceStart& start)
        : model_(model),
          bigEnd_(bigEnd),
          regEnd_(regEnd),
          bigCap_(std::max(bigEnd, model.ceilingGame)),
          cells_(static_cast<std::size_t>(modeCount * (bigCap_ + 1) * (regEnd_ + 1))) {
        const int sinceBig = std::min(start.gamesSinceBig, bigCap_);
        alive_.assign(1, std::vector<CountSlice>(1));
        CountSlice& first = alive_[0][0];
        makeLive(first);
        for (int m = 0; m < modeCount; ++m) {
            first.chance[index({m, sinceBig, 0})] = start.modeLaw[static_cast<std::size_t>(m)];
        }
    }

    ReferenceNetLaw run(double stopBelow) {
        for (std::int64_t game = 1;; ++game) {
            if (playGame(game) < stopBelow) {
                break;
            }
        }
        return law_;
    }

  private:
    std::size_t index(const GameState& s) const {
        return static_cast<std::size_t>((s.mode * (bigCap_ + 1) + s.sinceBig) * (regEnd_ + 1) +
                                        s.sinceReg);
    }

    GameState stateAt(std::size_t cell) const {
        GameState s{};
        int rest = static_cast<int>(cell);
        s.sinceReg = rest % (regEnd_ + 1);
        rest /= regEnd_ + 1;
        s.sinceBig = rest % (bigCap_ + 1);
        s.mode = rest / (bigCap_ + 1);
        return s;
    }

    // A slice takes its room once something is booked there.
    void makeLive(CountSlice& s) const {
        if (!s.live) {
            s.chance.resize(cells_);
            s.live = true;
        }
    }

    // Where a game from `bigs` BIGs and `regs` REGs can lead: no bonus, a REG, a BIG.
    struct Targets {
        CountSlice* none;
        CountSlice* reg;
        CountSlice* big;
    };

    Targets targets(std::size_t bigs, std::size_t regs) {
        if (next_.size() <= bigs + 1) {
            next_.resize(bigs + 2);
        }
        for (const std::size_t b : {bigs, bigs + 1}) {
            if (next_[b].size() <= regs + 1) {
                next_[b].resize(regs + 2);
            }
        }
        return {&next_[bigs][regs], &next_[bigs][regs + 1], &next_[bigs + 1][regs]};
    }

    // Plays game number `game` from every live state; returns the chance still playing.
    double playGame(std::int64_t game) {
        const auto cost =
            static_cast<std::int64_t>(std::nearbyint(model_.costCoefficient * double(game)));
        playing_ = 0.0;
        for (std::size_t bigs = 0; bigs < alive_.size(); ++bigs) {
            for (std::size_t regs = 0; regs < alive_[bigs].size(); ++regs) {
                CountSlice& from = alive_[bigs][regs];
                if (!from.live) {
                    continue;
                }
                const Targets to = targets(bigs, regs);
                for (std::size_t cell = 0; cell < cells_; ++cell) {
                    if (from.chance[cell] != 0.0) {
                        playFrom(to, bigs, regs, stateAt(cell), from.chance[cell]);
                    }
                }
                std::fill(from.chance.begin(), from.chance.end(), 0.0);
                from.live = false;
            }
        }
        for (std::size_t bigs = 0; bigs < next_.size(); ++bigs) {
            for (std::size_t regs = 0; regs < next_[bigs].size(); ++regs) {
                CountSlice& to = next_[bigs][regs];
                if (to.ended > 0.0) {
                    const auto coins =
                        static_cast<std::int64_t>(model_.coinsPerBig) * std::int64_t(bigs) +
                        static_cast<std::int64_t>(model_.coinsPerReg) * std::int64_t(regs);
                    law_.net[coins - cost] += to.ended;
                    to.ended = 0.0;
                }
            }
        }
        alive_.swap(next_);
        law_.unfinished = playing_;
        return playing_;
    }

    void playFrom(const Targets& to, std::size_t bigs, std::size_t regs, const GameState& s,
                  double chance) {
        const auto m = static_cast<std::size_t>(s.mode);
        const int bigGame = s.sinceBig + 1;  // this game's number since the last BIG
        const double big =
            bigGame >= model_.ceilingGame ? model_.ceilingBigProbability : model_.bigProbability[m];
        const double reg = model_.regProbability;
        const int bigAfter = std::min(bigGame, bigCap_);
        const int regAfter = std::min(s.sinceReg + 1, regEnd_);
        book(*to.none, bigs, regs, {s.mode, bigAfter, regAfter}, chance * (1.0 - big - reg));
        for (int mode = 0; mode < modeCount; ++mode) {
            const double afterReg = nextMode(model_.regNextMode[m], s.mode, mode);
            const double afterBig = nextMode(model_.bigNextMode[m], s.mode, mode);
            if (afterReg > 0.0) {
                book(*to.reg, bigs, regs + 1, {mode, bigAfter, 0}, chance * reg * afterReg);
            }
            if (afterBig > 0.0) {
                book(*to.big, bigs + 1, regs, {mode, 0, regAfter}, chance * big * afterBig);
            }
        }
    }

    // A row of zeros keeps the mode.
    static double nextMode(const ModeVector& row, int from, int to) {
        const bool lottery = std::any_of(row.begin(), row.end(), [](double p) { return p > 0; });
        return lottery ? row[static_cast<std::size_t>(to)] : (to == from ? 1.0 : 0.0);
    }

    // The state after the game: the attempt ends there or plays on.
    void book(CountSlice& to, std::size_t bigs, std::size_t regs, const GameState& s,
              double chance) {
        if (chance < tinyEntry) {
            law_.dropped += chance;
            return;
        }
        const bool over = bigs > 0 && s.sinceBig >= bigEnd_ && (regs == 0 || s.sinceReg >= regEnd_);
        if (over) {
            to.ended += chance;
        } else {
            makeLive(to);
            to.chance[index(s)] += chance;
            playing_ += chance;
        }
    }

    const MachineModel& model_;
    int bigEnd_;
    int regEnd_;
    int bigCap_;
    std::size_t cells_;
    CountGrid alive_;
    CountGrid next_;
    double playing_ = 0.0;
    ReferenceNetLaw law_;
};

}  // namespace

double ReferenceNetLaw::pAhead() const {
    double ahead = 0.0;
    for (auto it = net.upper_bound(0); it != net.end(); ++it) {
        ahead += it->second;
    }
    return ahead;
}

double ReferenceNetLaw::atMost(std::int64_t value) const {
    double below = 0.0;
    for (auto it = net.begin(); it != net.end() && it->first <= value; ++it) {
        below += it->second;
    }
    return below;
}

std::int64_t ReferenceNetLaw::quantile(double q) const {
    double below = 0.0;
    for (const auto& [value, chance] : net) {
        below += chance;
        if (below >= q) {
            return value;
        }
    }
    return net.rbegin()->first;
}

ReferenceNetLaw referenceNetLaw(const MachineModel& model, std::int32_t bigEndGames,
                                std::int32_t regEndGames, double stopBelow,
                                const ReferenceStart& start) {
    if (bigEndGames < 0 || regEndGames < 0 || model.ceilingGame < 1 || start.gamesSinceBig < 0) {
        throw std::invalid_argument("the reference needs whole games from 0 and a ceiling");
    }
    return ForwardPass(model, bigEndGames, regEndGames, start).run(stopBelow);
}

MachineModel smallReferenceMachine(std::int32_t ceilingGame) {
    MachineModel model = machineModel(0);
    // Bonuses this frequent pay far more than the machine's 1.604 a game: a dearer game keeps
    // both sides of 0 in play. Like the machine's, the float is near a three-decimal number,
    // so its rounding repeats every 250 games.
    model.costCoefficient = static_cast<double>(16.604f);
    model.regProbability = 1.0 / 30.0;
    model.bigProbability = {0.05, 0.2, 0.01, 0.0, 0.0, 0.0};
    model.ceilingGame = ceilingGame;
    model.ceilingBigProbability = 0.1;
    model.regNextMode = {};
    model.regNextMode[0] = {0.7, 0.1, 0.2, 0.0, 0.0, 0.0};
    model.regNextMode[1] = {0.5, 0.5, 0.0, 0.0, 0.0, 0.0};
    // Every row of a mode in use is a lottery: the outcome law reads a row of zeros as no way
    // on, not as keeping the mode (the reference keeps it).
    model.regNextMode[2] = {0.0, 0.0, 1.0, 0.0, 0.0, 0.0};
    model.bigNextMode = {};
    model.bigNextMode[0] = {0.5, 0.2, 0.3, 0.0, 0.0, 0.0};
    model.bigNextMode[1] = {0.5, 0.3, 0.2, 0.0, 0.0, 0.0};
    model.bigNextMode[2] = {0.8, 0.2, 0.0, 0.0, 0.0, 0.0};
    return model;
}

}  // namespace korvale
