#include "analysis/attempt/wait_model.h"

#include <numeric>

namespace korvale {
namespace {

// The next mode's chances after a bonus in mode m; a row of zeros keeps the mode.
ModeVector nextModes(const ModeVector& row, std::size_t m) {
    if (std::all_of(row.begin(), row.end(), [](double w) { return w == 0.0; })) {
        ModeVector keep{};
        keep[m] = 1.0;
        return keep;
    }
    return row;
}

}  // namespace

WaitModel::WaitModel(const MachineModel& model, std::int32_t bigEndGames, std::int32_t regEndGames,
                     std::int32_t maxGames)
    : bigEnd(std::min(bigEndGames, maxGames)),
      regEnd(std::min(regEndGames, maxGames)),
      ceilingAge(std::max(model.ceilingGame - 1, 0)),
      maxWait(std::max({bigEnd, regEnd, 1})),
      reg(model.regProbability),
      oldBig(model.ceilingBigProbability),
      oldStay(1.0 - model.ceilingBigProbability - model.regProbability) {
    for (std::size_t m = 0; m < waitModes; ++m) {
        youngBig[m] = model.bigProbability[m];
        youngStay[m] = 1.0 - model.bigProbability[m] - model.regProbability;
        regTo[m] = nextModes(model.regNextMode[m], m);
        bigTo[m] = nextModes(model.bigNextMode[m], m);
        std::vector<double>& power = youngStayPower[m];
        for (std::size_t n = 0; n < waitModes; ++n) {
            afterBig[n] = afterBig[n] || bigTo[m][n] > 0.0;
        }
        power.assign(static_cast<std::size_t>(ceilingAge) + 1, 1.0);
        for (std::size_t k = 1; k < power.size(); ++k) {
            power[k] = power[k - 1] * youngStay[m];
        }
    }
    for (std::size_t round = 0; round < waitModes; ++round) {
        for (std::size_t m = 0; m < waitModes; ++m) {
            for (std::size_t n = 0; n < waitModes; ++n) {
                afterBig[n] = afterBig[n] || (afterBig[m] && regTo[m][n] > 0.0);
            }
        }
    }
}

void WaitRows::clear() {
    if (empty()) {
        return;
    }
    for (std::size_t m = 0; m < waitModes; ++m) {
        std::fill(row(m) + lo_, row(m) + hi_ + 1, 0.0);
    }
    lo_ = 1 << 30;
    hi_ = -1;
}

void WaitRows::clearOutside(std::int32_t from, std::int32_t to) {
    for (std::size_t m = 0; m < waitModes && !empty(); ++m) {
        double* cells = row(m);
        for (std::int32_t w = lo_; w <= std::min(hi_, from - 1); ++w) {
            cells[w] = 0.0;
        }
        for (std::int32_t w = std::max(lo_, to + 1); w <= hi_; ++w) {
            cells[w] = 0.0;
        }
    }
    lo_ = from;
    hi_ = to;
}

double WaitRows::total() const {
    double sum = 0.0;
    for (std::size_t m = 0; m < waitModes && !empty(); ++m) {
        sum = std::accumulate(row(m) + lo_, row(m) + hi_ + 1, sum);
    }
    return sum;
}

}  // namespace korvale
