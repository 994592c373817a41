#include "analysis/attempt/high_waits.h"

#include <algorithm>

namespace korvale {
namespace {

using Wide = long double;
using WideVector = std::array<Wide, waitModes>;
using Matrix = std::array<WideVector, waitModes>;

template <typename Vector>
WideVector times(const Vector& v, const Matrix& a) {
    WideVector out{};
    for (std::size_t from = 0; from < waitModes; ++from) {
        for (std::size_t to = 0; to < waitModes; ++to) {
            out[to] += v[from] * a[from][to];
        }
    }
    return out;
}

ModeVector filled(double value) {
    ModeVector v{};
    v.fill(value);
    return v;
}

// One game's move of the chances by mode above lowTop, neither bonus nor a BIG: a REG only
// changes the mode.
Matrix gameMove(const WaitModel& model, const ModeVector& stay) {
    Matrix move{};
    for (std::size_t from = 0; from < waitModes; ++from) {
        for (std::size_t to = 0; to < waitModes; ++to) {
            move[from][to] = Wide{model.reg} * model.regTo[from][to];
        }
        move[from][from] += stay[from];
    }
    return move;
}

void takeAway(WideVector& sum, const WideVector& part) {
    // Rounding may leave the sum a hair below the part that leaves it: none is left.
    for (std::size_t m = 0; m < waitModes; ++m) {
        sum[m] = std::max(sum[m] - part[m], Wide{0});
    }
}

}  // namespace

HighWaits::HighWaits(const WaitModel& model)
    : model_(model),
      levels_(std::max(model.bigEnd - model.lowTop(), 0)),
      youngTo_(std::min(levels_, model.ceilingAge)),
      young_(gameMove(model, model.youngStay)),
      old_(gameMove(model, filled(model.oldStay))) {
    if (levels_ == 0) {
        return;
    }
    // A game at a time, as the sums move.
    moved_.resize(static_cast<std::size_t>(levels_) + 1);
    for (std::size_t m = 0; m < waitModes; ++m) {
        moved_[0][m][m] = 1.0;
    }
    for (std::size_t j = 1; j < moved_.size(); ++j) {
        const Matrix& step = static_cast<std::int32_t>(j) <= youngTo_ ? young_ : old_;
        for (std::size_t m = 0; m < waitModes; ++m) {
            moved_[j][m] = times(moved_[j - 1][m], step);
        }
    }
    landings_.assign(static_cast<std::size_t>(levels_) + 1, ModeVector{});
}

// The landing of `game` moved on as `moved` says; none before the first game.
HighWaits::WideVector HighWaits::leaving(std::int32_t game, const Matrix& moved) const {
    if (game < 1) {
        return {};
    }
    return times(landings_[static_cast<std::size_t>(game) % landings_.size()], moved);
}

void HighWaits::play(std::int32_t game, ModeVector& bigAtEnd, double& games, double& bigs,
                     double& regs, WaitRows& young, WaitRows& old) {
    if (levels_ == 0) {
        return;
    }
    for (std::size_t m = 0; m < waitModes; ++m) {
        const auto young = static_cast<double>(youngSum_[m]);
        const auto old = static_cast<double>(oldSum_[m]);
        const double big = young * model_.youngBig[m] + old * model_.oldBig;
        bigAtEnd[m] += big;
        games += young + old;
        bigs += big;
        regs += (young + old) * model_.reg;
    }
    youngSum_ = times(youngSum_, young_);
    oldSum_ = times(oldSum_, old_);
    const std::int32_t lowTop = model_.lowTop();
    if (youngTo_ > 0) {
        // The landing youngTo_ games ago leaves the young sum: for lowTop, or for the old sum.
        const WideVector out = leaving(game - youngTo_, moved_[youngTo_]);
        takeAway(youngSum_, out);
        for (std::size_t m = 0; m < waitModes; ++m) {
            if (youngTo_ == levels_) {
                young.at(m, lowTop) += static_cast<double>(out[m]);
            } else {
                oldSum_[m] += out[m];
            }
        }
        if (youngTo_ == levels_) {
            young.widen(lowTop, lowTop);
        }
    }
    if (youngTo_ < levels_) {
        const WideVector out = leaving(game - levels_, moved_[levels_]);
        takeAway(oldSum_, out);
        for (std::size_t m = 0; m < waitModes; ++m) {
            old.at(m, lowTop) += static_cast<double>(out[m]);
        }
        old.widen(lowTop, lowTop);
    }
}

void HighWaits::land(std::int32_t game, const ModeVector& landing) {
    landings_[static_cast<std::size_t>(game) % landings_.size()] = landing;
    WideVector& sum = model_.ceilingAge == 0 ? oldSum_ : youngSum_;
    for (std::size_t m = 0; m < waitModes; ++m) {
        sum[m] += landing[m];
    }
    if (game % levels_ == 0) {
        sumAnew(game);
    }
}

// The sums from the landings of the last levels_ games, each moved on to now.
void HighWaits::sumAnew(std::int32_t game) {
    youngSum_ = {};
    oldSum_ = {};
    for (std::int32_t age = 0; age < levels_ && age < game; ++age) {
        const WideVector part = leaving(game - age, moved_[static_cast<std::size_t>(age)]);
        WideVector& sum = age < youngTo_ ? youngSum_ : oldSum_;
        for (std::size_t m = 0; m < waitModes; ++m) {
            sum[m] += part[m];
        }
    }
}

double HighWaits::alive() const {
    double sum = 0.0;
    for (std::size_t m = 0; m < waitModes; ++m) {
        sum += static_cast<double>(youngSum_[m] + oldSum_[m]);
    }
    return sum;
}

}  // namespace korvale
