#include "analysis/found/history_worth.h"

#include <atomic>
#include <mutex>

#include "analysis/found/figure_mixture.h"
#include "common/parallel_work.h"

namespace korvale {

std::vector<WeightedStart> historyEndStarts(const FilteredState& state, std::size_t setting) {
    std::vector<WeightedStart> starts;
    double total = 0.0;
    for (std::size_t i = 0; i < state.law.size(); ++i) {
        WeightedStart one;
        one.start.gamesSinceBig = state.sinceBig[i];
        one.start.found = true;
        for (std::size_t m = 0; m < modeCount; ++m) {
            one.start.modeLaw[m] = state.law[i][m][setting];
            one.chance += one.start.modeLaw[m];
        }
        if (one.chance > 0.0) {
            for (double& chance : one.start.modeLaw) {
                chance /= one.chance;
            }
            total += one.chance;
            starts.push_back(one);
        }
    }
    for (WeightedStart& one : starts) {
        one.chance /= total;
    }
    return starts;
}

HistoryWorth solveHistoryWorth(const SettingModels& models, const FilteredState& state,
                               const SettingVector& posterior, EndConditions end,
                               CostRounding rounding, const WorkControl& control) {
    HistoryWorth worth;
    std::array<std::atomic<double>, settingCount> shares{};
    std::mutex heard;
    const auto hear = [&](std::size_t s, double share) {
        shares[s].store(share, std::memory_order_relaxed);
        if (!control.progress) {
            return;
        }
        double done = 0.0;
        for (const std::atomic<double>& one : shares) {
            done += one.load(std::memory_order_relaxed);
        }
        const std::lock_guard<std::mutex> lock(heard);
        control.progress(done / settingCount);
    };
    shareTasks(settingCount, control.workers(), [&](std::size_t s) {
        const std::vector<WeightedStart> weighted = historyEndStarts(state, s);
        if (weighted.empty()) {
            hear(s, 1.0);
            return;
        }
        std::vector<AttemptStart> starts;
        std::vector<double> chances;
        for (const WeightedStart& one : weighted) {
            starts.push_back(one.start);
            chances.push_back(one.chance);
        }
        const WorkControl own{.cancel = control.cancel,
                              .progress = [&hear, s](double share) { hear(s, share); }};
        AttemptFigures figures =
            mixFigures(solveAttemptStarts(models[s], end, starts, rounding, own), chances);
        figures.setting = static_cast<std::int32_t>(s);
        worth.bySetting[s] = figures;
        hear(s, 1.0);
    });
    // A setting the history rules out has no weight in the mixture; it stands in with another's
    // figures, so that its rounding and bounds change nothing.
    AttemptFigures standIn{.end = end};
    for (const std::optional<AttemptFigures>& one : worth.bySetting) {
        if (one) {
            standIn = *one;
        }
    }
    std::array<AttemptFigures, settingCount> bySetting;
    for (std::size_t s = 0; s < settingCount; ++s) {
        bySetting[s] = worth.bySetting[s].value_or(standIn);
    }
    worth.mixture = mixAttemptFigures(bySetting, posterior);
    return worth;
}

}  // namespace korvale
