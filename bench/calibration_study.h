#pragma once

// How well the posterior names a machine's setting, measured on the machine itself: sessions of
// a fixed number of games from the morning, played on new machines of each setting, each scored
// by the filter and by the count-only answer with a uniform prior. A calibrated posterior gives
// each setting, averaged over sessions of all settings alike, a mean chance of 1/6.

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/inference/filter_tables.h"

namespace korvale {

// A mean over sessions and its standard error.
struct SampleMean {
    double mean = 0.0;
    double error = 0.0;
};

// One method over the sessions of one true setting.
struct MethodScore {
    SampleMean truePosterior;  // the posterior of the true setting
    SampleMean rankedFirst;    // whether the true setting had the highest posterior (ties: no)
    SampleMean logScore;       // the log of the posterior of the true setting
    std::array<SampleMean, settingCount> posterior{};  // of every setting
};

struct StudyRow {
    std::int32_t setting = 0;  // the true setting index
    std::int32_t games = 0;
    int sessions = 0;
    MethodScore filter;
    MethodScore countOnly;
    SampleMean logScoreGain;  // filter less count-only, paired per session
};

// `sessions` sessions of `games` games (at least 1) for each setting, drawn from one generator
// seeded with `seed`.
std::vector<StudyRow> runCalibrationStudy(std::int32_t games, int sessions, std::uint64_t seed);

// The mean posterior of each setting under `method` (&StudyRow::filter, say) over the sessions
// of all rows alike, with its standard error.
std::array<SampleMean, settingCount> pooledMeanPosterior(const std::vector<StudyRow>& rows,
                                                         MethodScore StudyRow::*method);

}  // namespace korvale
