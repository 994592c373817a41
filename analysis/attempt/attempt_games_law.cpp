#include "analysis/attempt/attempt_games_law.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "analysis/numeric/fourier_transform.h"
#include "analysis/numeric/small_linear_solve.h"
#include "common/parallel_work.h"
#include "common/work_control.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;

// The pieces' chances by their games, one lane each: d first pieces [to], d * d later ones
// [from][to], d ends [from], with d the modes a BIG can lead to.
struct Pieces {
    std::vector<int> postBig;
    std::vector<std::vector<double>> lanes;
    std::size_t d() const { return postBig.size(); }
    std::size_t later(std::size_t from, std::size_t to) const { return d() + from * d() + to; }
    std::size_t end(std::size_t from) const { return d() + d() * d() + from; }
};

void add(std::vector<double>& lane, std::size_t games, double mass) {
    if (lane.size() <= games) {
        lane.resize(games + 1, 0.0);
    }
    lane[games] += mass;
}

// The BIG chance of game `game` (counted from 1) since the last BIG, or since the start.
double bigChance(const MachineModel& model, std::size_t m, std::size_t game) {
    return game >= static_cast<std::size_t>(model.ceilingGame) ? model.ceilingBigProbability
                                                               : model.bigProbability[m];
}

// From the start to the first BIG: only the mode matters, and the games since the machine's
// last BIG count toward the BIG ceiling.
void firstPiece(const MachineModel& model, Pieces& pieces, const AttemptStart& start,
                const std::atomic<bool>* cancel) {
    const double r = model.regProbability;
    std::array<double, modes> alive = start.modeLaw;
    const auto before = static_cast<std::size_t>(start.gamesSinceBig);
    for (std::size_t game = 1;; ++game) {
        if ((game & 255) == 0) {
            stopIfCalledOff(cancel);
        }
        std::array<double, modes> next{};
        for (std::size_t m = 0; m < modes; ++m) {
            const double w = alive[m];
            const double big = bigChance(model, m, before + game);
            for (std::size_t to = 0; to < pieces.d(); ++to) {
                const double p = model.bigNextMode[m][static_cast<std::size_t>(pieces.postBig[to])];
                if (p > 0.0 && w > 0.0) {
                    add(pieces.lanes[to], game, w * big * p);
                }
            }
            next[m] += w * (1.0 - r - big);
            for (std::size_t to = 0; to < modes; ++to) {
                next[to] += w * r * model.regNextMode[m][to];
            }
        }
        alive = next;
        double running = 0.0;
        for (const double w : alive) {
            running += w;
        }
        if (running < gamesLawPieceTail) {
            return;
        }
    }
}

// From a BIG that led to postBig[from] to the next BIG or the end. The state is the mode and
// rho, the games still needed for the end if no bonus falls: X after the BIG, one less each
// game, and at least Y after a REG.
class LaterPiece {
  public:
    LaterPiece(const MachineModel& model, Pieces& pieces, std::size_t from, WholeGames games)
        : model_(model),
          pieces_(pieces),
          from_(from),
          x_(static_cast<std::size_t>(games.big)),
          y_(static_cast<std::size_t>(games.reg)),
          width_(std::max(x_, y_) + 1),
          alive_(modes * width_, 0.0),
          next_(modes * width_, 0.0) {
        alive_[static_cast<std::size_t>(pieces.postBig[from]) * width_ + x_] = 1.0;
    }

    void run(const std::atomic<bool>* cancel) {
        for (std::size_t game = 1;; ++game) {
            if ((game & 255) == 0) {
                stopIfCalledOff(cancel);
            }
            if (play(game) < gamesLawPieceTail) {
                return;
            }
        }
    }

