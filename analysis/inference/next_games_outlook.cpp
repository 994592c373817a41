#include "analysis/inference/next_games_outlook.h"

#include <algorithm>
#include <stdexcept>

namespace korvale {
namespace {

// One backward step: the values with n games left from those with n - 1 left, at the counts
// given. A game begun k games after the last BIG is game k + 1 toward the ceiling; a BIG
// restarts the count, a REG or a quiet game moves it on.
struct BackwardStep {
    const FilterTables& t;
    SettingVector reg{};
    SettingVector ceilingBig{};
    ModeSettingMatrix bigThen{};  // 1 + the value of the state a BIG in this mode leads to

    ModeSettingMatrix value(std::size_t k, const ModeSettingMatrix& later) const {
        const bool ceiling = static_cast<std::int32_t>(k + 1) >= t.ceilingGame;
        const auto& regNext = t.next[FilterTables::kindIndex(BonusKind::Reg)];
        ModeSettingMatrix result;
        for (std::size_t m = 0; m < modeCount; ++m) {
            SettingVector moved{};
            for (std::size_t to = 0; to < modeCount; ++to) {
                for (std::size_t s = 0; s < settingCount; ++s) {
                    moved[s] += regNext[m][to][s] * later[to][s];
                }
            }
            for (std::size_t s = 0; s < settingCount; ++s) {
                const double big = ceiling ? ceilingBig[s] : t.big[m][s];
                result[m][s] =
                    big * bigThen[m][s] + reg[s] * moved[s] + (1.0 - reg[s] - big) * later[m][s];
            }
        }
        return result;
    }
};

}  // namespace

// With n games left, a state k games after the last BIG cannot reach the ceiling before its
// next BIG when k + n <= ceilingGame - 1, and after that BIG the count starts again from 0
// whatever k was: so all those states have the value of k = 0, and each step needs only k = 0
// and the counts from ceilingGame - n on.
NextGamesOutlook::NextGamesOutlook(const SettingModels& models, std::int32_t games)
    : games_(games), models_(models) {
    if (games < 0) {
        throw std::invalid_argument("the outlook needs a count of games of at least 0");
    }
    const FilterTables t(models);
    const auto size = static_cast<std::size_t>(t.ceilingGame);
    BackwardStep step{t};
    for (std::size_t s = 0; s < settingCount; ++s) {
        step.reg[s] = models[s].regProbability;
        step.ceilingBig[s] = models[s].ceilingBigProbability;
    }
    std::vector<ModeSettingMatrix> values(size);
    std::vector<ModeSettingMatrix> previous(size);
    std::size_t flatUpTo = size - 1;  // entries 0..flatUpTo all equal entry 0
    const auto& bigNext = t.next[FilterTables::kindIndex(BonusKind::Big)];
    for (std::int32_t n = 1; n <= games; ++n) {
        std::swap(values, previous);
        const auto at = [&](std::size_t k) -> const ModeSettingMatrix& {
            return previous[k <= flatUpTo ? 0 : k];
        };
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                double moved = 0.0;
                for (std::size_t to = 0; to < modeCount; ++to) {
                    moved += bigNext[m][to][s] * previous[0][to][s];
                }
                step.bigThen[m][s] = 1.0 + moved;
            }
        }
        const std::size_t newFlat = flatUpTo == 0 ? 0 : flatUpTo - 1;
        values[0] = step.value(0, at(std::min<std::size_t>(1, size - 1)));
        for (std::size_t k = std::max<std::size_t>(1, newFlat + 1); k < size; ++k) {
            values[k] = step.value(k, at(std::min(k + 1, size - 1)));
        }
        flatUpTo = newFlat;
    }
    bigs_.resize(size);
    for (std::size_t k = 0; k < size; ++k) {
        bigs_[k] = values[k <= flatUpTo ? 0 : k];
    }
}

double NextGamesOutlook::expectedBigs(std::size_t setting, std::int32_t sinceBig,
                                      std::size_t mode) const {
    return bigs_.at(static_cast<std::size_t>(sinceBig))[mode][setting];
}

SettingVector NextGamesOutlook::expectedBigs(const FilteredState& state) const {
    SettingVector bigs{};
    for (std::size_t i = 0; i < state.law.size(); ++i) {
        const ModeSettingMatrix& values = bigs_.at(static_cast<std::size_t>(state.sinceBig[i]));
        for (std::size_t m = 0; m < modeCount; ++m) {
            for (std::size_t s = 0; s < settingCount; ++s) {
                bigs[s] += state.law[i][m][s] * values[m][s];
            }
        }
    }
    return bigs;
}

SettingVector NextGamesOutlook::expectedNet(const FilteredState& state) const {
    const SettingVector bigs = expectedBigs(state);
    SettingVector net;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const MachineModel& model = models_[s];
        net[s] = model.coinsPerBig * bigs[s] +
                 games_ * (model.coinsPerReg * model.regProbability - model.costCoefficient);
    }
    return net;
}

}  // namespace korvale
