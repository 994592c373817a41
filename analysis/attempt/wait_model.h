#pragma once

// What the capped attempt's forward pass knows of a rule. A state of the pass is the mode and
// the wait: the games the end rule still needs before it can hold after a game, at least 1 while
// the attempt goes on (the BIG end less the games since the last BIG, or the games the REG end
// still waits for if more). A game takes the wait w to w - 1 (0: the attempt ends), a REG to the
// larger of w - 1 and the REG end, a BIG to the larger of w - 1 and the BIG end. The games since
// the last BIG matter only for the ceiling, so the pass keeps the states before it (young) apart
// from those under it (old), and nothing more of those games.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/model/machine_model.h"

namespace korvale {

inline constexpr std::size_t waitModes = modeCount;

struct WaitModel {
    // bigEnd and regEnd in whole games, at most the game limit: a wait beyond the limit ends
    // nothing, whatever its length.
    WaitModel(const MachineModel& model, std::int32_t bigEnd, std::int32_t regEnd,
              std::int32_t maxGames);

    std::int32_t bigEnd;
    std::int32_t regEnd;
    // The games since the last BIG from which every game plays at the ceiling's chance.
    std::int32_t ceilingAge;
    std::int32_t maxWait;  // the longest wait: the larger end, at least 1
    double reg;
    ModeVector youngBig{};
    ModeVector youngStay{};  // neither bonus, before the ceiling
    double oldBig;
    double oldStay;
    std::array<ModeVector, waitModes> regTo{};
    std::array<ModeVector, waitModes> bigTo{};
    // youngStay[m]^k for k = 0 .. ceilingAge.
    std::array<std::vector<double>, waitModes> youngStayPower;
    // The modes a state after a BIG can be in: those a BIG leads to, and where REGs take them.
    std::array<bool, waitModes> afterBig{};

    // The waits at most this take a REG to the REG end; above it a REG only changes the mode.
    std::int32_t lowTop() const { return std::min(regEnd + 1, maxWait); }
    // Where a BIG from wait w lands (0: the attempt ends).
    std::int32_t landing(std::int32_t w) const { return std::max(bigEnd, w - 1); }
};

// Chances by mode and wait (0 .. maxWait), with the waits that may hold any: lo .. hi, empty
// while lo > hi.
class WaitRows {
  public:
    explicit WaitRows(std::int32_t maxWait)
        : width_(static_cast<std::size_t>(maxWait) + 1), cells_(waitModes * width_, 0.0) {}

    double* row(std::size_t mode) { return cells_.data() + mode * width_; }
    const double* row(std::size_t mode) const { return cells_.data() + mode * width_; }
    double& at(std::size_t mode, std::int32_t wait) {
        return row(mode)[static_cast<std::size_t>(wait)];
    }

    std::int32_t lo() const { return lo_; }
    std::int32_t hi() const { return hi_; }
    bool empty() const { return lo_ > hi_; }
    // Lets waits from .. to hold chances.
    void widen(std::int32_t from, std::int32_t to) {
        lo_ = std::min(lo_, from);
        hi_ = std::max(hi_, to);
    }
    // Sets the waits that may hold chances to 0.
    void clear();
    // Sets those outside from .. to to 0, leaving from .. to to be written whole, every mode.
    void clearOutside(std::int32_t from, std::int32_t to);
    double total() const;

  private:
    std::size_t width_;
    std::vector<double> cells_;
    std::int32_t lo_ = 1 << 30;
    std::int32_t hi_ = -1;
};

}  // namespace korvale
