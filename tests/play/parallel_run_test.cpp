// A run played share by share, as the page's workers play it, one share a worker: merged in
// thread order, the shares give what the run on as many threads gives from the same plan and
// seed, and each share plays its part of the amount.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "play/parallel_run.h"

namespace korvale {
namespace {

RunPlan planOf(RunKind kind, std::int64_t amount, int threads, std::uint64_t seed) {
    RunPlan plan;
    plan.run = kind;
    plan.setting = 3;
    plan.amount = amount;
    plan.threads = threads;
    plan.seed = seed;
    if (kind == RunKind::Special) {
        plan.end = EndConditions{.bigEnd = 100.0, .regEnd = 50};
    }
    return plan;
}

std::vector<RunShare> playShares(const RunPlan& plan) {
    std::vector<RunShare> shares;
    for (int thread = plan.threads - 1; thread >= 0; --thread) {
        WorkerCounts counts;
        shares.insert(shares.begin(), playRunShare(plan, thread, {}, counts, nullptr));
    }
    return shares;
}

void expectSameTally(const Tally& a, const Tally& b, const char* what) {
    const Tally::Held x = a.held();
    const Tally::Held y = b.held();
    EXPECT_EQ(x.counts, y.counts) << what;
    EXPECT_EQ(x.total, y.total) << what;
    EXPECT_EQ(x.sum, y.sum) << what;
}

void expectSameAttempts(const AttemptTotals& a, const AttemptTotals& b) {
    EXPECT_EQ(a.attempts, b.attempts);
    EXPECT_EQ(a.games, b.games);
    EXPECT_EQ(a.bigs, b.bigs);
    EXPECT_EQ(a.regs, b.regs);
    EXPECT_EQ(a.net, b.net);
    EXPECT_EQ(a.obtained, b.obtained);
    EXPECT_EQ(a.netPer1000Games.y, b.netPer1000Games.y);
    EXPECT_EQ(a.netPer1000Games.yy, b.netPer1000Games.yy);
    expectSameTally(a.netLaw, b.netLaw, "net law");
    expectSameTally(a.gamesLaw, b.gamesLaw, "games law");
    expectSameTally(a.bigsLaw, b.bigsLaw, "BIGs law");
}

struct MergeCase {
    RunKind kind;
    std::int64_t amount;
    int threads;
    std::uint64_t seed;
};

// Which thread plays a share never changes it: the page plays them in its own order (here the
// last first), on workers of its own.
TEST(RunShareTest, MergedSharesAreTheRunOnAsManyThreads) {
    const std::vector<MergeCase> cases = {
        {RunKind::Normal, 300'001, 1, 11}, {RunKind::Normal, 300'001, 3, 11},
        {RunKind::Normal, 2, 4, 12},       {RunKind::Special, 301, 1, 21},
        {RunKind::Special, 301, 3, 21},    {RunKind::Special, 1, 2, 22},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << ", " << c.amount
                                        << " among " << c.threads);
        const RunPlan plan = planOf(c.kind, c.amount, c.threads, c.seed);
        std::vector<RunShare> shares = playShares(plan);
        const BatchResult merged = mergeRunShares(plan, shares);
        const BatchResult run = runBatch(plan, nullptr, {});
        EXPECT_EQ(merged.gamesPlayed, run.gamesPlayed);
        EXPECT_EQ(merged.normal, run.normal);
        EXPECT_EQ(merged.batches, run.batches);
        expectSameTally(merged.bigGaps, run.bigGaps, "BIG gaps");
        expectSameTally(merged.bonusGaps, run.bonusGaps, "bonus gaps");
        ASSERT_EQ(merged.bigGapBatches.size(), run.bigGapBatches.size());
        for (std::size_t i = 0; i < run.bigGapBatches.size(); ++i) {
            expectSameTally(merged.bigGapBatches[i], run.bigGapBatches[i], "a batch's BIG gaps");
        }
        expectSameAttempts(merged.attempt, run.attempt);
        if (c.kind == RunKind::Normal) {
            EXPECT_EQ(merged.normal.games, c.amount);
        } else {
            EXPECT_EQ(merged.attempt.attempts, c.amount);
        }
    }
}

// 10 games or attempts among 3 workers: 4, 3 and 3; 2 among 4: 1, 1, 0, 0.
TEST(RunShareTest, EachSharePlaysItsPart) {
    const std::vector<std::pair<MergeCase, std::vector<std::int64_t>>> cases = {
        {{RunKind::Normal, 10, 3, 5}, {4, 3, 3}},
        {{RunKind::Special, 10, 3, 5}, {4, 3, 3}},
        {{RunKind::Normal, 2, 4, 6}, {1, 1, 0, 0}},
        {{RunKind::Special, 2, 4, 6}, {1, 1, 0, 0}},
    };
    for (const auto& [c, parts] : cases) {
        const RunPlan plan = planOf(c.kind, c.amount, c.threads, c.seed);
        const std::vector<RunShare> shares = playShares(plan);
        ASSERT_EQ(shares.size(), parts.size());
        for (std::size_t t = 0; t < parts.size(); ++t) {
            const bool normal = c.kind == RunKind::Normal;
            EXPECT_EQ(normal ? shares[t].normal.totals.games : shares[t].attempt.attempts, parts[t])
                << "share " << t << (normal ? " of games" : " of attempts");
            if (normal) {
                EXPECT_EQ(shares[t].games, parts[t]) << "share " << t;
            }
        }
    }
}

}  // namespace
}  // namespace korvale
