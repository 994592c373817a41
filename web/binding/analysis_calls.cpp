#include "web/binding/analysis_calls.h"

#include <fmt/format.h>

#include <chrono>
#include <vector>

#include "analysis/attempt/capped_attempt.h"
#include "analysis/found/hunt_table.h"
#include "analysis/inference/bonus_history_reader.h"
#include "analysis/outcome/day_law.h"
#include "analysis/quit_rules/rule_risk_sweep.h"
#include "report/groups/exact_figures.h"
#include "report/groups/hunt_figures.h"
#include "report/groups/infer_figures.h"
#include "report/groups/sweep_figures.h"
#include "web/binding/engine_calls.h"
#include "web/binding/engine_request.h"
#include "web/binding/request_options.h"

namespace korvale {

std::string huntCall(std::string_view text, ThrottledProgress& progress) {
    const EngineRequest request(text, {"setting", "since_big_grid", "big_end", "reg_end",
                                       "max_games", "prior", "means_only", KORVALE_RATE_FIELDS});
    HuntAsked asked{.setting = readSetting(request),
                    .end = readEnd(request, {.bigEnd = 0.0, .regEnd = 0})
                               .value_or(EndConditions{.bigEnd = 0.0, .regEnd = 0}),
                    .rates = readRates(request),
                    .prior = request.prior("prior"),
                    .meansOnly = request.flag("means_only")};
    checkExactEnd(asked.end);
    if (const auto games = request.whole("max_games", 1, largestMaxGames)) {
        asked.maxGames = static_cast<std::int32_t>(*games);
    }
    if (const auto grid = request.range("since_big_grid", largestGamesSinceBig)) {
        asked.grid = {.first = (*grid)[0], .last = (*grid)[1], .step = (*grid)[2]};
        if ((asked.grid.last - asked.grid.first) / asked.grid.step + 1 >
            static_cast<int>(largestHuntPoints)) {
            badField("since_big_grid", "at most 1001 counts");
        }
    }
    if (asked.prior && asked.setting) {
        badField("prior", "no prior with a setting: the prior weighs the six settings");
    }
    return reportAnswer(solveHuntReport(asked, progress.control()));
}

namespace {

// The most rules a page's sweep takes: some minutes of one worker with their risk. The command
// line takes any grid; a page's grid beyond would hold its worker for hours.
constexpr std::int64_t largestSweepRules = 5000;

// The most bonuses of a page's history: a day's log holds some tens, and the longest kinds
// of history take up to half a millisecond a bonus.
constexpr std::size_t largestHistoryBonuses = 100'000;

// The settings of a call: the one asked for, or all six.
std::vector<std::int32_t> settingsOf(std::optional<std::int32_t> setting) {
    return setting ? std::vector<std::int32_t>{*setting}
                   : std::vector<std::int32_t>{0, 1, 2, 3, 4, 5};
}

// The cash put in beside a sweep or a day is measured by a seeded simulation that the command
// line plays; the page asks for them paid from stored coins.
void refuseCash(const HallRates& rates) {
    if (rates.pay == CoinSource::Cash) {
        badField("pay", "\"coins\": the cash put in here is measured by korvale-batch");
    }
}

}  // namespace

std::string inferCall(std::string_view text, ThrottledProgress& progress) {
    const EngineRequest request(
        text, {"history", "start", "trailing", "prior", "big_end", "reg_end", KORVALE_RATE_FIELDS});
    const std::optional<std::string> history = request.text("history", std::size_t{16} << 20);
    if (!history) {
        badField("history", "the text of a bonus history");
    }
    InferAsked asked{
        .historyPath = "(page)",
        .start = request.choice("start", {"morning", "joined"}).value_or("morning") == "joined"
                     ? HistoryStart::Joined
                     : HistoryStart::Morning,
        .trailingGames =
            static_cast<std::int32_t>(request.whole("trailing", 0, INT32_MAX).value_or(0)),
        .prior = request.prior("prior"),
        .end = readEnd(request),
        .rates = readRates(request)};
    if (asked.end) {
        checkExactEnd(*asked.end);
    }
    WorkControl control = progress.control();
    const StatusOr<BonusHistory> reading = readBonusHistory(*history, control);
    if (!reading) {
        throw StatusError(reading.status());
    }
    if (reading->bonuses.size() > largestHistoryBonuses) {
        badField("history", fmt::format("at most {} bonuses", largestHistoryBonuses));
    }
    return reportAnswer(inferenceReport(*reading, asked, control));
}

std::string sweepCall(std::string_view text, ThrottledProgress& progress) {
    const EngineRequest request(text, {"setting", "big_ends", "reg_ends", "max_games", "since_big",
                                       "frontier", "means_only", KORVALE_RATE_FIELDS});
    SweepAsked asked{.setting = readSetting(request),
                     .frontier = request.flag("frontier"),
                     .meansOnly = request.flag("means_only"),
                     .rates = readRates(request)};
    refuseCash(asked.rates);
    if (const auto ends = request.range("big_ends", static_cast<std::int32_t>(largestBigEnd))) {
        asked.grid.bigEndFirst = (*ends)[0];
        asked.grid.bigEndLast = (*ends)[1];
        asked.grid.bigEndStep = (*ends)[2];
    }
    if (const auto ends = request.range("reg_ends", largestRegEnd)) {
        asked.grid.regEndFirst = (*ends)[0];
        asked.grid.regEndLast = (*ends)[1];
        asked.grid.regEndStep = (*ends)[2];
    }
    if (const auto games = request.whole("max_games", 1, largestMaxGames)) {
        asked.maxGames = static_cast<std::int32_t>(*games);
        asked.grid.maxGames = asked.maxGames;
    }
    if (const auto games = request.whole("since_big", 0, largestGamesSinceBig)) {
        asked.sinceBig = static_cast<std::int32_t>(*games);
        asked.grid.sinceBig = asked.sinceBig;
    }
    const std::int64_t rules =
        std::int64_t{(asked.grid.bigEndLast - asked.grid.bigEndFirst) / asked.grid.bigEndStep + 1} *
        ((asked.grid.regEndLast - asked.grid.regEndFirst) / asked.grid.regEndStep + 1);
    if (rules > largestSweepRules) {
        badField("big_ends", fmt::format("a grid of at most {} rules (big_ends times reg_ends)",
                                         largestSweepRules));
    }
    if (asked.frontier && (asked.meansOnly || asked.maxGames)) {
        badField("frontier",
                 "no frontier with means_only or max_games: it needs each rule's chance to end "
                 "ahead");
    }
    const auto start = std::chrono::steady_clock::now();
    const RuleRiskSweep sweep = sweepRuleRisksSoFar(asked.grid, settingsOf(asked.setting),
                                                    !asked.meansOnly, {}, progress.control());
    Report report = sweepReport(asked, sweep,
                                [](const AttemptFigures&) { return std::optional<CashTotals>(); });
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return reportAnswer(report);
}

std::string dayCall(std::string_view text, ThrottledProgress& progress) {
    const EngineRequest request(text, {"setting", "day_games", KORVALE_RATE_FIELDS});
    const std::optional<std::int32_t> setting = readSetting(request);
    const HallRates rates = readRates(request);
    refuseCash(rates);
    const auto dayGames = static_cast<std::int32_t>(
        request.whole("day_games", 1, largestExactDayGames).value_or(8000));
    const auto start = std::chrono::steady_clock::now();
    Report report{.kind = ReportKind::Exact};
    addExactFacts(report, {.setting = setting});
    addLongRunGroups(report, settingsOf(setting));
    addDayGroups(report, dayGames, rates, settingsOf(setting), progress.control());
    report.timing = Timing{
        .seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    return reportAnswer(report);
}

}  // namespace korvale
