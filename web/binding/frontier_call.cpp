#include "web/binding/frontier_call.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <vector>

#include "analysis/quit_rules/efficient_frontier.h"
#include "common/status.h"
#include "web/binding/engine_request.h"

namespace korvale {
namespace {

// A page's grid is at most some thousands of rules.
constexpr std::size_t largestFrontierRules = 100'000;

// One rule's figures, read as strictly as any request; a refusal names the rule.
FrontierCandidate readRule(const nlohmann::json& rule, std::size_t i) {
    if (!rule.is_object()) {
        badField(fmt::format("rules[{}]", i), "an object");
    }
    try {
        const EngineRequest figures(rule.dump(),
                                    {"big_end", "reg_end", "net_per_1000_games", "p_ahead"});
        for (const std::string_view end : {"big_end", "reg_end"}) {
            if (!figures.whole(end, 0, 1'000'000)) {
                badField(end, "the rule's end, a whole number of games");
            }
        }
        const auto rate = figures.decimal("net_per_1000_games", -1e12, 1e12);
        if (!rate) {
            badField("net_per_1000_games", "the rule's mean net coins per 1000 games");
        }
        const auto chance = figures.decimal("p_ahead", 0.0, 1.0);
        return {
            .netPer1000Games = *rate, .pAhead = chance.value_or(0.0), .known = chance.has_value()};
    } catch (const StatusError& error) {
        throw StatusError(error.reason(),
                          fmt::format("rules[{}]: {}", i, error.status().message()));
    }
}

}  // namespace

std::string frontierCall(std::string_view text) {
    const EngineRequest request(text, {"rules"});
    const nlohmann::json given = nlohmann::json::parse(text, nullptr, false);
    const nlohmann::json& rules = given.contains("rules") ? given["rules"] : given;
    if (!rules.is_array() || rules.size() > largestFrontierRules) {
        badField("rules", "a list of at most 100000 rules");
    }
    std::vector<FrontierCandidate> candidates;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        candidates.push_back(readRule(rules[i], i));
    }
    const nlohmann::json order = frontierOrder(candidates, efficientFrontier(candidates));
    return "{\"ok\":true,\"report\":" + nlohmann::json{{"frontier", order}}.dump() + "}";
}

}  // namespace korvale
