#include "analysis/outcome/reg_wait_pieces.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "analysis/outcome/first_piece_start.h"
#include "common/work_control.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;
using Layers = std::vector<std::array<double, modes>>;  // [regs][mode]

// The modes a BIG can lead to, and all that REGs and BIGs lead to from there.
std::vector<int> modesAfterFirstBig(const MachineModel& model) {
    std::array<bool, modes> in{};
    for (std::size_t from = 0; from < modes; ++from) {
        for (std::size_t to = 0; to < modes; ++to) {
            in[to] = in[to] || model.bigNextMode[from][to] > 0.0;
        }
    }
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t from = 0; from < modes; ++from) {
            for (std::size_t to = 0; in[from] && to < modes; ++to) {
                if (!in[to] &&
                    (model.regNextMode[from][to] > 0.0 || model.bigNextMode[from][to] > 0.0)) {
                    in[to] = grew = true;
                }
            }
        }
    }
    std::vector<int> result;
    for (std::size_t m = 0; m < modes; ++m) {
        if (in[m]) {
            result.push_back(static_cast<int>(m));
        }
    }
    return result;
}

double layersMass(const Layers& layers) {
    double sum = 0.0;
    for (const auto& layer : layers) {
        for (const double w : layer) {
            sum += w;
        }
    }
    return sum;
}

// Drops the top REG counts once they hold next to nothing; returns what they held.
double trimLayers(Layers& layers) {
    constexpr double negligible = 1e-20;
    double dropped = 0.0;
    while (!layers.empty()) {
        double sum = 0.0;
        for (const double w : layers.back()) {
            sum += w;
        }
        if (sum >= negligible) {
            break;
        }
        dropped += sum;
        layers.pop_back();
    }
    return dropped;
}

void addLayers(Layers& into, const Layers& from) {
    if (into.size() < from.size()) {
        into.resize(from.size(), {});
    }
    for (std::size_t k = 0; k < from.size(); ++k) {
        for (std::size_t m = 0; m < modes; ++m) {
            into[k][m] += from[k][m];
        }
    }
}

// One game before the first BIG: the machine state by REG count and mode, either clear of any
// REG's window (free) or within one (a BIG then is unclean and is carried from the REG on).
class FirstBigTable {
  public:
    FirstBigTable(const MachineModel& model, RegWaitPieces& pieces, const ModeVector& modeLaw,
                  double smallest)
        : model_(model),
          pieces_(pieces),
          smallest_(smallest),
          ring_(static_cast<std::size_t>(std::max(pieces.window - 1, 0))) {
        free_.push_back(modeLaw);
        for (std::size_t i = 0; i < pieces.d(); ++i) {
            laneOfMode_[static_cast<std::size_t>(pieces.modes[i])] = static_cast<int>(i);
        }
    }

    // Plays game g; returns the chance still before the first BIG.
    double play(std::int32_t g) {
        reaching_.clear();
        playLayers(free_, g, true);
        for (Layers& layers : ring_) {
            playLayers(layers, g, false);
        }
        Layers inflow = regsOfGame(g);
        fileEvents(g);
        pieces_.lostMass += trimLayers(inflow) + trimLayers(free_);
        if (ring_.empty()) {
            addLayers(free_, inflow);
        } else {
            Layers& slot = ring_[static_cast<std::size_t>(g) % ring_.size()];
            addLayers(free_, slot);
            slot.swap(inflow);
        }
        double alive = layersMass(free_);
        for (const Layers& layers : ring_) {
            alive += layersMass(layers);
        }
        return alive;
    }