  private:
    // Moves the mass alive before game `game` on to after it, filing its BIGs and ends;
    // returns the mass still alive.
    double play(std::size_t game) {
        // Before the game rho lies in [lowest, max(lowest, y)]: x - (game - 1) without a REG
        // since the BIG, at most y after one; after it one less, or y after a REG.
        const std::size_t lowest = x_ + 1 > game ? x_ + 1 - game : 1;
        const std::size_t highest = std::max(lowest, y_);
        for (std::size_t m = 0; m < modes; ++m) {
            std::fill(next_.begin() + static_cast<std::ptrdiff_t>(m * width_ + lowest - 1),
                      next_.begin() + static_cast<std::ptrdiff_t>(m * width_ + highest + 1), 0.0);
        }
        ended_ = 0.0;
        for (std::size_t m = 0; m < modes; ++m) {
            playMode(game, m, lowest, highest);
        }
        if (ended_ > 0.0) {
            add(pieces_.lanes[pieces_.end(from_)], game, ended_);
        }
        alive_.swap(next_);
        double running = 0.0;
        const std::size_t nextLowest = lowest > 1 ? lowest - 1 : 1;
        for (std::size_t m = 0; m < modes; ++m) {
            for (std::size_t rho = nextLowest; rho <= std::max(nextLowest, y_); ++rho) {
                running += alive_[m * width_ + rho];
            }
        }
        return running;
    }

    void playMode(std::size_t game, std::size_t m, std::size_t lowest, std::size_t highest) {
        const double big = bigChance(model_, m, game);
        const double stay = 1.0 - model_.regProbability - big;
        double live = 0.0;
        double toRegEnd = 0.0;  // the mass whose REG leaves rho at y
        for (std::size_t rho = lowest; rho <= highest; ++rho) {
            const double w = alive_[m * width_ + rho];
            if (w == 0.0) {
                continue;
            }
            live += w;
            if (rho == 1) {
                ended_ += w * stay;
            } else {
                next_[m * width_ + rho - 1] += w * stay;
            }
            if (rho - 1 > y_) {
                reg(m, rho - 1, w);
            } else {
                toRegEnd += w;
            }
        }
        for (std::size_t to = 0; to < pieces_.d() && live > 0.0; ++to) {
            const double p = model_.bigNextMode[m][static_cast<std::size_t>(pieces_.postBig[to])];
            if (p > 0.0) {
                add(pieces_.lanes[pieces_.later(from_, to)], game, live * big * p);
            }
        }
        if (toRegEnd > 0.0) {
            reg(m, y_, toRegEnd);
        }
    }

    // A REG from mode m with `mass`: the next mode, and rho after it.
    void reg(std::size_t m, std::size_t rho, double mass) {
        for (std::size_t to = 0; to < modes; ++to) {
            const double moved = mass * model_.regProbability * model_.regNextMode[m][to];
            if (rho == 0) {
                ended_ += moved;
            } else {
                next_[to * width_ + rho] += moved;
            }
        }
    }

    const MachineModel& model_;
    Pieces& pieces_;
    std::size_t from_;
    std::size_t x_;
    std::size_t y_;
    std::size_t width_;
    std::vector<double> alive_;  // [mode * width + rho] before the game
    std::vector<double> next_;   // after it
    double ended_ = 0.0;         // the mass the game ends
};

void laterPiece(const MachineModel& model, Pieces& pieces, std::size_t from, WholeGames games,
                const std::atomic<bool>* cancel) {
    if (games.big == 0) {
        // Y <= 1: the REG end holds on the BIG's own game, which ends the attempt.
        pieces.lanes[pieces.end(from)].assign(1, 1.0);
        return;
    }
    LaterPiece(model, pieces, from, games).run(cancel);
}

