#include "bench/calibration_study.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "analysis/inference/setting_estimate.h"
#include "common/random_source.h"
#include "machine/cls_korvale.h"

namespace korvale {
namespace {

class MeanAccumulator {
  public:
    void add(double value) {
        ++count_;
        const double delta = value - mean_;
        mean_ += delta / count_;
        squares_ += delta * (value - mean_);
    }
    SampleMean result() const {
        return {mean_, count_ > 1 ? std::sqrt(squares_ / (count_ - 1) / count_) : 0.0};
    }

  private:
    double count_ = 0;
    double mean_ = 0;
    double squares_ = 0;
};

struct MethodAccumulator {
    MeanAccumulator truePosterior;
    MeanAccumulator rankedFirst;
    MeanAccumulator logScore;
    std::array<MeanAccumulator, settingCount> posterior;

    void add(const SettingVector& posteriorOfSession, std::size_t truth) {
        bool first = true;
        for (std::size_t s = 0; s < settingCount; ++s) {
            posterior[s].add(posteriorOfSession[s]);
            first &= s == truth || posteriorOfSession[s] < posteriorOfSession[truth];
        }
        truePosterior.add(posteriorOfSession[truth]);
        rankedFirst.add(first ? 1.0 : 0.0);
        logScore.add(std::log(posteriorOfSession[truth]));
    }

    MethodScore result() const {
        MethodScore score{truePosterior.result(), rankedFirst.result(), logScore.result(), {}};
        for (std::size_t s = 0; s < settingCount; ++s) {
            score.posterior[s] = posterior[s].result();
        }
        return score;
    }
};

}  // namespace

std::vector<StudyRow> runCalibrationStudy(std::int32_t games, int sessions, std::uint64_t seed) {
    if (games < 1 || sessions < 1) {
        throw std::invalid_argument("a study needs at least one session of at least one game");
    }
    const SettingEstimator estimator(machineModels(), 0);
    const SettingFilter morning(HistoryStart::Morning);
    Xoshiro256PlusPlus random(seed);
    std::vector<StudyRow> rows;
    for (std::int32_t setting = 0; setting < settingCount; ++setting) {
        const auto truth = static_cast<std::size_t>(setting);
        MethodAccumulator filterScores;
        MethodAccumulator countScores;
        MeanAccumulator gain;
        for (int session = 0; session < sessions; ++session) {
            clsKorvale machine(random);
            machine.mlngSettei = setting;
            SettingFilter filter = morning;
            std::int32_t num = 0;
            std::int32_t mode = 0;
            std::int32_t simauta = 0;
            for (std::int32_t game = 0; game < games; ++game) {
                const std::string& result = machine.Play(num, mode, simauta);
                if (!result.empty()) {
                    filter.addBonus(result == "BIG" ? BonusKind::Big : BonusKind::Reg, num);
                }
            }
            const SettingEstimate estimate =
                estimator.estimate(filter, machine.mlngBonusPlayCnt).value();
            filterScores.add(estimate.posterior, truth);
            countScores.add(estimate.countOnlyPosterior, truth);
            gain.add(std::log(estimate.posterior[truth]) -
                     std::log(estimate.countOnlyPosterior[truth]));
        }
        rows.push_back(
            {setting, games, sessions, filterScores.result(), countScores.result(), gain.result()});
    }
    return rows;
}

std::array<SampleMean, settingCount> pooledMeanPosterior(const std::vector<StudyRow>& rows,
                                                         MethodScore StudyRow::*method) {
    // The mean of the rows' means; the rows are independent, so their variances add.
    std::array<SampleMean, settingCount> pooled{};
    for (std::size_t s = 0; s < settingCount; ++s) {
        double variance = 0.0;
        for (const StudyRow& row : rows) {
            const SampleMean& part = (row.*method).posterior[s];
            pooled[s].mean += part.mean / static_cast<double>(rows.size());
            variance += part.error * part.error;
        }
        pooled[s].error = std::sqrt(variance) / static_cast<double>(rows.size());
    }
    return pooled;
}

}  // namespace korvale
