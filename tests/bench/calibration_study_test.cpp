// A small seeded calibration study at 8,000 games: the filter's posterior must be calibrated
// (each setting's pooled mean chance 1/6 within the study's error), must score clearly better
// than a uniform guess, and must beat the count-only answer's log-score and its naming of the
// true setting. The bounds are three standard errors or more from the expected values, about
// one chance in a thousand each of failing for a sound filter.

#include "bench/calibration_study.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvale {
namespace {

TEST(CalibrationStudyTest, FilterIsCalibratedAndBeatsTheCountsAtEightThousandGames) {
    const std::vector<StudyRow> rows = runCalibrationStudy(8000, 100, 11);
    ASSERT_EQ(rows.size(), 6u);
    SampleMean gain;
    SampleMean logScore;
    SampleMean firstMargin;  // filter less count-only
    const auto addTo = [](SampleMean& total, double mean, double error) {
        total.mean += mean / 6.0;
        total.error = std::hypot(total.error, error / 6.0);
    };
    for (const StudyRow& row : rows) {
        EXPECT_EQ(row.sessions, 100);
        addTo(gain, row.logScoreGain.mean, row.logScoreGain.error);
        addTo(logScore, row.filter.logScore.mean, row.filter.logScore.error);
        addTo(firstMargin, row.filter.rankedFirst.mean - row.countOnly.rankedFirst.mean,
              std::hypot(row.filter.rankedFirst.error, row.countOnly.rankedFirst.error));
        // The sessions' posteriors add up to 1, and so do their means.
        double total = 0.0;
        for (const SampleMean& part : row.filter.posterior) {
            total += part.mean;
        }
        EXPECT_NEAR(total, 1.0, 1e-12);
        EXPECT_NEAR(row.filter.logScore.mean - row.countOnly.logScore.mean, row.logScoreGain.mean,
                    1e-9);
    }
    // Measured with 2,000 sessions a setting: gain +1.0, log-score -1.23, first 0.49 vs 0.31.
    EXPECT_GT(gain.mean - 3.0 * gain.error, 0.3) << "gain " << gain.mean;
    EXPECT_GT(logScore.mean - 3.0 * logScore.error, std::log(1.0 / 6.0) + 0.2)
        << "log-score " << logScore.mean;
    EXPECT_GT(firstMargin.mean - 3.0 * firstMargin.error, 0.0) << "first " << firstMargin.mean;
    const auto pooled = pooledMeanPosterior(rows, &StudyRow::filter);
    for (std::size_t s = 0; s < settingCount; ++s) {
        EXPECT_NEAR(pooled[s].mean, 1.0 / 6.0, 3.5 * pooled[s].error) << "setting " << s;
    }
}

}  // namespace
}  // namespace korvale