Pieces tabulatePieces(const MachineModel& model, WholeGames games, const AttemptStart& start,
                      unsigned threads, const std::atomic<bool>* cancel) {
    Pieces pieces;
    for (std::size_t to = 0; to < modes; ++to) {
        for (std::size_t from = 0; from < modes; ++from) {
            if (model.bigNextMode[from][to] > 0.0) {
                pieces.postBig.push_back(static_cast<int>(to));
                break;
            }
        }
    }
    const std::size_t d = pieces.d();
    pieces.lanes.resize(d + d * d + d);
    // Each piece fills lanes of its own.
    shareTasks(d + 1, threads, [&](std::size_t task) {
        if (task == d) {
            firstPiece(model, pieces, start, cancel);
        } else {
            laterPiece(model, pieces, task, games, cancel);
        }
    });
    return pieces;
}

// init^T (I - S)^-1 end at one root, from the lanes' transforms there.
Complex renewalAt(std::size_t d, const Complex* row) {
    std::array<std::array<Complex, modes>, modes> a{};
    std::array<Complex, modes> x{};
    for (std::size_t i = 0; i < d; ++i) {
        for (std::size_t j = 0; j < d; ++j) {
            a[i][j] = (i == j ? Complex(1.0) : Complex(0.0)) - row[d + i * d + j];
        }
        x[i] = row[d + d * d + i];
    }
    // Every row of S adds up in size to at most the chance that a piece ends with a BIG.
    solveDominantInPlace(a, x, d);
    Complex value = 0.0;
    for (std::size_t i = 0; i < d; ++i) {
        value += row[i] * x[i];
    }
    return value;
}

}  // namespace

AttemptGamesLaw attemptGamesLaw(const MachineModel& model, WholeGames games, std::size_t atLeast,
                                const AttemptStart& start, const WorkControl& control) {
    if (games.big < 0 || games.reg < 0 || games.reg > games.big + 1) {
        throw std::invalid_argument("the games' law needs 0 <= REG end <= BIG end + 1");
    }
    const unsigned threads = control.workers();
    const std::atomic<bool>* cancel = control.cancel;
    const Pieces pieces = tabulatePieces(model, games, start, threads, cancel);
    std::size_t longest = 0;
    for (const std::vector<double>& lane : pieces.lanes) {
        longest = std::max(longest, lane.size());
    }
    // The roots of unity of the table's length in cosets: root c + cosets t for t below the
    // pieces' own length. On each coset a piece's transform is one of that length, of the
    // piece turned by root c.
    const std::size_t pieceLength = FourierTransform::goodLength(longest);
    const std::size_t cosets = FourierTransform::goodLength(
        (std::max(atLeast, pieceLength) + pieceLength - 1) / pieceLength);
    const std::size_t length = pieceLength * cosets;
    const std::size_t width = pieces.lanes.size();
    const FourierTransform pieceTransform(pieceLength, width);
    std::vector<Complex> values(length);
    shareTasks(cosets, threads, [&](std::size_t c) {
        stopIfCalledOff(cancel);
        std::vector<Complex> data(pieceLength * width, 0.0);
        for (std::size_t s = 0; s < longest; ++s) {
            const Complex turn =
                std::polar(1.0, 2.0 * std::numbers::pi * static_cast<double>(c * s) /
                                    static_cast<double>(length));
            for (std::size_t lane = 0; lane < width; ++lane) {
                if (s < pieces.lanes[lane].size()) {
                    data[s * width + lane] = pieces.lanes[lane][s] * turn;
                }
            }
        }
        pieceTransform.transform(data, +1);
        for (std::size_t t = 0; t < pieceLength; ++t) {
            values[c + cosets * t] = renewalAt(pieces.d(), data.data() + t * width);
        }
    });
    stopIfCalledOff(cancel);
    FourierTransform(length, 1).transform(values, -1);
    AttemptGamesLaw law;
    law.chance.resize(length);
    double held = 0.0;
    for (std::size_t g = 0; g < length; ++g) {
        law.chance[g] = values[g].real() / static_cast<double>(length);
        law.arithmetic += std::abs(values[g].imag()) / static_cast<double>(length);
        held += law.chance[g];
    }
    law.lost = std::max(0.0, 1.0 - held);
    return law;
}

}  // namespace korvale
