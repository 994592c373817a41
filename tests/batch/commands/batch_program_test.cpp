// korvale-batch as a user meets it: subcommands, help, strict values, the three formats (golden
// files of small seeded runs), the logs, the progress bar and Ctrl-C.

#include "batch/commands/batch_program.h"
#include "tests/batch/commands/program_outcome.h"

#include "analysis/numeric/vector_variant.h"
#include "batch/run/interrupt.h"
#include "common/csv.h"
#include "tests/support/written_csv.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

namespace korvale {
namespace {

using testing::Outcome;
using testing::readFile;
using testing::run;

TEST(BatchHelpTest, EveryCommandHasHelpAndTheProgramAVersion) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--help"},
                                               {"-h"},
                                               {"simulate", "--help"},
                                               {"simulate", "normal", "-h"},
                                               {"simulate", "special", "--help"},
                                               {"exact", "--help"},
                                               {"sweep", "-h"},
                                               {"hunt", "--help"},
                                               {"infer", "--help"}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 0) << arguments.back();
        EXPECT_NE(outcome.out.find("Usage: korvale-batch"), std::string::npos) << outcome.out;
        EXPECT_EQ(outcome.err, "");
    }
    EXPECT_NE(run({"simulate", "special", "-h"}).out.find("--big-end"), std::string::npos);
    // With the variant of the vector code that runs.
    const VectorVariant running = activeVectorVariant();
    for (const auto& [variant, name] :
         {std::pair{VectorVariant::sse2, "sse2"}, std::pair{VectorVariant::avx2, "avx2"}}) {
        if (vectorVariantSupported(variant)) {
            setVectorVariant(variant);
            EXPECT_EQ(run({"--version"}).out, std::string("korvale-batch ") + KORVALE_VERSION +
                                                  " (vector code: " + name + ")\n");
        }
    }
    setVectorVariant(running);
}

