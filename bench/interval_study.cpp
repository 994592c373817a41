// How often the 95% intervals of korvale-batch's measured figures and law points hold the exact
// value: many small seeded runs of each kind, each report joined with the exact one on its keys
// (and a law's points on x), as a user would join them.
//
//   build/release/bench/interval_study [runs, default 400] [setting 1..6, default 1]
//
// Normal runs: 200,000 games on two threads; attempt runs: 2,000 attempts at 300/100 on two
// threads (the same as `simulate normal --games 200000` and `simulate special --attempts 2000`).
// Each figure's coverage is its own; the points of a law are pooled by the count of waits (or
// attempts) the exact law expects in them, since single points come in thousands.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "analysis/measured/ratio_statistics.h"
#include "batch/commands/exact_command.h"
#include "play/parallel_run.h"
#include "report/groups/simulation_figures.h"

namespace korvale {
namespace {

constexpr std::int64_t normalGames = 200'000;
constexpr std::int64_t attemptCount = 2'000;
constexpr EndConditions attemptEnd{300.0, 100};

struct Hits {
    std::int64_t covered = 0;
    std::int64_t tried = 0;
    std::int64_t noInterval = 0;  // measured, but too few units for an interval

    void add(const Interval& interval, double exact) {
        if (!interval.known) {
            ++noInterval;
            return;
        }
        ++tried;
        covered += interval.low <= exact && exact <= interval.high ? 1 : 0;
    }
    double share() const { return tried == 0 ? NAN : static_cast<double>(covered) / tried; }
};

const FigureGroup& groupOf(const Report& report, Scope scope) {
    for (const FigureGroup& group : report.groups) {
        if (group.scope == scope) {
            return group;
        }
    }
    std::fprintf(stderr, "interval_study: no group of that scope\n");
    std::exit(1);
}

const Series* seriesOf(const FigureGroup& group, const std::string& key) {
    for (const Series& series : group.series) {
        if (series.key == key) {
            return &series;
        }
    }
    return nullptr;
}

// The bucket of a law point by the count the exact law expects in it.
std::string bucketOf(double expected) {
    if (expected < 1.0) {
        return "expected < 1";
    }
    if (expected < 10.0) {
        return "expected 1-10";
    }
    if (expected < 100.0) {
        return "expected 10-100";
    }
    return "expected >= 100";
}

struct Study {
    std::map<std::string, Hits> figures;
    std::map<std::string, Hits> lawBuckets;
    // Each law point's own coverage, for the lowest of those expected to hold 10 or more.
    std::map<std::pair<std::string, double>, Hits> points;

    void compareFigures(const FigureGroup& exact, const FigureGroup& measured) {
        for (const Figure& figure : measured.figures) {
            const Figure* truth = exact.find(figure.key);
            if (truth != nullptr && truth->value && figure.value) {
                figures[figure.key].add(figure.ci95, *truth->value);
            }
        }
    }

    void compareLaw(const std::string& key, const FigureGroup& exact, const FigureGroup& measured,
                    double units) {
        const Series* truth = seriesOf(exact, key);
        const Series* seen = seriesOf(measured, key);
        if (truth == nullptr || seen == nullptr || seen->x.empty()) {
            return;
        }
        for (std::size_t i = 0; i < truth->x.size(); ++i) {
            const double x = truth->x[i];
            if (!seen->measuredTo || x > *seen->measuredTo) {
                continue;  // not measured
            }
            const auto at = std::lower_bound(seen->x.begin(), seen->x.end(), x);
            if (at == seen->x.end() || *at != x) {
                continue;
            }
            const Interval& interval = seen->ci95[static_cast<std::size_t>(at - seen->x.begin())];
            const double expected = units * truth->value[i];
            lawBuckets[key + ", " + bucketOf(expected)].add(interval, truth->value[i]);
            if (expected >= 10.0) {
                points[{key, x}].add(interval, truth->value[i]);
            }
        }
    }
};

void printStudy(const Study& study) {
    std::printf("  %-34s %8s %8s %10s\n", "figure", "runs", "covered", "no interval");
    double lowest = 1.0;
    for (const auto& [key, hits] : study.figures) {
        std::printf("  %-34s %8lld %7.1f%% %10lld\n", key.c_str(),
                    static_cast<long long>(hits.tried), 100.0 * hits.share(),
                    static_cast<long long>(hits.noInterval));
        if (hits.tried > 0) {
            lowest = std::min(lowest, hits.share());
        }
    }
    std::printf("  lowest figure coverage: %.1f%%\n", 100.0 * lowest);
    std::printf("  %-34s %8s %8s\n", "law points (pooled)", "points", "covered");
    for (const auto& [bucket, hits] : study.lawBuckets) {
        std::printf("  %-34s %8lld %7.1f%%\n", bucket.c_str(), static_cast<long long>(hits.tried),
                    100.0 * hits.share());
    }
    // With a few hundred runs a single point's coverage is itself uncertain by a percent or two.
    double lowestPoint = 1.0;
    std::string where = "none";
    for (const auto& [point, hits] : study.points) {
        if (hits.tried > 0 && hits.share() < lowestPoint) {
            lowestPoint = hits.share();
            where = point.first + " at x = " + std::to_string(static_cast<long long>(point.second));
        }
    }
    std::printf("  lowest single law point expected to hold 10 or more: %.1f%% (%s, of %zu)\n\n",
                100.0 * lowestPoint, where.c_str(), study.points.size());
}

BatchOptions exactOptions(std::int32_t setting, bool attempt) {
    BatchOptions options;
    options.command = Command::Exact;
    options.setting = setting;
    options.settingGiven = true;
    options.endGiven = attempt;
    options.end = attemptEnd;
    options.laws = attempt;
    return options;
}

}  // namespace
}  // namespace korvale

