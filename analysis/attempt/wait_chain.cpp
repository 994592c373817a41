#include "analysis/attempt/wait_chain.h"

#include <algorithm>
#include <array>

namespace korvale {
namespace {

// p[from] + ... + p[to] (0 when from > to), in four sums side by side: strict rounding keeps
// the compiler from splitting one sum, and a single chain of additions waits on each.
double sumRange(const double* p, std::int32_t from, std::int32_t to) {
    std::array<double, 4> part{};
    std::int32_t w = from;
    for (; w + 3 <= to; w += 4) {
        part[0] += p[w];
        part[1] += p[w + 1];
        part[2] += p[w + 2];
        part[3] += p[w + 3];
    }
    for (; w <= to; ++w) {
        part[0] += p[w];
    }
    return (part[0] + part[1]) + (part[2] + part[3]);
}

}  // namespace

WaitChain::WaitChain(const MachineModel& model, WholeGames games, const AttemptStart& start,
                     std::int32_t maxGames)
    : model_(model, games.big, games.reg, maxGames),
      // A REG wait is kept before the first BIG only where it can outlast the BIG end.
      firstWidth_(model_.regEnd > model_.bigEnd + 1 ? static_cast<std::size_t>(model_.regEnd) + 1
                                                    : 1),
      first_(waitModes * firstWidth_, 0.0),
      firstNext_(first_.size(), 0.0),
      firstAge_(std::min(start.gamesSinceBig, model_.ceilingAge)),
      young_(model_.maxWait),
      youngNext_(model_.maxWait),
      old_(model_.maxWait),
      oldNext_(model_.maxWait),
      bigOut_(model_.maxWait),
      landing_(model_.maxWait),
      high_(model_),
      transfers_(model_, maxGames) {
    for (std::size_t m = 0; m < waitModes; ++m) {
        first_[m * firstWidth_] = start.modeLaw[m];
        oldBig_[m] = model_.oldBig;
    }
}

double WaitChain::play(std::int32_t game) {
    double ended = advance(young_, model_.youngBig, youngNext_);
    ended += advance(old_, oldBig_, oldNext_);
    high_.play(game, bigAtEnd_, games, bigs, regs, youngNext_, oldNext_);
    advanceFirst();
    transfers_.moveDue(game, youngNext_, oldNext_);
    ended += land(game);
    std::swap(young_, youngNext_);
    std::swap(old_, oldNext_);
    return ended;
}

double WaitChain::alive() const {
    double sum = young_.total() + old_.total() + high_.alive();
    for (const double p : first_) {
        sum += p;
    }
    return sum;
}

// Plays one game from every state of `from` into `to`, the BIGs into bigAtEnd_ and bigOut_;
// returns the chance that ends. The rows hold the waits up to lowTop only (those above are the
// high waits'), where a REG leaves the REG end to wait for.
double WaitChain::advance(const WaitRows& from, const ModeVector& big, WaitRows& to) {
    if (from.empty()) {
        to.clear();
        return 0.0;
    }
    const std::int32_t lo = from.lo();
    const std::int32_t hi = from.hi();
    // Every mode's games without a bonus are written first, over the waits they reach.
    if (hi >= 2) {
        to.clearOutside(std::max(lo - 1, 1), hi - 1);
    } else {
        to.clear();
    }
    const std::int32_t x = model_.bigEnd;
    const double reg = model_.reg;
    double ended = 0.0;
    ModeVector regged{};
    for (std::size_t m = 0; m < waitModes; ++m) {
        const double* p = from.row(m);
        const double bc = big[m];
        const double stay = 1.0 - bc - reg;
        const double sum = sumRange(p, lo, hi);
        // A BIG lands at the BIG end unless a REG wait outlasts it.
        bigAtEnd_[m] += bc * (hi <= x + 1 ? sum : sumRange(p, lo, x + 1));
        double* out = bigOut_.row(m);
        for (std::int32_t w = std::max(lo, x + 2); w <= hi; ++w) {
            out[w] += p[w] * bc;
        }
        double* stays = to.row(m);
        for (std::int32_t w = std::max(lo, 2); w <= hi; ++w) {
            stays[w - 1] = p[w] * stay;
        }
        if (lo == 1) {
            ended += p[1] * stay;
        }
        regged[m] = sum * reg;
        games += sum;
        bigs += sum * bc;
        regs += sum * reg;
    }
    if (hi >= x + 2) {
        bigOut_.widen(std::max(lo, x + 2), hi);
    }
    for (std::size_t n = 0; n < waitModes; ++n) {
        double into = 0.0;
        for (std::size_t m = 0; m < waitModes; ++m) {
            into += regged[m] * model_.regTo[m][n];
        }
        if (model_.regEnd >= 1) {
            to.at(n, model_.regEnd) += into;
        } else {
            ended += into;
        }
    }
    if (model_.regEnd >= 1) {
        to.widen(model_.regEnd, model_.regEnd);
    }
    return ended;
}

// Before the first BIG the end needs the BIG's game and the BIG end more: a REG wait is kept
// only where it outlasts that.
std::int32_t WaitChain::keptFirst(std::int32_t q) const {
    return q > model_.bigEnd + 1 ? q : 0;
}

// The states before the first BIG: no end is possible yet. A BIG at REG wait q lands where one
// at wait q would. The REG waits kept are 0 and those from the BIG end + 2 up (the others stay
// 0 throughout).
void WaitChain::advanceFirst() {
    const bool ceiling = firstAge_ >= model_.ceilingAge;
    const auto y = static_cast<std::int32_t>(firstWidth_) - 1;
    const std::int32_t kept = model_.bigEnd + 2;  // the least REG wait kept, when y >= it
    ModeVector regFirst{};
    for (std::size_t m = 0; m < waitModes; ++m) {
        const double bc = ceiling ? model_.oldBig : model_.youngBig[m];
        const double stay = 1.0 - bc - model_.reg;
        const double* p = first_.data() + m * firstWidth_;
        double* next = firstNext_.data() + m * firstWidth_;
        const double sum = sumRange(p, 0, y);
        bigAtEnd_[m] += p[0] * bc;
        next[0] = p[0] * stay;
        if (y >= kept) {
            double* out = bigOut_.row(m);
            for (std::int32_t q = kept; q <= y; ++q) {
                out[q] += p[q] * bc;
            }
            next[0] += p[kept] * stay;  // its wait is no longer kept
            for (std::int32_t q = kept + 1; q <= y; ++q) {
                next[q - 1] = p[q] * stay;
            }
            next[y] = 0.0;
        }
        games += sum;
        bigs += sum * bc;
        regs += sum * model_.reg;
        regFirst[m] = sum * model_.reg;
    }
    // The REGs after every mode's games without one are written.
    for (std::size_t m = 0; m < waitModes; ++m) {
        for (std::size_t n = 0; n < waitModes; ++n) {
            firstNext_[n * firstWidth_ + static_cast<std::size_t>(keptFirst(model_.regEnd))] +=
                regFirst[m] * model_.regTo[m][n];
        }
    }
    if (y >= kept) {
        bigOut_.widen(kept, y);
    }
    first_.swap(firstNext_);
    firstAge_ = std::min(firstAge_ + 1, model_.ceilingAge);
}

// This game's BIGs land after it at age 0 (old at once without a ceiling count): a wait w becomes
// the larger of w - 1 and the BIG end, 0 ending the attempt. Returns the chance that ends.
double WaitChain::land(std::int32_t game) {
    const std::int32_t x = model_.bigEnd;
    double ended = 0.0;
    // A REG wait that outlasts the BIG end goes on after the BIG.
    for (std::size_t m = 0; m < waitModes && !bigOut_.empty(); ++m) {
        const double* out = bigOut_.row(m);
        for (std::size_t n = 0; n < waitModes; ++n) {
            const double c = model_.bigTo[m][n];
            if (c == 0.0) {
                continue;
            }
            double* into = landing_.row(n);
            for (std::int32_t w = bigOut_.lo(); w <= bigOut_.hi(); ++w) {
                into[w - 1] += c * out[w];
            }
        }
    }
    if (!bigOut_.empty()) {
        landing_.widen(bigOut_.lo() - 1, bigOut_.hi() - 1);
    }
    for (std::size_t n = 0; n < waitModes; ++n) {
        double into = 0.0;
        for (std::size_t m = 0; m < waitModes; ++m) {
            into += bigAtEnd_[m] * model_.bigTo[m][n];
        }
        if (x == 0) {
            ended += into;
        } else {
            landing_.at(n, x) += into;
        }
    }
    if (x > 0) {
        landing_.widen(x, x);
    }
    bigAtEnd_ = ModeVector{};
    bigOut_.clear();
    if (high_.any()) {
        // Every landing is at the BIG end, above lowTop.
        ModeVector atEnd{};
        for (std::size_t m = 0; m < waitModes; ++m) {
            atEnd[m] = landing_.at(m, x);
        }
        high_.land(game, atEnd);
    } else {
        WaitRows& into = model_.ceilingAge == 0 ? oldNext_ : youngNext_;
        for (std::size_t m = 0; m < waitModes && !landing_.empty(); ++m) {
            const double* p = landing_.row(m);
            double* q = into.row(m);
            for (std::int32_t w = landing_.lo(); w <= landing_.hi(); ++w) {
                q[w] += p[w];
            }
        }
        if (!landing_.empty()) {
            into.widen(landing_.lo(), landing_.hi());
        }
    }
    transfers_.land(game, landing_);
    landing_.clear();
    return ended;
}

}  // namespace korvale