// Each bad command line: exit 2, nothing on stdout, one line on stderr that starts as given.
TEST(BatchBadValuesTest, NameTheOptionAndTheFormExpected) {
    struct Case {
        std::vector<std::string> arguments;
        std::string start;
    };
    // Beyond a double, and too small to be told from 0.
    const std::string huge = "1" + std::string(400, '0');
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::string beyondCounter = "\" is beyond the 32-bit game counter (at most 2147483647)";
    const std::string twoE307 = "2" + std::string(307, '0');
    const std::vector<Case> cases = {
        {{"exact", "--setting", "1", "--big-end", huge},
         "korvale-batch: --big-end: \"" + huge + beyondCounter},
        {{"exact", "--setting", "1", "--reg-end", huge},
         "korvale-batch: --reg-end: \"" + huge + beyondCounter},
        {{"simulate", "special", "--big-end", huge},
         "korvale-batch: --big-end: \"" + huge + beyondCounter},
        {{"simulate", "special", "--reg-end", "2147483647.5"},
         "korvale-batch: --reg-end: \"2147483647.5" + beyondCounter},
        {{"simulate", "special", "--big-end", tiny},
         "korvale-batch: --big-end: \"" + tiny + "\" is too small to be told from 0\n"},
        {{"simulate", "normal", "--seconds", huge},
         "korvale-batch: --seconds: expected a number of seconds above 0 and at most 1000000000"},
        // What the user typed is echoed with its controls escaped: C0, C1, U+202E.
        {{"simulate", "normal", "--setting", "\xC2\x85\x1B[2J"},
         "korvale-batch: --setting: expected an integer 1..6, got \"\\xC2\\x85\\x1B[2J\"\n"},
        {{"exact", "--\xE2\x80\xAEx"},
         "korvale-batch: exact: there is no option \"--\\xE2\\x80\\xAEx\""},
        {{"play\x07"}, "korvale-batch: unknown command \"play\\x07\""},
        {{},
         "korvale-batch: a command is needed: simulate, exact, sweep, hunt or infer (see "
         "korvale-batch --help)\n"},
        {{"play"},
         "korvale-batch: unknown command \"play\" (the commands are simulate, exact, sweep, "
         "hunt, infer)"},
        // A machine found some games after its last BIG.
        {{"exact", "--since-big", "1.5", "--big-end", "0"},
         "korvale-batch: --since-big: expected a whole number of games 0..1000000, got \"1.5\""},
        {{"sweep", "--since-big", "1000001", "--means-only"},
         "korvale-batch: --since-big: expected a whole number of games 0..1000000"},
        {{"exact", "--since-big", "5"},
         "korvale-batch: --since-big: an attempt from a found machine needs --big-end or "
         "--reg-end"},
        {{"exact", "--since-big", "5", "--big-end", "0", "--setting", "2", "--prior",
          "1,1,1,1,1,1"},
         "korvale-batch: --prior: the prior weighs the six settings: leave out --setting"},
        {{"exact", "--big-end", "0", "--prior", "1,1,1,1,1,1"},
         "korvale-batch: --prior: the prior weighs the settings given --since-big G"},
        {{"hunt", "--since-big-grid", "0:1001:1"},
         "korvale-batch: --since-big-grid: \"0:1001:1\" has more than 1001 counts\n"},
        {{"hunt", "--since-big-grid", "0:1500"}, "korvale-batch: --since-big-grid: expected"},
        {{"hunt", "--games-per-hour", "-800"}, "korvale-batch: --games-per-hour: expected"},
        {{"simulate", "fast"},
         "korvale-batch: unknown command \"fast\" (the commands are normal, special)"},
        {{"simulate"},
         "korvale-batch: simulate: a command is needed: normal or special (see korvale-batch "
         "simulate --help)\n"},
        {{"simulate", "normal", "-s"},
         "korvale-batch: simulate normal: there is no option \"-s\" (see korvale-batch simulate "
         "normal --help)\n"},
        {{"simulate", "normal", "--games", "5", "--games", "6"},
         "korvale-batch: --games: given more than once (see korvale-batch simulate normal "
         "--help)\n"},
        {{"infer", "a", "b"}, "korvale-batch: infer: \"b\" is not expected"},
        {{"simulate", "normal", "--setting", "\xff"},
         "korvale-batch: --setting: expected an integer 1..6, got \"\\xFF\"\n"},
        {{"exact", "--laws"},
         "korvale-batch: --laws: the laws of an attempt need --big-end or --reg-end"},
        {{"simulate", "normal", "--bogus"}, "korvale-batch: simulate normal: there is no option"},
        {{"simulate", "normal", "--setting", "9"},
         "korvale-batch: --setting: expected an integer 1..6"},
        {{"simulate", "normal", "--setting", "１"},
         "korvale-batch: --setting: expected an integer"},
        {{"simulate", "normal", "--games", "1e6"},
         "korvale-batch: --games: expected a whole number"},
        {{"simulate", "normal", "--games", "0x10"},
         "korvale-batch: --games: expected a whole number"},
        {{"simulate", "normal", "--games", "-5"},
         "korvale-batch: --games: expected a whole number"},
        {{"simulate", "normal", "--games"},
         "korvale-batch: --games: the value is missing (see korvale-batch simulate normal "
         "--help)\n"},
        {{"simulate", "normal", "--big-end", "300"},
         "korvale-batch: simulate normal: there is no option \"--big-end\""},
        {{"simulate", "normal", "--games", "5", "--seconds", "1"},
         "korvale-batch: --seconds: give only one"},
        {{"simulate", "normal", "--seconds", "0"},
         "korvale-batch: --seconds: expected a number of seconds"},
        {{"simulate", "normal", "--threads", "0"},
         "korvale-batch: --threads: expected an integer 1..256"},
        {{"exact", "--threads", "257"}, "korvale-batch: --threads: expected an integer 1..256"},
        {{"sweep", "--means-only", "--frontier"},
         "korvale-batch: --frontier: the frontier needs each rule's chance to end ahead"},
        {{"simulate", "normal", "--seed", "-1"}, "korvale-batch: --seed: expected a whole number"},
        {{"simulate", "normal", "--format", "xml"},
         "korvale-batch: --format: expected table, csv or json"},
        {{"simulate", "special", "--games", "5"},
         "korvale-batch: simulate special: there is no option \"--games\""},
        {{"simulate", "special", "--big-end", "abc"},
         "korvale-batch: --big-end: expected a decimal number"},
        {{"simulate", "special", "--big-end", "1e9"},
         "korvale-batch: --big-end: expected a decimal number"},
        {{"simulate", "special", "--big-end", "3OO"},
         "korvale-batch: --big-end: expected a decimal number"},
        {{"simulate", "special", "--reg-end", ""},
         "korvale-batch: --reg-end: expected a decimal number"},
        {{"simulate", "special", "--big-end", "99999999999", "--seconds", "1"},
         "korvale-batch: --big-end: no attempt can meet"},
        {{"simulate", "special", "--big-end", "3000"},
         "korvale-batch: --big-end: no attempt can meet"},
        {{"simulate", "special", "--reg-end", "20000"},
         "korvale-batch: --reg-end: no attempt can meet"},
        {{"simulate", "special", "--big-end", "-1"},
         "korvale-batch: --big-end: expected a decimal number of games, 0 or more"},
        {{"simulate", "special", "--reg-end", "-0.6"},
         "korvale-batch: --reg-end: expected a decimal number of games, 0 or more"},
        {{"exact", "--big-end", "-300"},
         "korvale-batch: --big-end: expected a decimal number of games, 0 or more"},
        {{"simulate", "special", "--big-end", "2500", "--reg-end", "0"},
         "korvale-batch: --big-end: no attempt can meet these end conditions within the machine's "
         "32-bit game counter: one attempt is expected to last "},
        {{"simulate", "special", "--big-end", "2300", "--seconds", "10"},
         "korvale-batch: --big-end: no attempt can meet"},
        // Some 5e8 games an attempt: one in seventy outlasts the counter.
        {{"simulate", "special", "--big-end", "2200", "--reg-end", "0", "--attempts", "1000"},
         "korvale-batch: --attempts: "},
        {{"simulate", "special", "--reg-end", "9999999999"},
         "korvale-batch: --reg-end: \"9999999999\" is beyond"},
        {{"simulate", "special", "--max-games", "0"},
         "korvale-batch: --max-games: expected a whole number of games 1..100000"},
        {{"simulate", "special", "--max-games", "100001"},
         "korvale-batch: --max-games: expected a whole number of games 1..100000"},
        {{"exact", "--max-games", "500"},
         "korvale-batch: --max-games: a game limit ends an attempt: give --big-end or --reg-end"},
        {{"sweep", "--max-games", "0"},
         "korvale-batch: --max-games: expected a whole number of games 1..100000"},
        {{"sweep", "--max-games", "2e3"},
         "korvale-batch: --max-games: expected a whole number of games 1..100000"},
        {{"sweep", "--frontier", "--max-games", "500"},
         "korvale-batch: --frontier: the frontier needs each rule's chance to end ahead, which is "
         "not worked out for an attempt with a game limit"},
        {{"simulate", "special", "--since-big", "-1"},
         "korvale-batch: --since-big: expected a whole number of games 0..1000000"},
        {{"simulate", "special", "--since-big", "1500.0"},
         "korvale-batch: --since-big: expected a whole number of games 0..1000000"},
        {{"simulate", "special", "--since-big", "99999999999"},
         "korvale-batch: --since-big: expected a whole number of games 0..1000000"},
        // Past the bound the ceiling alone gives, and within it by the long run's own law.
        {{"simulate", "special", "--since-big", "1000000"},
         "korvale-batch: --since-big: a machine 1000000 games after its last BIG is too rare "
         "to look for: finding one is expected to take over 2147483647 games of play, and the "
         "simulation looks only where it expects at most 2147483647\n"},
        {{"simulate", "special", "--since-big", "2400", "--seconds", "1"},
         "korvale-batch: --since-big: a machine 2400 games after its last BIG is too rare to look "
         "for: finding one is expected to take "},
        {{"simulate", "normal", "--since-big", "5"},
         "korvale-batch: simulate normal: there is no option \"--since-big\""},
        {{"exact", "--big-end", "2500"}, "korvale-batch: --big-end: the exact figures take"},
        {{"exact", "--reg-end", "1001"}, "korvale-batch: --reg-end: the exact figures take"},
        {{"exact", "--games", "5"}, "korvale-batch: exact: there is no option \"--games\""},
        {{"sweep", "--big-ends", "0:1000"}, "korvale-batch: --big-ends: expected FIRST:LAST:STEP"},
        {{"sweep", "--reg-ends", "100:50:10"},
         "korvale-batch: --reg-ends: expected FIRST:LAST:STEP"},
        {{"sweep", "--big-ends", "0:100:0"}, "korvale-batch: --big-ends: expected FIRST:LAST:STEP"},
        // Limits hold for the number as typed, not for the double it rounds to.
        {{"exact", "--exchange", "0.09999999999999999999"},
         "korvale-batch: --exchange: expected coins for ¥100, 0.1 to 1000"},
        {{"exact", "--exchange", "1000.00000000000000000001"},
         "korvale-batch: --exchange: expected coins for ¥100, 0.1 to 1000"},
        {{"hunt", "--games-per-hour", "100000.000000000000000001"},
         "korvale-batch: --games-per-hour: expected games an hour, 1 to 100000"},
        {{"simulate", "normal", "--seconds", "1000000000.0000000000000001"},
         "korvale-batch: --seconds: expected a number of seconds above 0 and at most 1000000000"},
        {{"exact", "--setting", "1", "--big-end", "2000.0000000000000000001"},
         "korvale-batch: --big-end: the exact figures take a BIG end of at most 2000"},
        {{"infer", "-", "--prior", "17" + std::string(307, '0') + ",1,1,1,1,1"},
         "korvale-batch: --prior: expected six weights"},
        // Five weights of 2 x 10^307: a sum of 10^308 exactly.
        {{"infer", "-", "--prior",
          twoE307 + "," + twoE307 + ",0," + twoE307 + "," + twoE307 + "," + twoE307},
         "korvale-batch: --prior: expected six weights"},
        // Messages that name what would make the command line good.
        {{"exact", "--day-games", "100", "--max-games", "50"},
         "korvale-batch: --day-games: a day is played from the morning to its last game: leave "
         "out the end conditions, --max-games, --since-big, --prior and --laws\n"},
        {{"exact", "--day-games", "100", "--laws"}, "korvale-batch: --day-games: a day is played"},
        {{"exact", "--day-games", "100", "--since-big", "5"},
         "korvale-batch: --day-games: a day is played"},
        {{"exact", "--day-games", "100", "--prior", "1,1,1,1,1,1"},
         "korvale-batch: --day-games: a day is played"},
        {{"simulate", "normal", "--exchange", "5.6"},
         "korvale-batch: --exchange: the hall's rates of a normal run are a day's: give "
         "--day-games N or --days D\n"},
        {{"exact", "--since-big", "1200"},
         "korvale-batch: --since-big: an attempt from a found machine needs --big-end or "
         "--reg-end (hunt's rule, to the first BIG: --big-end 0 --reg-end 0)\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.arguments);
        const std::string line = ::testing::PrintToString(c.arguments);
        EXPECT_EQ(outcome.status, 2) << line;
        EXPECT_EQ(outcome.out, "") << line;
        EXPECT_EQ(outcome.err.rfind(c.start, 0), 0u) << line << " said: " << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
    }
}

// Values at their limits, as typed, are taken: the limits' own texts, and texts just inside
// them that read as the limits' doubles.
TEST(BatchBadValuesTest, ValuesJustInsideTheLimitsAreTaken) {
    const std::string nines = std::string(307, '9');  // six of them sum to just below 10^308
    const std::vector<std::vector<std::string>> taken = {
        {"exact", "--setting", "1", "--exchange", "0.1"},
        {"exact", "--setting", "1", "--exchange", "0.10000000000000000001"},
        {"exact", "--setting", "1", "--exchange", "1000"},
        {"exact", "--setting", "1", "--exchange", "999.99999999999999999999"},
        {"exact", "--setting", "1", "--big-end", "1999.9999999999999999999", "--reg-end", "0",
         "--max-games", "10"},
        {"infer", "-", "--prior", "1" + nines + ",0,0,0,0,0"},
        {"infer", "-", "--prior",
         nines + "," + nines + "," + nines + "," + nines + "," + nines + "," + nines},
    };
    for (const std::vector<std::string>& arguments : taken) {
        const std::string line = ::testing::PrintToString(arguments);
        const Outcome outcome = testing::runWithInput(arguments, "BIG 100\n");
        EXPECT_EQ(outcome.status, 0) << line << " said: " << outcome.err;
    }
}

// The refusal names the expected games of one attempt: at BIG end 2000 some 23.2 million,
// growing about 4.65 times for every further 100 games (the ceiling's BIG chance, 1000/65536,
// in every game past it).
TEST(BatchRefusalTest, NamesTheExpectedGamesOfOneAttempt) {
    const Outcome outcome = run({"simulate", "special", "--big-end", "2500", "--reg-end", "0"});
    EXPECT_EQ(outcome.status, 2);
    const std::string lead = "expected to last ";
    const std::size_t at = outcome.err.find(lead);
    ASSERT_NE(at, std::string::npos) << outcome.err;
    const double games = std::strtod(outcome.err.c_str() + at + lead.size(), nullptr);
    EXPECT_NEAR(games / (23.2e6 * std::pow(4.65, 5)), 1.0, 0.03) << outcome.err;
}

// A run asked for that would take hours is warned of on standard error, and played.
TEST(BatchRefusalTest, WarnsOfARunLongerThanAnHour) {
    catchInterrupt();
    std::raise(SIGINT);  // stops the run at its first look
    const Outcome outcome = run({"simulate", "special", "--big-end", "2000", "--reg-end", "0",
                                 "--attempts", "1000000", "--threads", "2", "--format", "json"});
    clearInterrupt();
    EXPECT_EQ(outcome.status, 130);
    EXPECT_EQ(outcome.err.rfind("korvale-batch: warning: ", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("hours"), std::string::npos) << outcome.err;
    EXPECT_EQ(run({"simulate", "special", "--big-end", "300", "--attempts", "1000", "--threads",
                   "1", "--seed", "1"})
                  .err,
              "");
}

// End conditions are read as decimals; the REG end is taken to whole games, halves to even.
TEST(BatchValuesTest, EndConditionsAreDecimalsAndTheRegEndRoundsHalfToEven) {
    struct Case {
        std::string bigEnd;
        std::string regEnd;
        double bigExpected;
        double regExpected;
    };
    for (const Case& c : std::vector<Case>{{"300.5", "100.5", 300.5, 100},
                                           {"0", "100.5000000000000000001", 0, 101},
                                           {"+12", "101.5", 12, 102},
                                           {"5.", ".5", 5, 0},
                                           {"0", "2.5", 0, 2}}) {
        const Outcome outcome =
            run({"simulate", "special", "--attempts", "3", "--threads", "1", "--seed", "1",
                 "--big-end", c.bigEnd, "--reg-end", c.regEnd, "--format", "json"});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const auto report = nlohmann::json::parse(outcome.out);
        EXPECT_EQ(report["run"]["big_end"], c.bigExpected) << c.bigEnd;
        EXPECT_EQ(report["run"]["reg_end"], c.regExpected) << c.regEnd;
        EXPECT_EQ(report["results"][0]["reg_end"], c.regExpected) << c.regEnd;
    }
}

// Decimals to ten significant digits, so that the last bits of a sum (which a change of the
// order of additions moves) do not count as a change of the output.
std::string roundedNumbers(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        const bool starts = std::isdigit(static_cast<unsigned char>(text[i])) ||
                            (text[i] == '-' && i + 1 < text.size() &&
                             std::isdigit(static_cast<unsigned char>(text[i + 1])));
        const bool boundary =
            i == 0 || std::string_view(",: [\n").find(text[i - 1]) != std::string_view::npos;
        if (!starts || !boundary) {
            result += text[i++];
            continue;
        }
        char* end = nullptr;
        const double value = std::strtod(text.c_str() + i, &end);
        const std::string token(text.c_str() + i, static_cast<const char*>(end));
        i += token.size();
        if (token.find('.') == std::string::npos) {
            result += token;
            continue;
        }
        char rounded[32];
        std::snprintf(rounded, sizeof rounded, "%.10g", value);
        result += rounded;
    }
    return result;
}

// The output without the time taken, which differs from run to run, and without the points of
// the laws (thousands of them; their values are tested where they are worked out).
std::string comparable(const std::string& text, const std::string& format) {
    if (format == "json") {
        auto report = nlohmann::ordered_json::parse(text);
        report.erase("timing");
        for (auto& group : report["results"]) {
            group.erase("series");
        }
        return roundedNumbers(report.dump(2) + "\n");
    }
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        // CSV: the ninth field, x, is set on the points of a law only.
        bool lawPoint = false;
        if (format == "csv" && !line.starts_with("\xEF\xBB\xBFsource,")) {
            CsvReader record(line);
            const std::vector<std::string>& fields = record.next().fields;
            lawPoint = fields.size() > 8 && !fields[8].empty();
        }
        if (!lawPoint && !line.starts_with("timing,") && !line.starts_with("時間（秒）") &&
            !line.starts_with("ゲーム/秒")) {
            kept += line + "\n";
        }
    }
    return format == "csv" ? roundedNumbers(kept) : kept;
}

