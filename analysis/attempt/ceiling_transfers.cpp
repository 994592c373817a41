#include "analysis/attempt/ceiling_transfers.h"

#include <algorithm>
#include <array>

namespace korvale {

CeilingTransfers::CeilingTransfers(const WaitModel& model, std::int32_t maxGames)
    : model_(model),
      lastLanding_(model.ceilingAge > 0 ? maxGames - model.ceilingAge : 0),
      byMode_(model.regEnd <= model.bigEnd + 1),
      cohort_(model),
      due_(model.maxWait) {
    if (byMode_ && model.bigEnd == 0) {
        lastLanding_ = 0;  // every BIG ends the attempt: nothing lands
    }
    if (lastLanding_ < 1) {
        return;
    }
    const std::size_t slots = static_cast<std::size_t>(std::min(lastLanding_, model.ceilingAge));
    if (byMode_) {
        // One landing a mode at the BIG end, all followed at once.
        std::vector<WaitRows> units(waitModes, WaitRows(model.maxWait));
        perMode_.assign(waitModes, WaitRows(model.maxWait));
        std::array<const WaitRows*, waitModes> in{};
        std::array<WaitRows*, waitModes> out{};
        for (std::size_t m = 0; m < waitModes; ++m) {
            units[m].at(m, model.bigEnd) = 1.0;
            units[m].widen(model.bigEnd, model.bigEnd);
            in[m] = &units[m];
            out[m] = &perMode_[m];
        }
        static_assert(waitModes <= CeilingCohort::lanes);
        cohort_.run(in, out);
        modeLandings_.assign(slots, ModeVector{});
    } else {
        remainders_.assign(slots, WaitRows(model.maxWait));
        pending_.assign(CeilingCohort::lanes, WaitRows(model.maxWait));
    }
}

std::size_t CeilingTransfers::slot(std::int32_t game) const {
    const std::size_t slots = byMode_ ? modeLandings_.size() : remainders_.size();
    return static_cast<std::size_t>(game - 1) % slots;
}

void CeilingTransfers::land(std::int32_t game, const WaitRows& landing) {
    if (game > lastLanding_) {
        return;
    }
    if (byMode_) {
        ModeVector& byMode = modeLandings_[slot(game)];
        for (std::size_t m = 0; m < waitModes; ++m) {
            byMode[m] = landing.empty() ? 0.0 : landing.row(m)[model_.bigEnd];
        }
        return;
    }
    if (pendingCount_ == 0) {
        pendingFirst_ = game;
    }
    WaitRows& copy = pending_[pendingCount_++];
    copy.clear();
    for (std::size_t m = 0; m < waitModes && !landing.empty(); ++m) {
        std::copy(landing.row(m) + landing.lo(), landing.row(m) + landing.hi() + 1,
                  copy.row(m) + landing.lo());
    }
    if (!landing.empty()) {
        copy.widen(landing.lo(), landing.hi());
    }
    if (pendingCount_ == pending_.size()) {
        runPending();
    }
}

void CeilingTransfers::runPending() {
    std::array<const WaitRows*, CeilingCohort::lanes> in{};
    std::array<WaitRows*, CeilingCohort::lanes> out{};
    for (std::size_t i = 0; i < pendingCount_; ++i) {
        in[i] = &pending_[i];
        out[i] = &remainders_[slot(pendingFirst_ + static_cast<std::int32_t>(i))];
    }
    cohort_.run(std::span(in.data(), pendingCount_), std::span(out.data(), pendingCount_));
    pendingCount_ = 0;
}

void CeilingTransfers::moveDue(std::int32_t game, WaitRows& young, WaitRows& old) {
    const std::int32_t landed = game - model_.ceilingAge;
    if (landed < 1 || landed > lastLanding_) {
        return;
    }
    const WaitRows* remainder = nullptr;
    if (byMode_) {
        remainder = &scaledRemainder(modeLandings_[slot(landed)]);
    } else {
        if (pendingCount_ > 0 && landed >= pendingFirst_) {
            runPending();
        }
        remainder = &remainders_[slot(landed)];
    }
    if (remainder->empty()) {
        return;
    }
    // Rounding may leave the young chance a hair below what moves: it is none.
    for (std::size_t m = 0; m < waitModes; ++m) {
        const double* move = remainder->row(m);
        double* from = young.row(m);
        double* to = old.row(m);
        for (std::int32_t w = remainder->lo(); w <= remainder->hi(); ++w) {
            from[w] = std::max(from[w] - move[w], 0.0);
            to[w] += move[w];
        }
    }
    old.widen(remainder->lo(), remainder->hi());
}

// What a landing of these chances by mode at the BIG end leaves: the modes' remainders scaled.
const WaitRows& CeilingTransfers::scaledRemainder(const ModeVector& byMode) {
    std::int32_t lo = model_.maxWait + 1;
    std::int32_t hi = 0;
    for (std::size_t from = 0; from < waitModes; ++from) {
        if (byMode[from] != 0.0 && !perMode_[from].empty()) {
            lo = std::min(lo, perMode_[from].lo());
            hi = std::max(hi, perMode_[from].hi());
        }
    }
    if (lo > hi) {
        due_.clear();
        return due_;
    }
    due_.clearOutside(lo, hi);
    for (std::size_t m = 0; m < waitModes; ++m) {
        double* row = due_.row(m);
        std::fill(row + lo, row + hi + 1, 0.0);
        for (std::size_t from = 0; from < waitModes; ++from) {
            const WaitRows& unit = perMode_[from];
            if (byMode[from] == 0.0 || unit.empty()) {
                continue;
            }
            const double* add = unit.row(m);
            for (std::int32_t w = unit.lo(); w <= unit.hi(); ++w) {
                row[w] += byMode[from] * add[w];
            }
        }
    }
    return due_;
}

}  // namespace korvale