int main(int argc, char** argv) {
    using namespace korvale;
    const int runs = argc > 1 ? std::atoi(argv[1]) : 400;
    const int settingNumber = argc > 2 ? std::atoi(argv[2]) : 1;
    if (runs < 1 || settingNumber < 1 || settingNumber > 6) {
        std::fprintf(stderr, "usage: interval_study [runs >= 1] [setting 1..6]\n");
        return 2;
    }
    const std::int32_t setting = settingNumber - 1;
    const auto begin = std::chrono::steady_clock::now();

    const Report exactLong = exactReport(exactOptions(setting, false), nullptr);
    Study normal;
    for (int run = 0; run < runs; ++run) {
        RunPlan plan;
        plan.run = RunKind::Normal;
        plan.setting = setting;
        plan.amount = normalGames;
        plan.threads = 2;
        plan.seed = static_cast<std::uint64_t>(run) + 1;
        const BatchResult result = runBatch(plan, nullptr, {});
        const FigureGroup measured = groupOf(simulationReport(result), Scope::LongRun);
        const FigureGroup& exact = groupOf(exactLong, Scope::LongRun);
        normal.compareFigures(exact, measured);
        normal.compareLaw("big_gap_law", exact, measured,
                          static_cast<double>(result.bigGaps.total()));
        normal.compareLaw("bonus_gap_law", exact, measured,
                          static_cast<double>(result.bonusGaps.total()));
    }
    std::printf("setting %d, %d seeded runs of each kind (seeds 1..%d, two threads)\n\n",
                settingNumber, runs, runs);
    std::printf("simulate normal --games %lld\n", static_cast<long long>(normalGames));
    printStudy(normal);

    const Report exactAttempt = exactReport(exactOptions(setting, true), nullptr);
    Study attempts;
    for (int run = 0; run < runs; ++run) {
        RunPlan plan;
        plan.run = RunKind::Special;
        plan.setting = setting;
        plan.amount = attemptCount;
        plan.end = attemptEnd;
        plan.threads = 2;
        plan.seed = static_cast<std::uint64_t>(run) + 1;
        const BatchResult result = runBatch(plan, nullptr, {});
        const FigureGroup measured = groupOf(simulationReport(result), Scope::Attempt);
        const FigureGroup& exact = groupOf(exactAttempt, Scope::Attempt);
        attempts.compareFigures(exact, measured);
        attempts.compareLaw("big_count_law", exact, measured, static_cast<double>(attemptCount));
        // P(net >= x) at each exact point, from the run's own tally (the measured curve's grid
        // differs from the exact one's).
        const Series* curve = seriesOf(exact, "net_at_least");
        const Tally& net = result.attempt.netLaw;
        for (std::size_t i = 0; curve != nullptr && i < curve->x.size(); ++i) {
            const auto x = static_cast<std::int64_t>(curve->x[i]);
            const double share = net.shareAtLeast(x);
            const double p = curve->value[i];
            const double expected = static_cast<double>(attemptCount) * std::min(p, 1.0 - p);
            attempts.lawBuckets["net_at_least, " + bucketOf(expected)].add(net.shareInterval(share),
                                                                           p);
        }
    }
    std::printf("simulate special --attempts %lld --big-end 300 --reg-end 100\n",
                static_cast<long long>(attemptCount));
    printStudy(attempts);
    std::printf("%.0f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    return 0;
}
