#include "analysis/inference/setting_filter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "analysis/inference/log_weights.h"
#include "analysis/long_run/long_run.h"

namespace korvale {
namespace {

// A bonus's step total below this is worked out again in logs (see addKnown).
constexpr double smallestFastTotal = 1e-100;
// scale_ is folded into the log below this, so that a step total cannot take it below 1e-250.
constexpr double smallestScale = 1e-150;

// A stretch of games after `sinceBig` games since the last BIG: its quiet games before the
// ceiling and under it, and the bonus it may end with.
struct Stretch {
    std::int64_t quietBefore = 0;
    std::int64_t quietUnder = 0;
    bool endsWithBonus = false;
    BonusKind kind = BonusKind::Big;
    bool bonusUnderCeiling = false;
};

Stretch stretchOf(std::int64_t sinceBig, std::int64_t games, bool endsWithBonus, BonusKind kind,
                  std::int32_t ceilingGame) {
    const std::int64_t quiet = endsWithBonus ? games - 1 : games;
    const std::int64_t room = std::max<std::int64_t>(0, ceilingGame - 1 - sinceBig);
    Stretch stretch;
    stretch.quietBefore = std::min(quiet, room);
    stretch.quietUnder = quiet - stretch.quietBefore;
    stretch.endsWithBonus = endsWithBonus;
    stretch.kind = kind;
    stretch.bonusUnderCeiling = sinceBig + games >= ceilingGame;
    return stretch;
}

// The log of the stretch's chance in mode m at setting s.
double logStretchChance(const FilterTables& t, const Stretch& stretch, std::size_t m,
                        std::size_t s) {
    double value = timesLog(stretch.quietBefore, t.logQuiet[m][s]) +
                   timesLog(stretch.quietUnder, t.logCeilingQuiet[s]);
    if (stretch.endsWithBonus) {
        value += stretch.kind == BonusKind::Reg ? t.logReg[s]
                 : stretch.bonusUnderCeiling    ? t.logCeilingBig[s]
                                                : t.logBig[m][s];
    }
    return value;
}

// Weighs setting s's law of the mode by the stretch's chance, in logs: returns the log of the
// total (-inf when the stretch is impossible) and leaves the weights, divided by the total, in
// `weights`.
double weighInLogs(const FilterTables& t, const Stretch& stretch, std::size_t s,
                   const ModeSettingMatrix& law, ModeVector& weights) {
    ModeVector logs;
    for (std::size_t m = 0; m < modeCount; ++m) {
        logs[m] =
            law[m][s] > 0.0 ? std::log(law[m][s]) + logStretchChance(t, stretch, m, s) : -INFINITY;
    }
    return chancesOfLogWeights(logs, weights);
}

}  // namespace

std::array<ModeVector, settingCount> FilteredState::modeLaw() const {
    std::array<ModeVector, settingCount> modes{};
    for (const ModeSettingMatrix& entry : law) {
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                modes[s][m] += entry[m][s];
            }
        }
    }
    return modes;
}

SettingFilter::SettingFilter(HistoryStart start) : SettingFilter(machineModels(), start) {}

SettingFilter::SettingFilter(const SettingModels& models, HistoryStart start)
    : models_(std::make_shared<const SettingModels>(models)),
      tables_(std::make_shared<const FilterTables>(models)),
      start_(start) {
    scale_.fill(1.0);
    if (start == HistoryStart::Morning) {
        modeLaw_[0].fill(1.0);
        return;
    }
    sinceBigKnown_ = false;
    jointLaw_.resize(static_cast<std::size_t>(tables_->ceilingGame));
    for (std::size_t s = 0; s < settingCount; ++s) {
        const std::vector<ModeVector> law = longRunGameStateLaw(models[s]);
        for (std::size_t k = 0; k < law.size(); ++k) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                jointLaw_[k][m][s] = law[k][m];
            }
        }
    }
}

void SettingFilter::addBonus(BonusKind kind, std::int32_t games) {
    if (games < 1) {
        throw std::invalid_argument("a bonus comes at least 1 game after the previous one");
    }
    if (sinceBigKnown_) {
        addKnown(kind, games);
    } else {
        addBeforeFirstBig(kind, games);
    }
    games_ += games;
    ++(kind == BonusKind::Big ? bigs_ : regs_);
}

