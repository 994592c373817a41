#include "analysis/outcome/cash_lots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

#include "analysis/attempt/attempt.h"
#include "analysis/outcome/first_piece_start.h"
#include "common/checked_arithmetic.h"
#include "common/status.h"
#include "common/work_control.h"

namespace korvale {
namespace {

constexpr std::size_t modes = modeCount;
constexpr std::int32_t longestPass = 1'000'000;
// Coins in hand held by less than this chance at the top of the table are dropped (and
// counted in the error bound): a deep hand needs many REGs in few games.
constexpr double droppedTop = 1e-17;

using Hands = std::array<std::vector<double>, modes>;  // [mode][coins in hand]

struct LotsPass {
    const MachineModel& model;
    std::int32_t lend;
    std::int32_t ceilingGame;
    std::int32_t regCoins;
    double lots = 0.0;
    double lost = 0.0;    // chance dropped, times the bound of what it could still buy
    Hands hands{};        // each mode's as long as its top hand held
    Hands next{};         // the next game's, reused
    ModeVector held{};    // each row's chance in all
    bool merged = false;  // at the ceiling every mode plays alike: one row holds them all

    // Moves `factor` of `from` into `to`, each hand raised by `shift`; a hand that would go
    // below 0 buys lots until it no longer does.
    void move(const std::vector<double>& from, std::vector<double>& to, double factor,
              std::int32_t shift) {
        const auto w = static_cast<std::int32_t>(from.size());
        const std::int32_t low = std::clamp(-shift, 0, w);
        for (std::int32_t h = 0; h < low; ++h) {
            const std::int32_t after = h + shift;
            const std::int32_t count = (-after + lend - 1) / lend;
            const double mass = factor * from[static_cast<std::size_t>(h)];
            lots += static_cast<double>(count) * mass;
            to[static_cast<std::size_t>(after + count * lend)] += mass;
        }
        const double* src = from.data() + low;
        double* dst = to.data() + (low + shift);
        const std::int32_t n = w - low;
        for (std::int32_t i = 0; i < n; ++i) {
            dst[i] += factor * src[i];
        }
    }

