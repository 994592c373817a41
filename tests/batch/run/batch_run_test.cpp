#include "batch/run/command_line_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>

#include "common/number_text.h"
#include "machine/cls_korvale.h"
#include "play/attempt_run.h"
#include "play/counter_limit.h"
#include "report/format/report_format.h"
#include "report/groups/simulation_figures.h"
#include "tests/support/ceiling_closed_form.h"
#include "tests/support/mean_interval.h"
#include "tests/support/played_attempt.h"
#include "tests/support/written_csv.h"

namespace korvale {
namespace {

RunPlan normalPlan(std::int32_t setting, std::int64_t games, int threads, std::uint64_t seed) {
    RunPlan plan;
    plan.run = RunKind::Normal;
    plan.setting = setting;
    plan.amount = games;
    plan.threads = threads;
    plan.seed = seed;
    return plan;
}

RunPlan attemptPlan(std::int32_t setting, std::int64_t attempts, int threads, std::uint64_t seed,
                    EndConditions end = {}) {
    RunPlan plan = normalPlan(setting, attempts, threads, seed);
    plan.run = RunKind::Special;
    plan.end = end;
    return plan;
}

// What the window's per-mode run shows after `games` games of one machine drawing from
// `stream`: the machine's counters, get差枚, and per mode the games and BIGs by mOldMode.
struct WindowNormal {
    NormalTotals totals;
    std::int32_t net = 0;
    std::string rateText;
};

WindowNormal playLikeTheWindow(std::int32_t setting, std::int64_t games,
                               Xoshiro256PlusPlus stream) {
    clsKorvale machine(stream);
    machine.mlngSettei = setting;
    WindowNormal window;
    std::int32_t num = 0;
    std::int32_t mode = 0;
    std::int32_t simauta = 0;
    for (std::int64_t g = 0; g < games; ++g) {
        const std::string result = machine.Play(num, mode, simauta);
        const auto m = static_cast<std::size_t>(machine.mOldMode);
        ++window.totals.modeGames[m];
        if (result == "BIG") {
            ++window.totals.modeBigs[m];
        }
    }
    window.totals.games = machine.mlngPlayCnt;
    window.totals.bigs = machine.mlngBigCnt;
    window.totals.regs = machine.mlngRegCnt;
    std::int32_t obtained = 0;
    window.net = machine.get差枚(window.rateText, obtained);
    return window;
}

const Figure& figure(const FigureGroup& group, const std::string& key) {
    if (const Figure* f = group.find(key)) {
        return *f;
    }
    throw std::logic_error("no figure " + key);
}

FigureGroup measured(const BatchResult& result) {
    return simulationReport(result).groups.at(0);
}

TEST(BatchRunTest, OneThreadNormalRunMatchesTheWindowsMachine) {
    for (const std::int32_t setting : {0, 3, 5}) {
        const RunPlan plan = normalPlan(setting, 1'000'003, 1, 77 + setting);
        const BatchResult result = runBatch(plan, nullptr, {});
        const WindowNormal window =
            playLikeTheWindow(setting, plan.amount, Xoshiro256PlusPlus(plan.seed));
        EXPECT_EQ(result.normal, window.totals) << setting;
        const FigureGroup figures = measured(result);
        EXPECT_EQ(figure(figures, "games").value, 1'000'003);
        EXPECT_EQ(figure(figures, "net_coins").value, window.net);
        EXPECT_EQ(formatHashDot00(*figure(figures, "payout_percent").value), window.rateText);
        EXPECT_DOUBLE_EQ(*figure(figures, "big_odds").value,
                         1'000'003.0 / static_cast<double>(window.totals.bigs));
    }
}

// Each thread plays its own machine on its own stream (thread i: i jumps) for its share of the
// games, and the run adds them up.
TEST(BatchRunTest, ThreadsPlayTheirSharesOnTheirStreamsAndMerge) {
    const RunPlan plan = normalPlan(2, 900'001, 3, 5150);
    const BatchResult result = runBatch(plan, nullptr, {});
    NormalTotals expected;
    for (int thread = 0; thread < 3; ++thread) {
        expected +=
            playLikeTheWindow(2, shareOf(900'001, 3, thread), streamForThread(plan.seed, thread))
                .totals;
    }
    EXPECT_EQ(result.normal, expected);
    NormalTotals batchSum;
    for (const NormalTotals& batch : result.batches) {
        batchSum += batch;
    }
    EXPECT_EQ(batchSum, expected);
    EXPECT_EQ(result.gamesPlayed, 900'001);
}

TEST(BatchRunTest, SharesAndStreams) {
    EXPECT_EQ(shareOf(10, 3, 0), 4);
    EXPECT_EQ(shareOf(10, 3, 1), 3);
    EXPECT_EQ(shareOf(10, 3, 2), 3);
    EXPECT_EQ(shareOf(2, 4, 3), 0);
    EXPECT_EQ(shareOf(-1, 4, 0), -1);
    Xoshiro256PlusPlus twice(9);
    twice.jump();
    twice.jump();
    Xoshiro256PlusPlus stream = streamForThread(9, 2);
    EXPECT_EQ(stream.nextBits(), twice.nextBits());
    EXPECT_EQ(streamForThread(9, 0).nextBits(), Xoshiro256PlusPlus(9).nextBits());
}

// The window's attempt run, step by step, with a new machine per attempt and get差枚 at the
// end of each.
AttemptTotals attemptsLikeTheWindow(std::int32_t setting, std::int64_t attempts,
                                    const EndConditions& end, Xoshiro256PlusPlus stream,
                                    std::int32_t maxGames = 0) {
    AttemptTotals totals;
    for (std::int64_t a = 0; a < attempts; ++a) {
        clsKorvale machine(stream);
        machine.mlngSettei = setting;
        const AttemptSample sample = playAttemptOn(machine, end, maxGames);
        totals.add(static_cast<std::int64_t>(sample.games), static_cast<std::int64_t>(sample.bigs),
                   static_cast<std::int64_t>(sample.regs), static_cast<std::int64_t>(sample.net),
                   static_cast<std::int64_t>(sample.coinsOut));
    }
    return totals;
}

void expectSameTotals(const AttemptTotals& actual, const AttemptTotals& expected) {
    EXPECT_EQ(actual.attempts, expected.attempts);
    EXPECT_EQ(actual.games, expected.games);
    EXPECT_EQ(actual.bigs, expected.bigs);
    EXPECT_EQ(actual.regs, expected.regs);
    EXPECT_EQ(actual.net, expected.net);
    EXPECT_EQ(actual.obtained, expected.obtained);
}

TEST(BatchRunTest, AttemptRunMatchesTheWindowsAttempts) {
    for (const EndConditions end :
         {EndConditions{300.0, 100}, EndConditions{300.5, 0}, EndConditions{0.0, 0},
          EndConditions{-3.0, 250}, EndConditions{50.0, 400}}) {
        const BatchResult result = runBatch(attemptPlan(1, 3000, 1, 31, end), nullptr, {});
        expectSameTotals(result.attempt,
                         attemptsLikeTheWindow(1, 3000, end, Xoshiro256PlusPlus(31)));
    }
    // With a game limit, which more than half of these attempts reach.
    RunPlan capped = attemptPlan(1, 3000, 1, 31, {300.0, 100});
    capped.maxGames = 600;
    expectSameTotals(runBatch(capped, nullptr, {}).attempt,
                     attemptsLikeTheWindow(1, 3000, {300.0, 100}, Xoshiro256PlusPlus(31), 600));
    // BIG end 0 and no REG: an attempt ends on its first BIG, so it has exactly one.
    const BatchResult firstBig = runBatch(attemptPlan(0, 500, 1, 8, {0.0, 0}), nullptr, {});
    EXPECT_EQ(firstBig.attempt.bigs, 500);
}

TEST(BatchRunTest, AttemptThreadsShareTheAttempts) {
    const EndConditions end{300.0, 100};
    const BatchResult result = runBatch(attemptPlan(4, 2001, 2, 12, end), nullptr, {});
    AttemptTotals expected = attemptsLikeTheWindow(4, 1001, end, streamForThread(12, 0));
    expected.merge(attemptsLikeTheWindow(4, 1000, end, streamForThread(12, 1)));
    expectSameTotals(result.attempt, expected);
    EXPECT_EQ(result.attempt.gamesPerAttempt.units, 2001);
}

RunPlan foundPlan(std::int32_t setting, std::int64_t attempts, int threads, std::uint64_t seed,
                  std::int32_t sinceBig, EndConditions end = {}) {
    RunPlan plan = attemptPlan(setting, attempts, threads, seed, end);
    plan.start.sinceBig = sinceBig;
    return plan;
}

TEST(BatchRunTest, SamePlanGivesTheSameReport) {
    for (const RunPlan& plan : {normalPlan(5, 3'000'000, 2, 404), attemptPlan(5, 5000, 2, 404),
                                foundPlan(5, 300, 2, 404, 700)}) {
        const BatchResult first = runBatch(plan, nullptr, {});
        const BatchResult second = runBatch(plan, nullptr, {});
        for (const OutputFormat format :
             {OutputFormat::Table, OutputFormat::Csv, OutputFormat::Json}) {
            Report a = simulationReport(first);
            Report b = simulationReport(second);
            a.timing.reset();
            b.timing.reset();
            EXPECT_EQ(formatReport(a, format), formatReport(b, format));
        }
        RunPlan other = plan;
        other.seed = 405;
        EXPECT_NE(formatReport(simulationReport(runBatch(other, nullptr, {})), OutputFormat::Csv),
                  formatReport(simulationReport(first), OutputFormat::Csv));
    }
}

// Reads a whole scratch file back.
std::string contentsOf(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    return text;
}

TEST(BatchRunTest, LogHoldsTheGridRowsInThreadOrder) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(std::tmpfile(), &std::fclose);
    const BatchResult normal = runBatch(normalPlan(0, 200'000, 2, 3), log.get(), {});
    auto rows = writtenCsvRecords(contentsOf(log.get()));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"BONUS", "回転数", "モード", "累計回転数", "スレッド"}));
    EXPECT_EQ(static_cast<std::int64_t>(rows.size() - 1), normal.normal.bigs + normal.normal.regs);
    std::int64_t bigRows = 0;
    std::int64_t gamesInRows[2] = {0, 0};
    std::string lastThread = "0";
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 5u);
        const std::string& thread = rows[i][4];
        EXPECT_LE(lastThread, thread);
        lastThread = thread;
        bigRows += rows[i][0] == "BIG" ? 1 : 0;
        std::int64_t& games = gamesInRows[std::stoi(thread)];
        games += std::stoll(rows[i][1]);
        // The running game number is the sum of the gaps so far on that thread's machine.
        EXPECT_EQ(std::stoll(rows[i][3]), games) << i;
        const int mode = std::stoi(rows[i][2]);
        EXPECT_TRUE(mode >= 0 && mode <= 5);
    }
    EXPECT_EQ(bigRows, normal.normal.bigs);
    // Games since the previous bonus add up to each machine's games up to its last bonus.
    EXPECT_LE(gamesInRows[0], 100'000);
    EXPECT_GT(gamesInRows[0], 100'000 - 3000);

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> attemptLog(std::tmpfile(), &std::fclose);
    const BatchResult attempts = runBatch(attemptPlan(0, 700, 3, 3), attemptLog.get(), {});
    rows = writtenCsvRecords(contentsOf(attemptLog.get()));
    EXPECT_EQ(rows[0], (std::vector<std::string>{"BIG", "REG", "差枚", "回転数", "スレッド"}));
    ASSERT_EQ(rows.size(), 701u);
    std::int64_t net = 0;
    std::int64_t bigs = 0;
    std::int64_t games = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        bigs += std::stoll(rows[i][0]);
        net += std::stoll(rows[i][2]);
        games += std::stoll(rows[i][3]);
    }
    EXPECT_EQ(net, attempts.attempt.net);
    EXPECT_EQ(bigs, attempts.attempt.bigs);
    EXPECT_EQ(games, attempts.attempt.games);
}

TEST(BatchRunTest, TimedRunsStopOnTime) {
    RunPlan normal = normalPlan(0, -1, 2, 1);
    normal.seconds = 0.2;
    const BatchResult played = runBatch(normal, nullptr, {});
    EXPECT_GT(played.normal.games, 0);
    EXPECT_EQ(played.normal.games, played.gamesPlayed);
    EXPECT_GE(played.seconds, 0.2);

    // Long enough for some attempts to finish even on a busy machine.
    RunPlan special = attemptPlan(0, -1, 2, 1);
    special.seconds = 0.5;
    const BatchResult attempts = runBatch(special, nullptr, {});
    EXPECT_GT(attempts.attempt.attempts, 0);
    EXPECT_LE(attempts.attempt.games, attempts.gamesPlayed);
}

// Found attempts: the figures come from the attempts alone, the games played to find the
// machines count only in the speed; quitting at the first BIG from G = 1500 is worth the closed
// form of the ceiling's geometric wait (within the 99% interval of each of three figures).
TEST(BatchRunTest, FoundAttemptsCountTheirOwnGamesAndMatchTheClosedForm) {
#ifdef KORVALE_SANITIZED
    constexpr std::int64_t attempts = 600;  // the sanitizers play about twenty times slower
#else
    constexpr std::int64_t attempts = 4000;
#endif
    const BatchResult result = runBatch(foundPlan(3, attempts, 2, 17, 1500, {0.0, 0}), nullptr, {});
    EXPECT_EQ(result.attempt.attempts, attempts);
    EXPECT_EQ(result.attempt.bigs, attempts);
    // Each machine took at least its 100 BIGs of warm-up, of more than one game each.
    EXPECT_GT(result.gamesPlayed, attempts * 100 + result.attempt.games);
    const FigureGroup group = measured(result);
    const CeilingAttempt exact = ceilingQuitAtFirstBig(3);
    const double widen = familyQuantile(3, 0.01) / familyQuantile(1);
    for (const auto& [key, value] :
         {std::pair{"games_per_attempt", exact.games}, std::pair{"reg_per_attempt", exact.regs},
          std::pair{"net_coins_per_attempt", exact.net}}) {
        const Figure& f = figure(group, key);
        const double half = widen * std::max(f.ci95.high - *f.value, *f.value - f.ci95.low);
        EXPECT_NEAR(*f.value, value, half) << key;
    }
}

// The control's flag stops a run that would not end, told as called off; while a run goes on its
// control hears the share and the games rising, and 1 at the end.
TEST(BatchRunTest, TheControlStopsTheRunAndHearsItsProgress) {
    const std::atomic<bool> cancel{true};
    RunPlan endless = attemptPlan(0, -1, 2, 9);
    endless.seconds = 5.0;  // were the flag not seen
    const BatchResult stopped = runBatch(endless, nullptr, {.cancel = &cancel});
    EXPECT_TRUE(stopped.interrupted);
    EXPECT_FALSE(stopped.limit);
    std::vector<double> shares;
    std::vector<std::int64_t> games;
    RunPlan timed = normalPlan(0, -1, 1, 9);
    timed.seconds = 0.6;
    const BatchResult played =
        runBatch(timed, nullptr,
                 {.progress = [&](double share) { shares.push_back(share); },
                  .played = [&](double, std::int64_t soFar) { games.push_back(soFar); }});
    EXPECT_FALSE(played.interrupted);
    ASSERT_GE(games.size(), 1u);
    EXPECT_TRUE(std::is_sorted(games.begin(), games.end()));
    EXPECT_GT(games.front(), 0);
    EXPECT_LE(games.back(), played.gamesPlayed);
    ASSERT_EQ(shares.size(), games.size() + 1);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
}

// A machine still looked for when the time is up is dropped, as an attempt still going is.
TEST(BatchRunTest, ARunLookingForMachinesStopsOnTime) {
    RunPlan rare = foundPlan(0, -1, 2, 5, 2800);  // about once in 10^13 games
    rare.seconds = 0.3;
    const BatchResult result = runBatch(rare, nullptr, {});
    EXPECT_EQ(result.attempt.attempts, 0);
    EXPECT_GT(result.gamesPlayed, 0);
    EXPECT_LT(result.seconds, 3.0);  // loose for a loaded machine
}

// Draws the given values out of 65536, then 65536 for ever: at 設定１ a draw of 1..100 is a
// REG, 101..323 a BIG in mode 0, 65536 no bonus whatever the mode.
class DrawsThenNoBonus final : public RandomSource {
  public:
    explicit DrawsThenNoBonus(std::vector<std::int32_t> draws) : draws_(std::move(draws)) {}
    double nextFraction() override {
        const std::int32_t draw = next_ < draws_.size() ? draws_[next_++] : 65536;
        return (static_cast<double>(draw) - 0.5) / 65536.0;
    }

  private:
    std::vector<std::int32_t> draws_;
    std::size_t next_ = 0;
};

// An attempt whose machine reaches a counter's limit ends there and names that counter; the
// machine keeps what it had counted. Each machine starts a few counts short of the limit.
TEST(BatchRunTest, AnAttemptAtACountersLimitNamesIt) {
    constexpr std::int32_t top = INT32_MAX;
    struct Case {
        std::int32_t clsKorvale::*counter;
        std::int32_t start;
        std::vector<std::int32_t> draws;  // a bonus takes a second draw, for the next mode
        AttemptEnd ended;
        std::string key;     // of the counter at its limit; empty for none
        std::int32_t games;  // mlngPlayCnt after: the game that failed counts in it too
    };
    const std::vector<Case> cases = {
        {&clsKorvale::mlngPlayCnt, top - 3, {}, AttemptEnd::AtLimit, "games", top},
        {&clsKorvale::mlngBigPlayCnt, top - 3, {}, AttemptEnd::AtLimit, "games_since_big", 4},
        {&clsKorvale::mlngBonusPlayCnt, top - 3, {}, AttemptEnd::AtLimit, "games_since_bonus", 4},
        {&clsKorvale::mlngBigCnt, top, {200}, AttemptEnd::AtLimit, "big", 1},
        {&clsKorvale::mlngRegCnt, top, {50}, AttemptEnd::AtLimit, "reg", 1},
        // BIG end 0: the attempt is over at its first BIG; far from any limit.
        {&clsKorvale::mlngPlayCnt, 0, {200, 30000}, AttemptEnd::Finished, "", 1},
    };
    const WorkControl control;
    for (const Case& c : cases) {
        DrawsThenNoBonus random(c.draws);
        clsKorvale machine(random);
        machine.*c.counter = c.start;
        SCOPED_TRACE(c.key);
        EXPECT_EQ(playOneAttempt(machine, {0.0, 0}, control), c.ended);
        EXPECT_EQ(machine.mlngPlayCnt, c.games);
        const std::optional<CounterLimit> limit = counterAtLimit(machine);
        EXPECT_EQ(limit ? limit->key : "", c.key);
    }
    // A game limit ends the attempt at its game, counted from where the attempt began; an
    // attempt its rule ends first is not held to it.
    struct LimitCase {
        std::int32_t playedBefore;
        std::vector<std::int32_t> draws;
        std::int32_t maxGames;
        std::int32_t games;
        AttemptEnd ended;
    };
    for (const LimitCase& c :
         {LimitCase{0, {}, 7, 7, AttemptEnd::Capped}, LimitCase{40, {}, 1, 41, AttemptEnd::Capped},
          LimitCase{0, {60000, 200, 30000}, 5, 2, AttemptEnd::Finished}}) {
        DrawsThenNoBonus random(c.draws);
        clsKorvale machine(random);
        machine.mlngPlayCnt = c.playedBefore;
        EXPECT_EQ(playOneAttempt(machine, {0.0, 0}, control, nullptr, c.maxGames), c.ended);
        EXPECT_EQ(machine.mlngPlayCnt, c.games);
    }
    // A stop is seen every 65536 games.
    DrawsThenNoBonus random({});
    clsKorvale machine(random);
    machine.mlngPlayCnt = 65535;
    const std::atomic<bool> stop{true};
    EXPECT_EQ(playOneAttempt(machine, {0.0, 0}, WorkControl{.cancel = &stop}), AttemptEnd::Stopped);
    EXPECT_EQ(machine.mlngPlayCnt, 65536);
}

// A machine found 3 games short of the count's limit, no bonus drawn: its attempt reaches the
// limit at its 4th game and ends the play, nothing booked, the limit and the games told.
TEST(BatchRunTest, AnAttemptsLimitEndsThePlayAndIsTold) {
    DrawsThenNoBonus random({});
    std::array<double, modeCount> firstMode{};
    firstMode[0] = 1.0;
    WorkerCounts counts;
    const AttemptTotals totals =
        playAttempts(0, {0.0, 0}, std::nullopt, {.sinceBig = INT32_MAX - 3, .modeLaw = firstMode},
                     HallRates{}, 5, random, {}, counts, nullptr);
    EXPECT_EQ(totals.attempts, 0);
    ASSERT_TRUE(counts.limit);
    EXPECT_EQ(counts.limit->key, "games_since_big");
    EXPECT_EQ(counts.limit->games, 4);
    EXPECT_EQ(counts.games.load(), 4);
    EXPECT_EQ(counts.attempts.load(), 0);
}

// How deep an attempt's net goes, worked by hand at 設定１ (c = 1.604) for a scripted attempt
// that ends at its first BIG: 100 games without a bonus (net -160), a REG at game 101
// (127 - 162 = -35), 199 more games (127 - round(481.2) = -354), a BIG at game 301
// (515 - 483 = 32). D = 354: 8 lots of 50 coins, ¥8000; at 5.6 coins per ¥100 the attempt is
// worth (400 + 32) × 100 / 5.6 - 8000 yen, from stored coins 32 × 100 / 5.6.
TEST(BatchRunTest, TheDeepestPointOfAScriptedAttempt) {
    std::vector<std::int32_t> draws(100, 65536);
    draws.insert(draws.end(), {50, 30000});  // the REG and its mode's draw
    draws.insert(draws.end(), 199, 65536);
    draws.insert(draws.end(), {150, 30000});  // the BIG
    DrawsThenNoBonus random(draws);
    clsKorvale machine(random);
    DeepestPoint deepest;
    ASSERT_EQ(playOneAttempt(machine, {0.0, 0}, WorkControl{}, &deepest), AttemptEnd::Finished);
    ASSERT_EQ(machine.mlngPlayCnt, 301);
    std::string rate;
    std::int32_t obtained = 0;
    const std::int32_t net = machine.get差枚(rate, obtained);
    EXPECT_EQ(net, 32);
    deepest.see(net);
    EXPECT_EQ(deepest.deepest(), 354);
    const HallRates rates{.lend = 50, .exchange = 5.6, .pay = CoinSource::Cash};
    EXPECT_EQ(lotsBought(rates, deepest.deepest()), 8);
    EXPECT_DOUBLE_EQ(yenFromCash(rates, net, deepest.deepest()), 43200.0 / 5.6 - 8000.0);
    EXPECT_DOUBLE_EQ(yenOfCoins(rates, net), 3200.0 / 5.6);
    // Lots: none for a net that never fell below 0, one for 1 to 50 coins down, two for 51.
    EXPECT_EQ(lotsBought(rates, 0), 0);
    EXPECT_EQ(lotsBought(rates, 50), 1);
    EXPECT_EQ(lotsBought(rates, 51), 2);
}

// A run ended by a counter's limit prints the attempts finished before it, marked partial and
// naming the counter, in every format.
TEST(BatchRunTest, ARunEndedAtALimitReportsWhatItFinished) {
    BatchResult result = runBatch(attemptPlan(0, 40, 1, 5), nullptr, {});
    result.limit = CounterLimit{.key = "games", .words = "", .shown = "機械のプレイ数"};
    const Report report = simulationReport(result);
    const std::string table = formatReport(report, OutputFormat::Table);
    EXPECT_NE(table.find("（打ち切り: カウンターが上限に達するまでに終えた挑戦の数値です）"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("機械のプレイ数（32ビット整数の上限 2,147,483,647"), std::string::npos);
    bool factInCsv = false;
    bool partialInCsv = false;
    for (const auto& row : writtenCsvRecords(formatReport(report, OutputFormat::Csv))) {
        factInCsv |= row.at(0) == "run" && row.at(5) == "counter_at_limit" && row.at(9) == "games";
        partialInCsv |= row.at(0) == "run" && row.at(5) == "partial" && row.at(9) == "1";
    }
    EXPECT_TRUE(factInCsv && partialInCsv);
    const std::string json = formatReport(report, OutputFormat::Json);
    EXPECT_NE(json.find("\"counter_at_limit\": \"games\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"partial\": true"), std::string::npos);
    EXPECT_EQ(figure(measured(result), "attempts").value, 40);
}

// A long run's intervals come from its batches: they hold the figure, and the one for the BIG
// odds is not narrower than games alone would make it.
TEST(BatchRunTest, NormalIntervalsSurroundTheFigures) {
    const BatchResult result = runBatch(normalPlan(3, 20'000'000, 2, 11), nullptr, {});
    EXPECT_GE(result.batches.size(), 2 * BatchSeries::maxBatches / 2);
    const FigureGroup figures = measured(result);
    for (const Figure& f : figures.figures) {
        if (f.unit == Unit::Count || f.key == "net_coins" || !f.value ||
            f.key.starts_with("mode0_")) {
            continue;
        }
        ASSERT_TRUE(f.ci95.known) << f.key;
        if (f.key.find("_p") != std::string::npos) {
            // A percentile of whole numbers (games between BIGs) may have an interval of one
            // value: a quarter of all waits are one or two games long.
            EXPECT_LE(f.ci95.low, *f.value) << f.key;
            EXPECT_GE(f.ci95.high, *f.value) << f.key;
            continue;
        }
        EXPECT_LT(f.ci95.low, *f.value) << f.key;
        EXPECT_GT(f.ci95.high, *f.value) << f.key;
    }
    const Figure& bigOdds = figure(figures, "big_odds");
    // Independent games alone would give a relative half-width of about 1.96 / sqrt(BIGs).
    const double poissonHalfWidth =
        1.96 * *bigOdds.value / std::sqrt(static_cast<double>(result.normal.bigs));
    EXPECT_GT(bigOdds.ci95.high - *bigOdds.value, poissonHalfWidth);
}

}  // namespace
}  // namespace korvale