// The usual step, once the games since the last BIG are known. Between two bonuses the mode
// stays, so the stretch's chance in mode m is a run of quiet games and then the bonus: the
// factors that every mode shares go into the log, the rest (the run relative to the reference
// mode, the BIG chance of the mode) weigh the law, which the lottery then moves.
void SettingFilter::addKnown(BonusKind kind, std::int32_t games) {
    const FilterTables& t = *tables_;
    const Stretch stretch = stretchOf(sinceBig_, games, true, kind, t.ceilingGame);
    const ModeSettingMatrix& run =
        t.quietRunRelative[static_cast<std::size_t>(stretch.quietBefore)];
    ModeSettingMatrix weighted;
    SettingVector total{};
    if (kind == BonusKind::Big && !stretch.bonusUnderCeiling) {
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                weighted[m][s] = modeLaw_[m][s] * run[m][s] * t.big[m][s];
                total[s] += weighted[m][s];
            }
        }
    } else {
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                weighted[m][s] = modeLaw_[m][s] * run[m][s];
                total[s] += weighted[m][s];
            }
        }
    }
    const SettingVector& bonusLog = kind == BonusKind::Reg      ? t.logReg
                                    : stretch.bonusUnderCeiling ? t.logCeilingBig
                                                                : SettingVector{};
    SettingVector shared;
    for (std::size_t s = 0; s < settingCount; ++s) {
        shared[s] = timesLog(stretch.quietBefore, t.logReferenceQuiet[s]) +
                    timesLog(stretch.quietUnder, t.logCeilingQuiet[s]) + bonusLog[s];
    }
    // With the machine's tables the total never falls below about 1e-8; a law whose mass lies
    // only in modes far below the reference (only other models than the machine's get there) is
    // weighed in logs instead.
    for (std::size_t s = 0; s < settingCount; ++s) {
        if (!(total[s] >= smallestFastTotal)) [[unlikely]] {
            ModeVector weights;
            shared[s] = weighInLogs(t, stretch, s, modeLaw_, weights);
            for (std::size_t m = 0; m < modeCount; ++m) {
                weighted[m][s] = weights[m];
            }
            total[s] = 1.0;
        }
    }
    const auto& next = t.next[FilterTables::kindIndex(kind)];
    ModeSettingMatrix moved{};
    for (std::size_t from = 0; from < modeCount; ++from) {
        for (std::size_t to = 0; to < modeCount; ++to) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                moved[to][s] += weighted[from][s] * next[from][to][s];
            }
        }
    }
    bool fold = false;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const double inverse = 1.0 / total[s];
        for (std::size_t m = 0; m < modeCount; ++m) {
            modeLaw_[m][s] = moved[m][s] * inverse;
        }
        logScale_[s] += shared[s];
        scale_[s] *= total[s];
        fold |= scale_[s] < smallestScale;
    }
    if (fold) [[unlikely]] {
        foldScale();
    }
    sinceBig_ = kind == BonusKind::Big
                    ? 0
                    : static_cast<std::int32_t>(std::min<std::int64_t>(
                          static_cast<std::int64_t>(sinceBig_) + games, t.ceilingGame - 1));
}

void SettingFilter::foldScale() {
    for (std::size_t s = 0; s < settingCount; ++s) {
        logScale_[s] += std::log(scale_[s]);
        scale_[s] = 1.0;
    }
}