// Golden files: what each subcommand prints for a small seeded run, in each format. After a
// deliberate change of the output, KORVALE_UPDATE_GOLDEN=1 writes them anew (read the diff).
TEST(BatchGoldenTest, EachSubcommandInEachFormat) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
        {"simulate_normal",
         {"simulate", "normal", "--setting", "4", "--games", "300000", "--threads", "2", "--seed",
          "7"}},
        {"simulate_attempts",
         {"simulate", "special", "--setting", "2", "--attempts", "400", "--threads", "2", "--seed",
          "7", "--big-end", "150.5", "--reg-end", "50"}},
        {"exact", {"exact", "--setting", "6"}},
        // Rules one game long, as each takes its outcome law.
        {"sweep", {"sweep", "--setting", "5", "--big-ends", "0:1:1", "--reg-ends", "0:1:1"}},
        // A machine found under the ceiling, every setting and the posterior's mixture.
        {"exact_found", {"exact", "--since-big", "1500", "--big-end", "0", "--reg-end", "0"}},
        {"hunt", {"hunt", "--since-big-grid", "1100:1500:200", "--prior", "1,1,1,1,1,3"}},
    };
    const bool update = std::getenv("KORVALE_UPDATE_GOLDEN") != nullptr;
    const std::vector<std::string> formats = {"table", "csv", "json"};
    for (std::size_t c = 0; c < commands.size(); ++c) {
        const auto& [name, arguments] = commands[c];
        for (std::size_t f = 0; f < formats.size(); ++f) {
#ifdef KORVALE_SANITIZED
            // The formats of a command share its run, many times slower there: each command in
            // one format, each format twice over the commands.
            if (f != c % formats.size() && !update) {
                continue;
            }
#endif
            const std::string& format = formats[f];
            std::vector<std::string> withFormat = arguments;
            withFormat.insert(withFormat.end(), {"--format", format});
            const Outcome outcome = run(withFormat);
            ASSERT_EQ(outcome.status, 0) << name << " " << outcome.err;
            const std::string text = comparable(outcome.out, format);
            const std::string path =
                std::string(KORVALE_GOLDEN_DIR) + "/" + name + "." + format + ".txt";
            if (update) {
                std::ofstream(path, std::ios::binary) << text;
            }
            EXPECT_EQ(text, readFile(path)) << path;
        }
    }
}

