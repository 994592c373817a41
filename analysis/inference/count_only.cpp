#include "analysis/inference/count_only.h"

#include <cmath>

#include "analysis/long_run/long_run.h"

namespace korvale {

CountOnlyRates countOnlyRates(const SettingModels& models) {
    CountOnlyRates rates;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const LongRunFigures figures = solveLongRun(models[s]);
        rates.big[s] = figures.bigProbability;
        rates.reg[s] = figures.regProbability;
    }
    return rates;
}

SettingVector countOnlyLogLikelihoods(const CountOnlyRates& rates, std::int64_t games,
                                      std::int64_t bigs, std::int64_t regs) {
    SettingVector result;
    for (std::size_t s = 0; s < settingCount; ++s) {
        result[s] = timesLog(bigs, std::log(rates.big[s])) +
                    timesLog(regs, std::log(rates.reg[s])) +
                    timesLog(games - bigs - regs, std::log1p(-(rates.big[s] + rates.reg[s])));
    }
    return result;
}

}  // namespace korvale
