#include "report/groups/infer_figures.h"

#include <fmt/format.h>

#include <chrono>

#include "analysis/attempt/attempt_start.h"
#include "analysis/found/hunt_cash.h"
#include "analysis/inference/setting_estimate.h"
#include "common/text_encoding.h"
#include "report/groups/exact_groups.h"
#include "report/groups/found_groups.h"
#include "report/groups/history_groups.h"
#include "report/groups/run_facts.h"
#include "report/groups/yen_figures.h"
#include "report/model/fact_catalogue.h"

namespace korvale {

void addInferFacts(Report& report, const InferAsked& asked) {
    const bool morning = asked.start == HistoryStart::Morning;
    const std::string path = printableText(asked.historyPath);
    report.facts = {
        makeFact(fact::history, path, asked.historyPath == "-" ? "標準入力" : path, false),
        makeFact(fact::start, morning ? "morning" : "joined", morning ? "朝一" : "途中から", false),
        makeFact(fact::trailingGames, std::to_string(asked.trailingGames)),
        priorFact(asked.prior),
    };
    if (asked.end) {
        addEnd(report, *asked.end);
        addHallRates(report, asked.rates, std::nullopt);
    }
}

void addPlayingOnGroups(std::vector<FigureGroup>& groups, const HistoryWorth& worth,
                        const HallRates& rates, const PlayingOnLots& lots) {
    for (std::size_t s = 0; s < settingCount; ++s) {
        if (const std::optional<AttemptFigures>& figures = worth.bySetting[s]) {
            FigureGroup group = exactAttemptGroup(*figures);
            addExactYen(group, *figures, rates, lots.bySetting[s]);
            groups.push_back(std::move(group));
        }
    }
    FigureGroup mixture = exactAttemptGroup(worth.mixture);
    mixture.setting = -1;
    addExactYen(mixture, worth.mixture, rates, lots.mixture);
    groups.push_back(std::move(mixture));
}

namespace {

// The most places a setting's attempt may start from for which the lots bought from cash are
// worked out: one pass each, a few hundredths of a second (a history that shows its last BIG
// has one; a joined one before any BIG one per count the wait may have reached).
constexpr std::size_t mostCashStarts = 64;

// From cash with a rule that ends at the first BIG: each setting's expected lots, its starts
// weighed by their chances (none for a setting the history rules out, or with too many starts),
// and the posterior's mixture of them when every setting that counts has them.
PlayingOnLots historyCashLots(const InferAsked& asked, const FilteredState& state,
                              const SettingVector& posterior, const WorkControl& control) {
    PlayingOnLots lots;
    if (!cashLotsExact(asked.rates, std::nullopt, *asked.end)) {
        return lots;
    }
    CashLots mixed;
    bool whole = true;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const std::vector<WeightedStart> starts = historyEndStarts(state, s);
        if (!starts.empty() && starts.size() <= mostCashStarts) {
            CashLots sum;
            for (const WeightedStart& one : starts) {
                const CashLots start =
                    solveFirstBigLots(machineModel(static_cast<std::int32_t>(s)), one.start,
                                      asked.rates.lend, control.cancel);
                sum.expected += one.chance * start.expected;
                sum.errorBound += one.chance * start.errorBound;
            }
            lots.bySetting[s] = sum;
            mixed.expected += posterior[s] * sum.expected;
            mixed.errorBound += posterior[s] * sum.errorBound;
        }
        whole = whole && (lots.bySetting[s] || !(posterior[s] > 0.0));
    }
    if (whole) {
        lots.mixture = mixed;
    }
    return lots;
}

// What playing on from where the history leaves the machine is worth under the end conditions:
// a group per setting the history allows, with its hours and yen, then the settings mixed by
// the posterior. Calling off leaves them out and marks the report partial.
void addPlayingOnWorth(Report& report, const InferAsked& asked, const SettingFilter& filter,
                       const SettingEstimate& estimate, const WorkControl& control) {
    try {
        const FilteredState state = filter.state(asked.trailingGames);
        const HistoryWorth worth = solveHistoryWorth(machineModels(), state, estimate.posterior,
                                                     *asked.end, CostRounding::Exact, control);
        addPlayingOnGroups(report.groups, worth, asked.rates,
                           historyCashLots(asked, state, estimate.posterior, control));
    } catch (const WorkCancelled&) {
        report.partial = true;
    }
}

}  // namespace

Report inferenceReport(const BonusHistory& history, const InferAsked& asked,
                       const WorkControl& control) {
    const auto start = std::chrono::steady_clock::now();
    SettingFilter filter(asked.start);
    const std::vector<ObservedBonus>& bonuses = history.bonuses;
    for (std::size_t i = 0; i < bonuses.size(); ++i) {
        if (i % 65536 == 0) {
            stopIfCalledOff(control.cancel);
        }
        filter.addBonus(bonuses[i]);
    }
    const SettingEstimator estimator(machineModels(), 1000);
    const SettingEstimate estimate =
        estimator.estimate(filter, asked.trailingGames, asked.prior.value_or(uniformPrior)).value();
    Report report{.kind = ReportKind::Inference};
    addInferFacts(report, asked);
    report.groups = historyGroups(estimate);
    if (asked.end) {
        addPlayingOnWorth(report, asked, filter, estimate, control);
    }
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return report;
}

}  // namespace korvale