TEST(BatchLogTest, LogsCarryTheGridsColumnsAndTheGames) {
    const std::string path = ::testing::TempDir() + "korvale_batch_log_test.csv";
    const Outcome outcome = run({"simulate", "special", "--attempts", "250", "--seed", "1",
                                 "--threads", "2", "--log", path, "--format", "json"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto records = writtenCsvRecords(readFile(path));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0], (std::vector<std::string>{"BIG", "REG", "差枚", "回転数", "スレッド"}));
    long long games = 0;
    int rows = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        ++rows;
        games += std::stoll(records[i].at(3));
    }
    EXPECT_EQ(rows, 250);
    const auto report = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(games, report["results"][0]["figures"]["games"]["value"].get<double>());
    std::remove(path.c_str());
}

TEST(BatchProgressTest, BarOnlyOnATerminal) {
    const std::vector<std::string> timed = {"simulate",  "normal", "--seconds", "0.5",
                                            "--threads", "1",      "--seed",    "1"};
    EXPECT_EQ(run(timed).err, "");
    const Outcome terminal = run(timed, true);
    EXPECT_EQ(terminal.status, 0);
    for (const char* part : {"games/s", "%", "left"}) {
        EXPECT_NE(terminal.err.find(part), std::string::npos) << part;
    }
    const Outcome sweep = run(
        {"sweep", "--setting", "1", "--big-ends", "0:1:1", "--reg-ends", "0:0:1", "--threads", "1"},
        true);
    EXPECT_NE(sweep.err.find("left"), std::string::npos);
    EXPECT_EQ(sweep.err.back(), '\r');  // the line is cleared at the end
}

