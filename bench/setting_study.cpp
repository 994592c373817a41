// The full calibration study of the setting posterior: sessions of 2,000, 8,000 and 20,000
// games from the morning on each setting, the filter and the count-only answer side by side.
//
//   build/release/bench/setting_study [sessions per setting and length, default 2000] [seed]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "bench/calibration_study.h"

int main(int argc, char** argv) {
    using namespace korvale;
    const int sessions = argc > 1 ? std::atoi(argv[1]) : 2000;
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20261208;
    if (sessions < 2) {
        std::fprintf(stderr, "usage: setting_study [sessions >= 2] [seed]\n");
        return 2;
    }
    std::printf("%d sessions per setting and length, seed %llu, uniform prior\n\n", sessions,
                static_cast<unsigned long long>(seed));
    std::printf("%6s %4s | %-29s | %-29s | %s\n", "games", "true", "filter", "count-only",
                "log-score gain");
    std::printf("%6s %4s | %9s %9s %9s | %9s %9s %9s |\n", "", "", "P(true)", "first", "log-score",
                "P(true)", "first", "log-score");
    for (const std::int32_t games : {2000, 8000, 20000}) {
        const auto begin = std::chrono::steady_clock::now();
        const std::vector<StudyRow> rows =
            runCalibrationStudy(games, sessions, seed + static_cast<std::uint64_t>(games));
        double filterScore = 0.0;
        double countScore = 0.0;
        double filterFirst = 0.0;
        double countFirst = 0.0;
        double filterTrue = 0.0;
        double countTrue = 0.0;
        double gainVariance = 0.0;
        for (const StudyRow& row : rows) {
            std::printf("%6d %4d | %9.3f %9.3f %9.3f | %9.3f %9.3f %9.3f | %+.3f +- %.3f\n", games,
                        row.setting + 1, row.filter.truePosterior.mean, row.filter.rankedFirst.mean,
                        row.filter.logScore.mean, row.countOnly.truePosterior.mean,
                        row.countOnly.rankedFirst.mean, row.countOnly.logScore.mean,
                        row.logScoreGain.mean, 1.96 * row.logScoreGain.error);
            filterScore += row.filter.logScore.mean / settingCount;
            countScore += row.countOnly.logScore.mean / settingCount;
            filterFirst += row.filter.rankedFirst.mean / settingCount;
            countFirst += row.countOnly.rankedFirst.mean / settingCount;
            filterTrue += row.filter.truePosterior.mean / settingCount;
            countTrue += row.countOnly.truePosterior.mean / settingCount;
            gainVariance += row.logScoreGain.error * row.logScoreGain.error;
        }
        std::printf("%6d %4s | %9.3f %9.3f %9.3f | %9.3f %9.3f %9.3f | %+.3f +- %.3f\n", games,
                    "all", filterTrue, filterFirst, filterScore, countTrue, countFirst, countScore,
                    filterScore - countScore, 1.96 * std::sqrt(gainVariance) / settingCount);
        for (const auto& [name, method] : {std::pair{"filter", &StudyRow::filter},
                                           std::pair{"count-only", &StudyRow::countOnly}}) {
            std::printf("%6d pooled mean posterior, %-10s:", games, name);
            for (const SampleMean& part : pooledMeanPosterior(rows, method)) {
                std::printf(" %.3f+-%.3f", part.mean, 1.96 * part.error);
            }
            std::printf("\n");
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::printf("%6d (%.1f s)\n\n", games, seconds);
    }
    std::printf("uniform guess: P(true) 0.167, log-score %.3f; errors are 95%% intervals\n",
                std::log(1.0 / 6.0));
    return 0;
}
