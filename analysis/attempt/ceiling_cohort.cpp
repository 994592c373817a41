#include "analysis/attempt/ceiling_cohort.h"

#include <algorithm>

namespace korvale {
namespace {

using std::size_t;

}  // namespace

CeilingCohort::CeilingCohort(const WaitModel& model)
    : model_(model),
      ceiling_(static_cast<size_t>(model.ceilingAge)),
      lowTop_(static_cast<size_t>(model.lowTop())),
      window_(static_cast<size_t>(model.regEnd)),
      highAge_(model.bigEnd > model.lowTop() ? static_cast<size_t>(model.bigEnd - model.lowTop())
                                             : 0),
      low_(lowTop_ + 1),
      suffix_(lowTop_ + 2),
      resets_(ceiling_ + 1),
      suffixWindow_(std::min(window_, ceiling_) + 1) {
    for (size_t from = 0; from < waitModes; ++from) {
        for (size_t to = 0; to < waitModes; ++to) {
            regMix_[from][to] = model.reg * model.regTo[from][to];
            if (model.afterBig[from] && regMix_[from][to] != 0.0) {
                regMoves_.push_back({from, to, regMix_[from][to]});
            }
        }
        if (model.afterBig[from]) {
            modes_.push_back(from);
        }
    }
}

void CeilingCohort::run(std::span<const WaitRows* const> landings,
                        std::span<WaitRows* const> remainders) {
    load(landings);
    play();
    write(remainders);
}

void CeilingCohort::load(std::span<const WaitRows* const> landings) {
    const ModeLanes zero{};
    for (size_t w = lowFrom_; w <= lowTo_; ++w) {
        low_[w] = zero;
    }
    lowFrom_ = lowTop_ + 1;
    lowTo_ = 0;
    high_ = zero;
    descent_ = zero;
    prefix_ = zero;
    windowSum_ = zero;
    for (size_t lane = 0; lane < landings.size(); ++lane) {
        const WaitRows& landing = *landings[lane];
        for (size_t m = 0; m < waitModes && !landing.empty(); ++m) {
            for (std::int32_t w = std::max(landing.lo(), 1); w <= landing.hi(); ++w) {
                const double p = landing.row(m)[w];
                if (static_cast<size_t>(w) > lowTop_) {
                    high_[m][lane] += p;  // at the BIG end: the only landing above lowTop
                } else if (p != 0.0) {
                    low_[static_cast<size_t>(w)][m][lane] += p;
                    lowFrom_ = std::min(lowFrom_, static_cast<size_t>(w));
                    lowTo_ = std::max(lowTo_, static_cast<size_t>(w));
                }
            }
        }
    }
    suffix_[lowTo_ + 1] = zero;
    for (size_t w = lowTo_; w >= lowFrom_; --w) {
        for (size_t m = 0; m < waitModes; ++m) {
            suffix_[w][m] = suffix_[w + 1][m] + low_[w][m];
        }
    }
}

void CeilingCohort::play() {
    for (size_t age = 0; age < ceiling_; ++age) {
        // Every chance in the low waits by mode before the game at this age: the resets of the
        // window, the landings whose wait has not run out, and the high landing come down.
        ModeLanes low = windowSum_;
        for (const size_t m : modes_) {
            const std::vector<double>& power = model_.youngStayPower[m];
            if (age + 1 <= lowTo_) {
                low[m] += power[age] * suffix_[std::max(age + 1, lowFrom_)][m];
            }
            if (highAge_ > 0 && age >= highAge_ && age - highAge_ < lowTop_) {
                low[m] += descent_[m] * power[age - highAge_];
            }
        }
        if (window_ >= 1) {
            ModeLanes& reset = resets_[age + 1];
            reset = ModeLanes{};
            for (const Move& move : regMoves_) {
                reset[move.to] += move.chance * low[move.from];
            }
        }
        if (age < highAge_) {
            // Above lowTop a REG only changes the mode.
            ModeLanes next{};
            for (size_t from = 0; from < waitModes; ++from) {
                next[from] += model_.youngStay[from] * high_[from];
                for (size_t to = 0; to < waitModes; ++to) {
                    next[to] += regMix_[from][to] * high_[from];
                }
            }
            high_ = next;
            if (age + 1 == highAge_) {
                descent_ = high_;
            }
        }
        if (window_ >= 1) {
            slideWindow(age + 1);
        }
    }
}

void CeilingCohort::slideWindow(size_t k) {
    const size_t y = window_;
    const size_t blockStart = (k - 1) / y * y + 1;
    if (k == blockStart && blockStart > 1) {
        // The previous block's resets, each carried to its last age, summed from each to it.
        const size_t first = blockStart - y;
        const size_t last = blockStart - 1;
        suffixWindow_[last - first] = resets_[last];
        for (size_t i = last - 1; i + 1 > first; --i) {
            for (const size_t m : modes_) {
                suffixWindow_[i - first][m] = suffixWindow_[i + 1 - first][m] +
                                              resets_[i][m] * model_.youngStayPower[m][last - i];
            }
        }
    }
    for (const size_t m : modes_) {
        prefix_[m] =
            k == blockStart ? resets_[k][m] : model_.youngStay[m] * prefix_[m] + resets_[k][m];
        windowSum_[m] = prefix_[m];
        // The part of the window in the previous block: from age k - y + 1 to its end.
        if (blockStart > 1 && k + 1 < blockStart + y) {
            const size_t from = k + 1 - y;
            windowSum_[m] += model_.youngStayPower[m][k - blockStart + 1] *
                             suffixWindow_[from - (blockStart - y)][m];
        }
    }
}

void CeilingCohort::write(std::span<WaitRows* const> remainders) const {
    const size_t age = ceiling_;
    for (size_t lane = 0; lane < remainders.size(); ++lane) {
        WaitRows& out = *remainders[lane];
        out.clear();
        for (size_t m = 0; m < waitModes; ++m) {
            const std::vector<double>& power = model_.youngStayPower[m];
            double* row = out.row(m);
            // A reset at age k is at wait y - (age - k) now, if that is still a wait.
            for (size_t k = age + 1 > window_ ? age + 1 - window_ : 1; k <= age && window_ >= 1;
                 ++k) {
                row[window_ - (age - k)] += resets_[k][m][lane] * power[age - k];
            }
            for (size_t w = std::max(age + 1, lowFrom_); w <= lowTo_; ++w) {
                row[w - age] += low_[w][m][lane] * power[age];
            }
            if (highAge_ > 0 && age >= highAge_ && age - highAge_ < lowTop_) {
                row[lowTop_ - (age - highAge_)] += descent_[m][lane] * power[age - highAge_];
            }
        }
        out.widen(1, static_cast<std::int32_t>(lowTop_));
    }
}

}  // namespace korvale