// Joined during the day, before the first BIG: the law covers the games since the last BIG
// too. Each of them gives the stretch its own split at the ceiling; a REG moves the mode and
// shifts the games, a BIG makes them known (0) and ends this phase.
void SettingFilter::addBeforeFirstBig(BonusKind kind, std::int32_t games) {
    const FilterTables& t = *tables_;
    const std::size_t last = static_cast<std::size_t>(t.ceilingGame - 1);
    std::vector<ModeSettingMatrix> logWeights(jointLaw_.size());
    SettingVector top;
    top.fill(-INFINITY);
    for (std::size_t k = 0; k < jointLaw_.size(); ++k) {
        const Stretch stretch =
            stretchOf(static_cast<std::int64_t>(k), games, true, kind, t.ceilingGame);
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                const double mass = jointLaw_[k][m][s];
                const double value =
                    mass > 0.0 ? std::log(mass) + logStretchChance(t, stretch, m, s) : -INFINITY;
                logWeights[k][m][s] = value;
                top[s] = std::max(top[s], value);
            }
        }
    }
    const auto& next = t.next[FilterTables::kindIndex(kind)];
    std::vector<ModeSettingMatrix> shifted(kind == BonusKind::Reg ? jointLaw_.size() : 1);
    SettingVector total{};
    for (std::size_t k = 0; k < jointLaw_.size(); ++k) {
        ModeSettingMatrix& target =
            kind == BonusKind::Reg
                ? shifted[static_cast<std::size_t>(std::min<std::int64_t>(
                      static_cast<std::int64_t>(k) + games, static_cast<std::int64_t>(last)))]
                : shifted[0];
        for (std::size_t from = 0; from < modeCount; ++from) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                const double weight =
                    top[s] == -INFINITY ? 0.0 : std::exp(logWeights[k][from][s] - top[s]);
                total[s] += weight;
                for (std::size_t to = 0; to < modeCount; ++to) {
                    target[to][s] += weight * next[from][to][s];
                }
            }
        }
    }
    for (std::size_t s = 0; s < settingCount; ++s) {
        logScale_[s] += top[s] == -INFINITY ? -INFINITY : top[s] + std::log(total[s]);
        const double inverse = total[s] > 0.0 ? 1.0 / total[s] : 0.0;
        for (ModeSettingMatrix& entry : shifted) {
            for (std::size_t m = 0; m < modeCount; ++m) {
                entry[m][s] *= inverse;
            }
        }
    }
    if (kind == BonusKind::Reg) {
        jointLaw_ = std::move(shifted);
        return;
    }
    modeLaw_ = shifted[0];
    sinceBig_ = 0;
    sinceBigKnown_ = true;
    jointLaw_.clear();
    jointLaw_.shrink_to_fit();
}

FilteredState SettingFilter::state(std::int32_t trailingGames) const {
    if (trailingGames < 0) {
        throw std::invalid_argument("trailing games cannot be negative");
    }
    const FilterTables& t = *tables_;
    const std::int64_t last = t.ceilingGame - 1;
    FilteredState result;
    if (sinceBigKnown_) {
        const Stretch stretch =
            stretchOf(sinceBig_, trailingGames, false, BonusKind::Big, t.ceilingGame);
        result.sinceBig = {static_cast<std::int32_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(sinceBig_) + trailingGames, last))};
        result.law.resize(1);
        for (std::size_t s = 0; s < settingCount; ++s) {
            ModeVector weights;
            const double logTotal = weighInLogs(t, stretch, s, modeLaw_, weights);
            result.logLikelihood[s] = logScale_[s] + std::log(scale_[s]) + logTotal;
            for (std::size_t m = 0; m < modeCount; ++m) {
                result.law[0][m][s] = weights[m];
            }
        }
        return result;
    }
    // Entries k and k + trailing: the last one gathers every entry that reaches it.
    std::vector<ModeSettingMatrix> logWeights(jointLaw_.size());
    SettingVector top;
    top.fill(-INFINITY);
    for (std::size_t k = 0; k < jointLaw_.size(); ++k) {
        const Stretch stretch = stretchOf(static_cast<std::int64_t>(k), trailingGames, false,
                                          BonusKind::Big, t.ceilingGame);
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                const double mass = jointLaw_[k][m][s];
                logWeights[k][m][s] =
                    mass > 0.0 ? std::log(mass) + logStretchChance(t, stretch, m, s) : -INFINITY;
                top[s] = std::max(top[s], logWeights[k][m][s]);
            }
        }
    }
    std::vector<ModeSettingMatrix> dense(jointLaw_.size());
    SettingVector total{};
    for (std::size_t k = 0; k < jointLaw_.size(); ++k) {
        const auto to = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(k) + trailingGames, last));
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                const double weight =
                    top[s] == -INFINITY ? 0.0 : std::exp(logWeights[k][m][s] - top[s]);
                dense[to][m][s] += weight;
                total[s] += weight;
            }
        }
    }
    for (std::size_t s = 0; s < settingCount; ++s) {
        result.logLikelihood[s] =
            top[s] == -INFINITY ? -INFINITY : logScale_[s] + top[s] + std::log(total[s]);
    }
    for (std::size_t k = 0; k < dense.size(); ++k) {
        bool any = false;
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                dense[k][m][s] = total[s] > 0.0 ? dense[k][m][s] / total[s] : 0.0;
                any |= dense[k][m][s] > 0.0;
            }
        }
        if (any) {
            result.sinceBig.push_back(static_cast<std::int32_t>(k));
            result.law.push_back(dense[k]);
        }
    }
    return result;
}

}  // namespace korvale
