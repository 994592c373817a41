#pragma once

// The one description of what korvale-batch and the window report: figures (a key, a Japanese
// label, a unit, an exact value or a measured value with its 95% interval) gathered in groups
// that say what they belong to (exact or simulated, which setting, the long run or an attempt
// with its end conditions). Every output format is written from this model, so the same figure
// has the same key and shape wherever it appears: exact and simulated output join on
// (setting, scope, key).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/measured/ratio_statistics.h"
#include "machine/attempt_end.h"

namespace korvale {

// How a value reads; the table writes it accordingly, CSV and JSON carry the plain number.
enum class Unit {
    Count,    // a whole number of things (games, BIGs, attempts)
    Games,    // a number of games (a mean, a percentile)
    Coins,    // a number of coins
    OneIn,    // games per event: the table writes "1/287.3"
    Percent,  // already in percent (the payout rate, 機械割)
    Share,    // a fraction 0..1: the table writes it as a percentage
    Setting,  // a payout setting 1..6: the table writes "設定１"
    Yen,      // an amount of yen
    Hours,    // a length of play in hours
    Number,   // any other number
};

// The word for a unit in CSV and JSON.
const char* unitName(Unit unit);

// One figure. An exact figure has no interval; a measured one has it once there are enough
// units to estimate it. A figure with no value is not defined yet (no BIG, say).
struct Figure {
    std::string key{};
    std::string label{};
    Unit unit = Unit::Number;
    std::optional<double> value{};
    Interval ci95{};
};

// A law or a curve: values against x, such as P(net >= k) over k or a histogram's counts over
// its bins. Exact series have no intervals; measured ones may carry one per point.
struct Series {
    std::string key{};
    std::string label{};
    Unit xUnit = Unit::Number;
    Unit unit = Unit::Number;
    std::vector<double> x{};
    std::vector<double> value{};
    std::vector<Interval> ci95{};  // empty, or one per point
    // Measured series: the last x the run's points reach. The points up to it are there (a
    // share of 0 where nothing was seen); past it the series says nothing.
    std::optional<double> measuredTo{};
};

enum class Source { Exact, Simulated };
enum class Scope {
    LongRun,  // one machine played without end (the window's 通常)
    Attempt,  // attempts from a new machine until the end conditions hold (特別)
    History,  // an observed bonus history (setting inference)
    Day,      // a day at the hall: a new machine from the morning played for a day's games
};

const char* sourceName(Source source);  // "exact", "simulated"
const char* scopeName(Scope scope);     // "long_run", "attempt", "history", "day"

// The figures of one setting in one scope, from one source.
struct FigureGroup {
    Source source = Source::Exact;
    std::int32_t setting = -1;  // setting index 0..5; -1 when the group spans every setting
    Scope scope = Scope::LongRun;
    std::optional<EndConditions> end{};  // Scope::Attempt
    std::vector<Figure> figures{};
    std::vector<Series> series{};
    // Technical details that only CSV and JSON carry (bounds on a computation's error, say).
    std::vector<Figure> details{};

    // The figure with this key, or null.
    const Figure* find(std::string_view key) const;
};

// One line of a run's description: what was asked and how (seed, threads, amounts).
struct Fact {
    std::string key{};
    std::string label{};
    std::string value{};  // as CSV and JSON carry it
    std::string shown{};  // as the table shows it; empty: the same as value
    bool isNumber = true;
    // A list of numbers (a prior's weights, a sweep's grid): JSON writes the array, CSV `value`
    // with the numbers between commas.
    std::vector<double> numbers{};
};

// The time a command took; every command reports it, and a simulation its speed as well.
struct Timing {
    double seconds = 0.0;
    std::optional<double> gamesPerSecond{};
};

// What a report answers, which picks its layout: a simulation's measures, the exact figures,
// a sweep of end conditions, the 狙い目 table of found machines, or a history's setting.
enum class ReportKind { Simulation, Exact, Sweep, Hunt, Inference };

// The command that reports it: "simulate", "exact", "sweep", "hunt", "infer" (JSON's "command").
const char* commandName(ReportKind kind);

// How far an attempt's laws were worked out (the laws fact).
enum class LawsWorked {
    NotAsked,
    Full,  // the laws of the net, the games and the BIGs
    Head,  // the chance to end ahead and the net's 50% and 10% points only
    None,  // not worked out: attempts with a game limit
};

// The facts a layout goes by, typed; each is also among the report's facts, added with it
// (run_facts.h).
struct RunFacts {
    LawsWorked laws = LawsWorked::NotAsked;
    std::optional<std::int32_t> maxGames{};
    bool paidWithCash = false;
    bool frontierOnly = false;    // a sweep that holds only the rules on each frontier
    bool meansOnly = false;       // a 狙い目 table whose chances to end ahead were not asked for
    bool counterAtLimit = false;  // a simulation stopped by a counter at its limit
};

// Everything one command reports.
struct Report {
    ReportKind kind = ReportKind::Exact;
    std::vector<Fact> facts{};
    RunFacts run{};
    std::vector<FigureGroup> groups{};
    std::optional<Timing> timing{};
    bool partial = false;  // stopped early: the figures cover what was played by then
};

}  // namespace korvale