    double bigChance(std::size_t m, std::int32_t game) const {
        return game >= ceilingGame ? model.ceilingBigProbability : model.bigProbability[m];
    }
};

// The most coins a game can cost, and a bound on the lots still to be bought from any state
// at `game`: at most one plus the cost of the games left over the lend, the games left being
// those up to the ceiling and a wait at the ceiling's chance.
double lotsBoundAfter(const MachineModel& model, std::int32_t lend, std::int32_t ceilingGame,
                      std::int32_t game) {
    if (!(model.ceilingBigProbability > 0.0)) {
        return std::numeric_limits<double>::infinity();
    }
    const double step = std::floor(model.costCoefficient) + 1.0;
    const double left = std::max(ceilingGame - game, 0) + 1.0 / model.ceilingBigProbability;
    return 1.0 + step * left / lend;
}

// At the ceiling every mode's BIG chance is the same and the mode no longer matters.
void mergeModes(LotsPass& pass) {
    std::vector<double>& all = pass.hands[0];
    for (std::size_t m = 1; m < modes; ++m) {
        all.resize(std::max(all.size(), pass.hands[m].size()), 0.0);
        std::transform(pass.hands[m].begin(), pass.hands[m].end(), all.begin(), all.begin(),
                       std::plus<>());
        pass.hands[m].clear();
        pass.held[0] += pass.held[m];
        pass.held[m] = 0.0;
    }
    pass.merged = true;
}

// One game: the BIGs leave, the REGs raise the hand by their coins less the game's cost and
// draw the next mode, the other games lower it by the cost. Returns the chance still playing.
double playGame(LotsPass& pass, std::int32_t game, std::int32_t step) {
    const MachineModel& model = pass.model;
    if (game >= pass.ceilingGame && !pass.merged) {
        mergeModes(pass);
    }
    const std::size_t active = pass.merged ? 1 : modes;
    const std::int32_t regShift = pass.regCoins - step;
    const auto regTarget = [&](std::size_t m, std::size_t to) {
        return pass.merged ? 1.0 : model.regNextMode[m][to];
    };
    // Each row as long as the longest move into it needs; a lot bought lands below the lend.
    for (std::size_t to = 0; to < active; ++to) {
        std::size_t width = static_cast<std::size_t>(pass.lend);
        width = std::max(width, pass.hands[to].size());
        for (std::size_t m = 0; m < active; ++m) {
            if (regTarget(m, to) > 0.0 && !pass.hands[m].empty()) {
                width = std::max(
                    width, pass.hands[m].size() + static_cast<std::size_t>(std::max(regShift, 0)));
            }
        }
        pass.next[to].assign(width, 0.0);
    }
    const double r = model.regProbability;
    for (std::size_t m = 0; m < active; ++m) {
        const std::vector<double>& from = pass.hands[m];
        if (from.empty()) {
            continue;
        }
        pass.move(from, pass.next[m], 1.0 - r - pass.bigChance(m, game), -step);
        for (std::size_t to = 0; to < active; ++to) {
            const double p = regTarget(m, to);
            if (p > 0.0) {
                pass.move(from, pass.next[to], r * p, regShift);
            }
        }
    }
    // Each row's chance follows from the moves alone (a lot bought keeps it): no pass over
    // the hands to add them up.
    ModeVector held{};
    for (std::size_t m = 0; m < active; ++m) {
        held[m] += (1.0 - r - pass.bigChance(m, game)) * pass.held[m];
        for (std::size_t to = 0; to < active; ++to) {
            held[to] += r * regTarget(m, to) * pass.held[m];
        }
    }
    double alive = 0.0;
    for (std::size_t m = 0; m < active; ++m) {
        pass.hands[m].swap(pass.next[m]);
        pass.held[m] = held[m];
        alive += held[m];
    }
    return alive;
}

// Drops each row's top hands held by less than droppedTop in all; returns the chance dropped.
double trimTop(LotsPass& pass) {
    double dropped = 0.0;
    const double share = droppedTop / static_cast<double>(modes);
    for (std::size_t m = 0; m < modes; ++m) {
        std::vector<double>& row = pass.hands[m];
        double rowDropped = 0.0;
        std::size_t top = row.size();
        // Eight at a time while whole blocks go (their sum a tree, not a chain), then one by one.
        while (top >= 8) {
            const double* b = row.data() + top - 8;
            const double block = ((b[0] + b[1]) + (b[2] + b[3])) + ((b[4] + b[5]) + (b[6] + b[7]));
            if (!(rowDropped + block < share)) {
                break;
            }
            rowDropped += block;
            top -= 8;
        }
        while (top > 0 && rowDropped + row[top - 1] < share) {
            rowDropped += row[top - 1];
            --top;
        }
        row.resize(top);
        pass.held[m] = top == 0 ? 0.0 : pass.held[m] - rowDropped;
        dropped += rowDropped;
    }
    return dropped;
}

}  // namespace

bool endsAtFirstBig(EndConditions end) {
    const WholeGames games = wholeGames(end);
    // A REG falls at least one game before the BIG, so a REG end of 1 is always met by then.
    return games.big == 0 && games.reg <= 1;
}

CashLots solveFirstBigLots(const MachineModel& model, const AttemptStart& start, std::int32_t lend,
                           const std::atomic<bool>* cancel) {
    if (lend < 1) {
        throw std::invalid_argument("a lot holds at least one coin");
    }
    const FirstPieceStart first = firstPieceStart(model, start);
    LotsPass pass{.model = model,
                  .lend = lend,
                  .ceilingGame = first.ceilingGame,
                  .regCoins = static_cast<std::int32_t>(model.coinsPerReg)};
    for (std::size_t m = 0; m < modes; ++m) {
        if (first.modeLaw[m] > 0.0) {
            pass.hands[m] = {first.modeLaw[m]};
            pass.held[m] = first.modeLaw[m];
        }
    }
    CashLots result;
    double cost = 0.0;
    for (std::int32_t game = 1;; ++game) {
        stopIfCalledOff(cancel);
        if (game > longestPass) {
            throw StatusError(StatusReason::AttemptsTooLong,
                              "the attempt's first BIG is too far off for the cash's pass");
        }
        const double nextCost = roundHalfEven(model.costCoefficient * game);
        const auto step = static_cast<std::int32_t>(nextCost - cost);
        cost = nextCost;
        const double alive = playGame(pass, game, step);
        pass.lost += trimTop(pass) * lotsBoundAfter(model, lend, first.ceilingGame, game);
        if (alive < cashLotsTail) {
            result.games = game;
            result.errorBound =
                pass.lost + alive * lotsBoundAfter(model, lend, first.ceilingGame, game);
            break;
        }
    }
    result.expected = pass.lots;
    return result;
}

}  // namespace korvale