// Runs korvale-batch with standard output to `outPath`; returns the status and standard error.
Outcome runWithOutputTo(const std::vector<std::string>& arguments, const std::string& outPath) {
    int error[2];
    if (pipe(error) != 0) {
        return {-1, "", ""};
    }
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY);
        dup2(out, STDOUT_FILENO);
        dup2(error[1], STDERR_FILENO);
        close(error[0]);
        std::vector<char*> argv = {const_cast<char*>("korvale-batch")};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(KORVALE_BATCH_PATH, argv.data());
        _exit(127);
    }
    close(error[1]);
    Outcome outcome{-1, "", ""};
    char buffer[4096];
    for (ssize_t got; (got = read(error[0], buffer, sizeof buffer)) > 0;) {
        outcome.err.append(buffer, static_cast<std::size_t>(got));
    }
    close(error[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// A full disk is never taken for success: every command, and the help, says that standard
// output (or the log) could not be written, with the system's reason, and exits 1.
TEST(BatchWriteFailureTest, AFullDiskExits1WithTheReason) {
    const std::string history = ::testing::TempDir() + "korvale_full_disk_history.txt";
    std::ofstream(history) << "BIG 123\nREG 45\nBIG 3\n";
    const std::string stdoutFull =
        "korvale-batch: cannot write to standard output: No space left on device\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"exact", "--setting", "2"}, stdoutFull},
        {{"exact", "--setting", "2", "--format", "json"}, stdoutFull},
        {{"simulate", "normal", "--games", "100000", "--threads", "1", "--seed", "1"}, stdoutFull},
        {{"simulate", "special", "--attempts", "20", "--threads", "1", "--seed", "1", "--format",
          "csv"},
         stdoutFull},
        {{"infer", history}, stdoutFull},
        {{"sweep", "--setting", "1", "--big-ends", "0:0:1", "--reg-ends", "0:0:1"}, stdoutFull},
        {{"--help"}, stdoutFull},
        {{"exact", "--help"}, stdoutFull},
        {{"--version"}, stdoutFull},
        {{"simulate", "special", "--attempts", "20", "--threads", "1", "--log", "/dev/full"},
         "korvale-batch: --log: cannot write \"/dev/full\": No space left on device\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const std::string to = message == stdoutFull ? "/dev/full" : "/dev/null";
        const Outcome outcome = runWithOutputTo(arguments, to);
        EXPECT_EQ(outcome.status, 1) << ::testing::PrintToString(arguments);
        EXPECT_EQ(outcome.err, message) << ::testing::PrintToString(arguments);
    }
    std::remove(history.c_str());
}

// A file that cannot be opened exits 1, as one that cannot be read or written: the log as the
// history. Its name is shown escaped.
TEST(BatchWriteFailureTest, ALogThatCannotBeOpenedExits1) {
    const struct {
        std::string path;
        std::string shown;
    } cases[] = {
        {"/nonexistent-folder/rows.csv", "/nonexistent-folder/rows.csv"},
        {"/nonexistent-\x1B]0;x\x07/rows.csv", "/nonexistent-\\x1B]0;x\\x07/rows.csv"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = run({"simulate", "special", "--attempts", "10", "--threads", "1",
                                     "--seed", "1", "--log", c.path});
        EXPECT_EQ(outcome.status, 1) << c.shown;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "korvale-batch: --log: cannot open \"" + c.shown +
                                   "\" for writing: " + std::strerror(ENOENT) + "\n");
    }
}

struct Spawned {
    int status = -1;  // the exit status, -1 when the program did not exit by itself
    std::string out;
    std::string err;
    double seconds = 0;  // from SIGINT to the end
};

// A line of /proc/PID/<file> that begins with `key`, without the key; empty when there is none.
std::string procLine(pid_t pid, const char* file, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/" + file);
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(key)) {
            return line.substr(key.size());
        }
    }
    return {};
}

