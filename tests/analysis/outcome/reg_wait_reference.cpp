#include "tests/analysis/outcome/reg_wait_reference.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace korvale {

namespace {

// Entries this small are left out (and counted) so that the far tails do not fill the tables.
constexpr double tinyEntry = 1e-20;

// Where the machine is: BIG and REG seen, the mode, games since the last BIG (from the start
// before the first) capped where neither the ceiling nor the end can tell longer waits apart,
// games since the last REG capped at the REG end.
struct GameState {
    int bigSeen;
    int regSeen;
    int mode;
    int sinceBig;
    int sinceReg;
};

// The bonus counts with their chance, keyed by BIGs * 2^16 + REGs.
using CountChances = std::unordered_map<std::uint32_t, double>;

class ForwardPass {
  public:
    ForwardPass(const MachineModel& model, int bigEnd, int regEnd, const ReferenceStart& start)
        : model_(model),
          bigEnd_(bigEnd),
          regEnd_(regEnd),
          bigCap_(std::max(bigEnd, model.ceilingGame)),
          alive_(index({1, 1, modeCount - 1, bigCap_, regEnd_}) + 1) {
        const int sinceBig = std::min(start.gamesSinceBig, bigCap_);
        for (int m = 0; m < modeCount; ++m) {
            if (start.modeLaw[static_cast<std::size_t>(m)] > 0.0) {
                alive_[index({0, 0, m, sinceBig, 0})][0] =
                    start.modeLaw[static_cast<std::size_t>(m)];
            }
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
        const int cell =
            (((s.bigSeen * 2 + s.regSeen) * modeCount + s.mode) * (bigCap_ + 1) + s.sinceBig) *
                (regEnd_ + 1) +
            s.sinceReg;
        return static_cast<std::size_t>(cell);
    }

    GameState stateAt(std::size_t cell) const {
        GameState s{};
        int rest = static_cast<int>(cell);
        s.sinceReg = rest % (regEnd_ + 1);
        rest /= regEnd_ + 1;
        s.sinceBig = rest % (bigCap_ + 1);
        rest /= bigCap_ + 1;
        s.mode = rest % modeCount;
        rest /= modeCount;
        s.regSeen = rest % 2;
        s.bigSeen = rest / 2;
        return s;
    }

    // Plays game number `game` from every live state; returns the chance still playing.
    double playGame(std::int64_t game) {
        next_.assign(alive_.size(), CountChances{});
        cost_ = static_cast<std::int64_t>(std::nearbyint(model_.costCoefficient * double(game)));
        playing_ = 0.0;
        for (std::size_t cell = 0; cell < alive_.size(); ++cell) {
            if (!alive_[cell].empty()) {
                playFrom(stateAt(cell), alive_[cell]);
            }
        }
        alive_.swap(next_);
        law_.unfinished = playing_;
        return playing_;
    }

    void playFrom(const GameState& s, const CountChances& counts) {
        const auto m = static_cast<std::size_t>(s.mode);
        const int bigGame = s.sinceBig + 1;  // this game's number since the last BIG
        const double big =
            bigGame >= model_.ceilingGame ? model_.ceilingBigProbability : model_.bigProbability[m];
        const double reg = model_.regProbability;
        const int bigAfter = std::min(bigGame, bigCap_);
        const int regAfter = std::min(s.sinceReg + 1, regEnd_);
        for (const auto& [key, chance] : counts) {
            book({s.bigSeen, s.regSeen, s.mode, bigAfter, regAfter}, key,
                 chance * (1.0 - big - reg));
            for (int to = 0; to < modeCount; ++to) {
                const double afterReg = nextMode(model_.regNextMode[m], s.mode, to);
                const double afterBig = nextMode(model_.bigNextMode[m], s.mode, to);
                if (afterReg > 0.0) {
                    book({s.bigSeen, 1, to, bigAfter, 0}, key + 1, chance * reg * afterReg);
                }
                if (afterBig > 0.0) {
                    book({1, s.regSeen, to, 0, regAfter}, key + (1U << 16),
                         chance * big * afterBig);
                }
            }
        }
    }

    // A row of zeros keeps the mode.
    static double nextMode(const ModeVector& row, int from, int to) {
        const bool lottery = std::any_of(row.begin(), row.end(), [](double p) { return p > 0; });
        return lottery ? row[static_cast<std::size_t>(to)] : (to == from ? 1.0 : 0.0);
    }

    // The state after the game: the attempt ends there or plays on.
    void book(const GameState& s, std::uint32_t key, double chance) {
        if (chance < tinyEntry) {
            law_.dropped += chance;
            return;
        }
        const bool over =
            s.bigSeen == 1 && s.sinceBig >= bigEnd_ && (s.regSeen == 0 || s.sinceReg >= regEnd_);
        if (over) {
            const std::int64_t bigs = key >> 16;
            const std::int64_t regs = key & 0xFFFF;
            const auto coins = static_cast<std::int64_t>(model_.coinsPerBig) * bigs +
                               static_cast<std::int64_t>(model_.coinsPerReg) * regs;
            law_.net[coins - cost_] += chance;
        } else {
            next_[index(s)][key] += chance;
            playing_ += chance;
        }
    }

    const MachineModel& model_;
    int bigEnd_;
    int regEnd_;
    int bigCap_;
    std::vector<CountChances> alive_;
    std::vector<CountChances> next_;
    std::int64_t cost_ = 0;
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