  private:
    // Plays one game of these layers: their chance of a REG is gathered by REG count and mode
    // (reaching_), a clean BIG is filed, an unclean one leaves the table (the window of its
    // REG carries it), and the rest stays.
    void playLayers(Layers& layers, std::int32_t g, bool clean) {
        if (reaching_.size() < layers.size()) {
            reaching_.resize(layers.size(), {});
        }
        for (std::size_t k = 0; k < layers.size(); ++k) {
            for (std::size_t m = 0; m < modes; ++m) {
                const double w = layers[k][m];
                if (w == 0.0) {
                    continue;
                }
                const double big = g >= pieces_.ceilingGame ? model_.ceilingBigProbability
                                                            : model_.bigProbability[m];
                if (clean) {
                    for (std::size_t to = 0; to < modes; ++to) {
                        const double p = model_.bigNextMode[m][to];
                        if (p > 0.0) {
                            add(k, static_cast<std::size_t>(laneOfMode_[to]), w * big * p);
                        }
                    }
                }
                reaching_[k][m] += w;
                layers[k][m] = w * (1.0 - model_.regProbability - big);
            }
        }
    }

    // The layers this game's REGs start, and (when a window can hold a BIG) their events.
    Layers regsOfGame(std::int32_t g) {
        const double r = model_.regProbability;
        const bool atCeiling = g >= pieces_.ceilingGame - 1;
        Layers inflow(reaching_.size() + 1);
        for (std::size_t k = 0; k < reaching_.size(); ++k) {
            for (std::size_t m = 0; m < modes; ++m) {
                const double w = reaching_[k][m] * r;
                for (std::size_t to = 0; w > 0.0 && to < modes; ++to) {
                    const double reg = w * model_.regNextMode[m][to];
                    inflow[k + 1][to] += reg;
                    if (reg > 0.0 && pieces_.window > 1) {
                        add(k + 1, pieces_.regLane(static_cast<int>(to), atCeiling), reg);
                    }
                }
            }
        }
        return inflow;
    }

    void add(std::size_t regs, std::size_t lane, double mass) {
        if (pending_.size() <= regs) {
            pending_.resize(regs + 1, std::vector<double>(pieces_.d() + 2 * modes, 0.0));
        }
        pending_[regs][lane] += mass;
    }

    // The game's events: its clean first BIGs, and (when a window can hold a BIG) its REGs.
    void fileEvents(std::int32_t g) {
        for (std::size_t k = 0; k < pending_.size(); ++k) {
            for (std::size_t lane = 0; lane < pending_[k].size(); ++lane) {
                double& mass = pending_[k][lane];
                if (mass >= smallest_) {
                    pieces_.events.push_back(
                        {g, static_cast<std::int32_t>(k), static_cast<std::int32_t>(lane), mass});
                    pieces_.mostRegs = std::max(pieces_.mostRegs, static_cast<std::int32_t>(k));
                } else {
                    pieces_.lostMass += mass;
                }
                mass = 0.0;
            }
        }
    }

    const MachineModel& model_;
    RegWaitPieces& pieces_;
    double smallest_;
    std::array<int, modes> laneOfMode_{};
    Layers free_;
    std::vector<Layers> ring_;                  // [REG game % (L - 1)]: the windows still open
    std::vector<std::vector<double>> pending_;  // [regs][lane]
    Layers reaching_;  // this game's chance of being played, by REG count and mode
};

}  // namespace

RegWaitPieces regWaitPieces(const MachineModel& model, std::int32_t bigEndGames,
                            std::int32_t regEndGames, double tail, double smallest,
                            const AttemptStart& start, const WorkControl& control) {
    if (bigEndGames < 0 || regEndGames <= bigEndGames) {
        throw std::invalid_argument("the REG end must outlast the BIG end");
    }
    RegWaitPieces pieces;
    pieces.bigEnd = bigEndGames;
    pieces.regEnd = regEndGames;
    pieces.window = regEndGames - bigEndGames;
    pieces.modes = modesAfterFirstBig(model);
    const FirstPieceStart first = firstPieceStart(model, start);
    pieces.ceilingGame = first.ceilingGame;
    FirstBigTable table(model, pieces, first.modeLaw, smallest);
    for (std::int32_t g = 1;; ++g) {
        stopIfCalledOff(control.cancel);
        const double alive = table.play(g);
        if (alive < tail) {
            pieces.lostMass += alive;
            pieces.longestGames = g;
            return pieces;
        }
    }
}

}  // namespace korvale
