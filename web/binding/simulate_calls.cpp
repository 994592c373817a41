#include "web/binding/simulate_calls.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>

#include "analysis/attempt/attempt.h"
#include "analysis/attempt/capped_attempt.h"
#include "common/random_source.h"
#include "common/status.h"
#include "play/parallel_run.h"
#include "report/groups/simulation_figures.h"
#include "web/binding/engine_calls.h"
#include "web/binding/engine_request.h"
#include "web/binding/request_options.h"
#include "web/binding/run_share_json.h"

namespace korvale {
namespace {

// The command line's amounts when none is given, and the most a page's run plays: some
// minutes of one worker.
constexpr std::int64_t defaultGames = 100'000'000;
constexpr std::int64_t defaultAttempts = 1'000'000;
constexpr std::int64_t largestGames = 10'000'000'000;
constexpr std::int64_t largestAttempts = 100'000'000;
constexpr std::int64_t largestThreads = 256;

#define KORVALE_PLAN_FIELDS                                                                       \
    "kind", "setting", "games", "attempts", "big_end", "reg_end", "max_games", "seed", "threads", \
        KORVALE_RATE_FIELDS

// The run a request asks for, every default settled as korvale-batch settles it.
RunPlan readPlan(const EngineRequest& request) {
    RunPlan plan;
    const bool normal =
        request.choice("kind", {"normal", "special"}).value_or("normal") == "normal";
    plan.run = normal ? RunKind::Normal : RunKind::Special;
    plan.setting = readSetting(request).value_or(0);
    const char* amount = normal ? "attempts" : "games";
    if (request.has(amount)) {
        badField(amount, normal ? "games: a normal run plays games"
                                : "attempts: a special run makes attempts");
    }
    plan.amount = normal ? request.whole("games", 1, largestGames).value_or(defaultGames)
                         : request.whole("attempts", 1, largestAttempts).value_or(defaultAttempts);
    plan.end = readEnd(request).value_or(EndConditions{});
    if (normal && (request.has("big_end") || request.has("reg_end") || request.has("max_games"))) {
        badField(request.has("max_games") ? "max_games" : "big_end",
                 "no end conditions: a normal run plays one machine on");
    }
    // Within the exact figures' tables every attempt ends: the ceiling brings the BIG.
    checkExactEnd(plan.end);
    if (const auto games = request.whole("max_games", 1, largestMaxGames)) {
        plan.maxGames = static_cast<std::int32_t>(*games);
    }
    plan.rates = readRates(request);
    if (normal && (request.has("lend") || request.has("exchange") || request.has("pay") ||
                   request.has("games_per_hour"))) {
        badField("pay", "no hall's rates: those of a normal run are a day's");
    }
    plan.threads = static_cast<int>(request.whole("threads", 1, largestThreads).value_or(1));
    const std::optional<std::uint64_t> seed = request.seed("seed");
    if (!seed && plan.threads > 1) {
        badField("seed", "a seed, so that every thread's part plays the same run");
    }
    plan.seed = seed ? *seed : seedFromClock();
    return plan;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

std::string simulateCall(std::string_view text, ThrottledProgress& progress) {
    const EngineRequest request(text, {KORVALE_PLAN_FIELDS, "thread"});
    const RunPlan plan = readPlan(request);
    const auto thread = static_cast<int>(request.whole("thread", 0, plan.threads - 1).value_or(0));
    const std::int64_t share = shareOf(plan.amount, plan.threads, thread);
    WorkerCounts counts;
    counts.watch = [&] {
        const bool games = plan.run == RunKind::Normal;
        const std::int64_t done = games ? counts.games.load() : counts.attempts.load();
        progress.played(
            static_cast<double>(done) / static_cast<double>(std::max<std::int64_t>(share, 1)),
            counts.games.load());
    };
    const auto start = std::chrono::steady_clock::now();
    const RunShare played = playRunShare(plan, thread, {}, counts, nullptr);
    const nlohmann::ordered_json part = {{"thread", thread},
                                         {"threads", plan.threads},
                                         {"seed", std::to_string(plan.seed)},
                                         {"seconds", secondsSince(start)},
                                         {"share", shareToJson(played)}};
    return "{\"ok\":true,\"report\":" + part.dump() + "}";
}

std::string simulateMergeCall(std::string_view text, ThrottledProgress&) {
    const EngineRequest request(text, {"plan", "parts"});
    const nlohmann::json whole = nlohmann::json::parse(text);
    if (!whole.contains("plan") || !whole.contains("parts") || !whole["parts"].is_array()) {
        badField("parts", "{plan, parts}: the request of the parts and every part");
    }
    const EngineRequest planRequest(whole["plan"].dump(), {KORVALE_PLAN_FIELDS});
    const RunPlan plan = readPlan(planRequest);
    const nlohmann::json& parts = whole["parts"];
    if (parts.size() != static_cast<std::size_t>(plan.threads)) {
        badField("parts", fmt::format("the {} parts of the plan's threads", plan.threads));
    }
    std::vector<RunShare> shares(parts.size());
    std::vector<bool> seen(parts.size(), false);
    double seconds = 0.0;
    for (const nlohmann::json& part : parts) {
        if (!part.is_object() || !part.contains("thread") || !part["thread"].is_number_integer() ||
            part.value("threads", nlohmann::json()) != plan.threads ||
            part.value("seed", nlohmann::json()) != std::to_string(plan.seed) ||
            !part.contains("share")) {
            badField("parts", "the parts the plan's threads answered, with its seed");
        }
        const std::int64_t thread = part["thread"].get<std::int64_t>();
        if (thread < 0 || thread >= plan.threads || seen[static_cast<std::size_t>(thread)]) {
            badField("parts", "one part of each thread");
        }
        seen[static_cast<std::size_t>(thread)] = true;
        shares[static_cast<std::size_t>(thread)] = shareFromJson(part["share"], plan.rates);
        if (part.contains("seconds") && part["seconds"].is_number()) {
            seconds = std::max(seconds, part["seconds"].get<double>());
        }
    }
    BatchResult result = mergeRunShares(plan, shares);
    result.seconds = seconds;
    return reportAnswer(simulationReport(result));
}

}  // namespace korvale