// Whether the process catches SIGINT: its handler is in place (SigCgt, a mask in hexadecimal).
bool catchesSigint(pid_t pid) {
    const std::string caught = procLine(pid, "status", "SigCgt:");
    return !caught.empty() && (std::stoull(caught, nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
}

// Whether the process waits in open(2), as it does for a FIFO without a writer.
bool waitsInOpen(pid_t pid) {
    return catchesSigint(pid) &&
           procLine(pid, "syscall", "").starts_with(std::to_string(SYS_openat) + " ");
}

// Polls `ready` every millisecond, for at most a minute (a sanitized program on a loaded
// machine takes seconds to start) and while the process runs: whether it came true.
bool waitUntil(pid_t pid, bool (*ready)(pid_t)) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ready(pid)) {
        const bool ended = procLine(pid, "status", "State:").find('Z') != std::string::npos;
        if (ended || std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs korvale-batch with `arguments`; once `ready` holds (by default: its Ctrl-C handler is in
// place), lets it work for `working` more, sends SIGINT and reads what it printed.
Spawned interruptAfter(const std::vector<std::string>& arguments, std::chrono::milliseconds working,
                       bool (*ready)(pid_t) = catchesSigint) {
    int output[2];
    int errors[2];
    if (pipe(output) != 0 || pipe(errors) != 0) {
        return {};
    }
    // The child starts with SIGINT's default action whatever this process has set (tests here
    // catch it), so that its status shows SIGINT caught only once its own handler is in place.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    struct sigaction ours {};
    sigaction(SIGINT, &byDefault, &ours);
    const pid_t child = fork();
    if (child != 0) {
        sigaction(SIGINT, &ours, nullptr);
    }
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(errors[1], STDERR_FILENO);
        close(output[0]);
        close(errors[0]);
        std::vector<char*> argv = {const_cast<char*>("korvale-batch")};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(KORVALE_BATCH_PATH, argv.data());
        _exit(127);
    }
    close(output[1]);
    close(errors[1]);
    // A signal sent before the handler is in place kills the program instead.
    EXPECT_TRUE(waitUntil(child, ready)) << "the program never got ready for Ctrl-C";
    std::this_thread::sleep_for(working);
    kill(child, SIGINT);
    const auto sent = std::chrono::steady_clock::now();
    Spawned spawned;
    char buffer[4096];
    for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;) {
        spawned.out.append(buffer, static_cast<std::size_t>(got));
    }
    for (ssize_t got; (got = read(errors[0], buffer, sizeof buffer)) > 0;) {
        spawned.err.append(buffer, static_cast<std::size_t>(got));
    }
    close(output[0]);
    close(errors[0]);
    int status = 0;
    waitpid(child, &status, 0);
    spawned.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    spawned.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return spawned;
}

// Ctrl-C stops a simulation: what was played is printed, marked partial, with status 130.
TEST(BatchInterruptTest, SigintPrintsThePartialFiguresAndExits130) {
    const Spawned spawned = interruptAfter({"simulate", "normal", "--seconds", "60", "--threads",
                                            "2", "--seed", "3", "--format", "json"},
                                           std::chrono::milliseconds(700));
    EXPECT_EQ(spawned.status, 130);
    const auto report = nlohmann::json::parse(spawned.out);
    EXPECT_TRUE(report["partial"].get<bool>());
    const double games = report["results"][0]["figures"]["games"]["value"];
    EXPECT_GT(games, 0);
    EXPECT_LT(report["timing"]["seconds"].get<double>(), 30.0);
}

// Every command that works for seconds stops soon after Ctrl-C with status 130, printing
// either nothing or what it had finished, marked partial.
TEST(BatchInterruptTest, EveryLongCommandStopsWithStatus130) {
    const std::vector<std::vector<std::string>> commands = {
        {"exact", "--laws", "--setting", "1", "--big-end", "300", "--reg-end", "100", "--threads",
         "1"},
        {"exact", "--laws", "--big-end", "1000", "--reg-end", "0", "--threads", "1"},
        // This grid's means alone take a minute.
        {"sweep", "--threads", "1", "--big-ends", "0:2000:20", "--reg-ends", "0:1000:20"},
        // A setting's rules cut at 8000 games take seconds.
        {"sweep", "--threads", "1", "--max-games", "8000"},
        // An attempt at 1600/0 lasts some 50000 games on average, some far longer.
        {"simulate", "special", "--big-end", "1800", "--reg-end", "0", "--threads", "1", "--seed",
         "1"},
        // Each machine found 1700 games after its last BIG takes some million games to find.
        {"simulate", "special", "--setting", "6", "--since-big", "1700", "--threads", "1", "--seed",
         "1"},
    };
    for (const std::vector<std::string>& command : commands) {
        std::vector<std::string> withFormat = command;
        withFormat.insert(withFormat.end(), {"--format", "json"});
        const Spawned spawned = interruptAfter(withFormat, std::chrono::milliseconds(300));
        const std::string line = ::testing::PrintToString(command);
        EXPECT_EQ(spawned.status, 130) << line;
        // Far less than any of these commands takes to finish, and loose enough for a loaded
        // machine: a command that ignores the interrupt runs on for minutes.
        EXPECT_LT(spawned.seconds, 15.0) << line;
        if (!spawned.out.empty()) {
            EXPECT_TRUE(nlohmann::json::parse(spawned.out)["partial"].get<bool>()) << line;
        }
    }
}

// At the largest thread count the run still holds to its time and stops at Ctrl-C: the
// threads wait until all are started (starting 256 busy ones took minutes on two cores).
TEST(BatchThreadsTest, SecondsAndCtrlCHoldAtTheLargestThreadCount) {
    const auto start = std::chrono::steady_clock::now();
    const Outcome timed = run({"simulate", "normal", "--threads", "256", "--seconds", "1", "--seed",
                               "1", "--format", "json"});
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(timed.status, 0) << timed.err;
    EXPECT_LT(nlohmann::json::parse(timed.out)["timing"]["seconds"].get<double>(), 3.0);
    EXPECT_LT(wall, 8.0);  // loose for a loaded machine, far below what the start took
    const Spawned stopped = interruptAfter({"simulate", "normal", "--threads", "256", "--seconds",
                                            "60", "--seed", "1", "--format", "json"},
                                           std::chrono::milliseconds(1500));
    EXPECT_EQ(stopped.status, 130);
    EXPECT_LT(stopped.seconds, 5.0);
    EXPECT_TRUE(nlohmann::json::parse(stopped.out)["partial"].get<bool>());
}

// Ctrl-C during a sweep's risk figures prints every rule's means, and the risk of those done,
// marked partial, in every format.
TEST(BatchInterruptTest, SweepPrintsTheRulesWorkedOutMarkedPartial) {
    const std::vector<std::string> sweep = {"sweep",     "--setting",  "1",     "--big-ends",
                                            "0:1000:50", "--reg-ends", "0:0:1", "--threads",
                                            "2",         "--format"};
    for (const std::string format : {"json", "csv", "table"}) {
        std::vector<std::string> arguments = sweep;
        arguments.push_back(format);
        const Spawned spawned = interruptAfter(arguments, std::chrono::milliseconds(2000));
        EXPECT_EQ(spawned.status, 130) << format;
        if (format == "json") {
            const auto report = nlohmann::json::parse(spawned.out);
            EXPECT_TRUE(report["partial"].get<bool>());
            ASSERT_EQ(report["results"].size(), 21u);
            for (const auto& rule : report["results"]) {
                EXPECT_TRUE(
                    rule["figures"]["net_per_1000_games_unrounded_cost"]["value"].is_number());
                const auto& ahead = rule["figures"]["p_ahead"]["value"];
                EXPECT_TRUE(ahead.is_null() || (ahead > 0.0 && ahead < 1.0)) << ahead;
            }
        } else if (format == "csv") {
            int means = 0;
            bool partial = false;
            for (const auto& record : writtenCsvRecords(spawned.out)) {
                means += record.at(5) == "net_per_1000_games_unrounded_cost" ? 1 : 0;
                partial |=
                    record.at(0) == "run" && record.at(5) == "partial" && record.at(9) == "1";
            }
            EXPECT_EQ(means, 21);
            EXPECT_TRUE(partial);
        } else {
            EXPECT_NE(spawned.out.find("（中断: 途中までに計算した分の数値です）"),
                      std::string::npos)
                << spawned.out;
            EXPECT_NE(spawned.out.find("\n設定１\n"), std::string::npos) << spawned.out;
        }
    }
}

// On a terminal the sweep says what its risk figures will cost before it begins; --means-only
// leaves them out, and the frontier with them.
TEST(BatchSweepTest, ItSaysWhatItWillCostAndTheMeansAreAtHand) {
    catchInterrupt();
    std::raise(SIGINT);  // stops the sweep at its first look: the note comes before
    const Outcome terminal = run({"sweep", "--setting", "1", "--threads", "2"}, true);
    const Outcome piped = run({"sweep", "--setting", "1", "--threads", "2"});
    clearInterrupt();
    EXPECT_EQ(terminal.status, 130);
    EXPECT_NE(terminal.err.find("rules take about"), std::string::npos) << terminal.err;
    EXPECT_NE(terminal.err.find("--means-only"), std::string::npos);
    EXPECT_EQ(piped.err, "");
    // With a game limit the means are the long work.
    catchInterrupt();
    std::raise(SIGINT);
    const Outcome capped = run({"sweep", "--max-games", "8000", "--threads", "2"}, true);
    clearInterrupt();
    EXPECT_EQ(capped.status, 130);
    EXPECT_NE(capped.err.find("the means of 882 rules cut at 8000 games take about"),
              std::string::npos)
        << capped.err;
    const Outcome means = run({"sweep", "--means-only", "--setting", "1", "--big-ends", "0:100:50",
                               "--reg-ends", "0:0:1", "--format", "json"});
    ASSERT_EQ(means.status, 0) << means.err;
    const auto report = nlohmann::json::parse(means.out);
    EXPECT_EQ(report["run"]["means_only"], 1);
    ASSERT_EQ(report["results"].size(), 3u);
    for (const auto& rule : report["results"]) {
        EXPECT_TRUE(rule["figures"]["games_per_attempt"]["value"].is_number());
        EXPECT_FALSE(rule["figures"].contains("p_ahead"));
        EXPECT_FALSE(rule["details"].contains("on_frontier"));
        EXPECT_TRUE(rule["details"].contains("best_per_attempt"));
    }
}

// The worth of playing on from a joined history without a BIG at 1000/300 takes minutes (the
// law of the games once per count since the last BIG): Ctrl-C prints the estimate, whole,
// without it, marked partial.
TEST(BatchInterruptTest, InferPrintsTheEstimateWithoutTheWorthMarkedPartial) {
    const std::string path = ::testing::TempDir() + "korvale_joined_history.txt";
    std::ofstream(path, std::ios::binary) << "REG 45\n";
    const Spawned spawned = interruptAfter({"infer", path, "--start", "joined", "--big-end", "1000",
                                            "--reg-end", "300", "--format", "json"},
                                           std::chrono::milliseconds(1500));
    std::remove(path.c_str());
    EXPECT_EQ(spawned.status, 130);
    EXPECT_LT(spawned.seconds, 5.0);
    const auto report = nlohmann::json::parse(spawned.out);
    EXPECT_TRUE(report["partial"].get<bool>());
    ASSERT_EQ(report["results"].size(), 7u);
    EXPECT_EQ(report["results"][0]["series"]["posterior"]["value"].size(), 6u);
}

// A history of millions of lines (some 70 MB) takes seconds to read: Ctrl-C stops it at once.
TEST(BatchInterruptTest, InferStopsWhileItReadsALongHistory) {
    const std::string path = ::testing::TempDir() + "korvale_long_history.txt";
    {
        std::ofstream file(path, std::ios::binary);
        const std::string block = [] {
            std::string lines;
            for (int i = 0; i < 1000; ++i) {
                lines += i % 3 == 0 ? "REG 45\n" : "BIG 123\n";
            }
            return lines;
        }();
        for (int i = 0; i < 9000; ++i) {
            file << block;
        }
    }
    const Spawned spawned = interruptAfter({"infer", path}, std::chrono::milliseconds(300));
    std::remove(path.c_str());
    EXPECT_EQ(spawned.status, 130);
    EXPECT_EQ(spawned.out, "");
    EXPECT_LT(spawned.seconds, 2.5);
}

// A FIFO without a writer keeps infer waiting to open it: Ctrl-C ends the wait with status 130,
// as everywhere, not as a file that failed to open.
TEST(BatchInterruptTest, InferStopsWhileItWaitsToOpenAFifo) {
    const std::string path = ::testing::TempDir() + "korvale_history_fifo";
    std::remove(path.c_str());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << std::strerror(errno);
    const Spawned spawned =
        interruptAfter({"infer", path}, std::chrono::milliseconds(0), waitsInOpen);
    std::remove(path.c_str());
    EXPECT_EQ(spawned.status, 130);
    EXPECT_EQ(spawned.out, "");
    EXPECT_EQ(spawned.err, "");
    EXPECT_LT(spawned.seconds, 2.5);
}

// The schema says what it gives: every --laws run names its laws, full or head; attempts too
// long for the law's tables keep their means with the laws missing; whole figures are written
// whole; every command says its time; the exact commands' partial mark says nothing was played.
TEST(BatchSchemaTest, WhatTheRunSaysItGives) {
    const auto json = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--format", "json"});
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return nlohmann::json::parse(outcome.out);
    };
    EXPECT_TRUE(json({"exact", "--setting", "1"})["timing"]["seconds"].is_number());
    const auto full =
        json({"exact", "--laws", "--setting", "1", "--big-end", "0", "--reg-end", "0"});
    EXPECT_EQ(full["run"]["laws"], "full");
    // The median of 0/0 at 設定１ is 112 coins (exact --laws): a whole number, written whole.
    const auto& median = full["results"].back()["figures"]["net_coins_p50"]["value"];
    EXPECT_TRUE(median.is_number_integer()) << median;
    EXPECT_EQ(median, 112);
    for (const auto& [key, entry] : full["results"][0]["figures"].items()) {
        const auto& value = entry["value"];
        if (value.is_number_float()) {
            EXPECT_NE(value.get<double>(), std::floor(value.get<double>())) << key;
        }
    }
    const auto tooLong =
        json({"exact", "--laws", "--setting", "1", "--big-end", "1800", "--reg-end", "0"});
    EXPECT_EQ(tooLong["run"]["laws"], "full");
    const auto& attempt = tooLong["results"].back();
    EXPECT_TRUE(attempt["figures"]["games_per_attempt"]["value"].is_number());
    for (const char* key : {"p_ahead", "net_coins_p50", "games_p99"}) {
        EXPECT_TRUE(attempt["figures"][key]["value"].is_null()) << key;
    }
    EXPECT_FALSE(attempt.contains("series"));

    catchInterrupt();
    std::raise(SIGINT);
    const Outcome stopped =
        run({"exact", "--setting", "1", "--big-end", "300", "--reg-end", "100"});
    clearInterrupt();
    EXPECT_EQ(stopped.status, 130);
    EXPECT_NE(stopped.out.find("（中断: 途中までに計算した分の数値です）"), std::string::npos)
        << stopped.out;
}

}  // namespace
}  // namespace korvale
