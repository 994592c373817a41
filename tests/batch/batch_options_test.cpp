#include "batch/batch_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvale {
namespace {

BatchOptions parse(std::vector<std::string> arguments) {
    return parseOptions(arguments);
}

// The message of the error that `arguments` raise, or "no error".
std::string errorOf(std::vector<std::string> arguments) {
    try {
        parseOptions(arguments);
    } catch (const OptionError& error) {
        return error.what();
    }
    return "no error";
}

TEST(BatchOptionsTest, DefaultsOfEachRunKind) {
    const BatchOptions normal = parse({});
    EXPECT_EQ(normal.run, RunKind::Normal);
    EXPECT_EQ(normal.setting, 0);
    EXPECT_EQ(normal.format, OutputFormat::Table);
    EXPECT_FALSE(normal.threads);
    EXPECT_FALSE(normal.seed);
    EXPECT_TRUE(normal.logPath.empty());
    EXPECT_EQ(requestedAmount(normal), defaultGames);

    const BatchOptions special = parse({"--run", "special"});
    EXPECT_EQ(special.run, RunKind::Special);
    EXPECT_EQ(special.bigEnd, 300.0);
    EXPECT_EQ(special.regEnd, 100);
    EXPECT_EQ(requestedAmount(special), defaultAttempts);
    EXPECT_EQ(requestedAmount(parse({"--seconds", "2.5"})), -1);
}

TEST(BatchOptionsTest, ReadsEveryOptionInBothForms) {
    const BatchOptions o = parse({"--run=special", "--setting", "6", "--attempts=5000", "--big-end",
                                  "250", "--reg-end=80", "--threads", "3", "--seed",
                                  "18446744073709551615", "--format", "json", "--log=rows.csv"});
    EXPECT_EQ(o.run, RunKind::Special);
    EXPECT_EQ(o.setting, 5);
    EXPECT_EQ(o.attempts, 5000);
    EXPECT_EQ(o.bigEnd, 250.0);
    EXPECT_EQ(o.regEnd, 80);
    EXPECT_EQ(o.threads, 3);
    EXPECT_EQ(o.seed, UINT64_MAX);
    EXPECT_EQ(o.format, OutputFormat::Json);
    EXPECT_EQ(o.logPath, "rows.csv");

    const BatchOptions n = parse({"--games", "10000000000", "--format", "csv", "--seed", "0"});
    EXPECT_EQ(n.games, 10'000'000'000);
    EXPECT_EQ(n.format, OutputFormat::Csv);
    EXPECT_EQ(n.seed, 0u);
    EXPECT_EQ(parse({"--seconds", "0.25"}).seconds, 0.25);
    EXPECT_TRUE(parse({"--help"}).help);
    // --help wins over options that would not go together.
    EXPECT_TRUE(parse({"--games", "5", "--attempts", "5", "--help"}).help);
}

// The end conditions are read as the window reads its boxes: the number the text begins with,
// and for the REG end the nearest integer, halves to even.
TEST(BatchOptionsTest, EndConditionsAreReadLeniently) {
    const auto ends = [](const std::string& big, const std::string& reg) {
        return parse({"--run", "special", "--big-end", big, "--reg-end", reg});
    };
    EXPECT_EQ(ends("300.5", "100.7").bigEnd, 300.5);
    EXPECT_EQ(ends("300.5", "100.7").regEnd, 101);
    EXPECT_EQ(ends("abc", "").bigEnd, 0.0);
    EXPECT_EQ(ends("abc", "").regEnd, 0);
    EXPECT_EQ(ends(" 12kg", "100.5").bigEnd, 12.0);
    EXPECT_EQ(ends(" 12kg", "100.5").regEnd, 100);
    EXPECT_EQ(ends("-5", "101.5").regEnd, 102);
    EXPECT_EQ(ends("-5", "101.5").bigEnd, -5.0);
    EXPECT_EQ(ends("0", "2147483647.4").regEnd, INT32_MAX);

    const std::string overflow = errorOf({"--run", "special", "--reg-end", "3000000000"});
    EXPECT_EQ(overflow.rfind("korvale-batch: --reg-end: expected a number that rounds into the "
                             "signed 32-bit range",
                             0),
              0u)
        << overflow;
    EXPECT_NE(overflow.find("3000000000"), std::string::npos);
    EXPECT_NE(errorOf({"--run", "special", "--reg-end", "2147483647.5"}), "no error");
}

TEST(BatchOptionsTest, BadValuesNameTheOptionAndTheFormExpected) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--setting", "7"}, "korvale-batch: --setting: expected an integer 1..6, got \"7\""},
        {{"--setting", "0"}, "korvale-batch: --setting: expected an integer 1..6, got \"0\""},
        {{"--setting=x"}, "korvale-batch: --setting: expected an integer 1..6, got \"x\""},
        {{"--run", "fast"}, "korvale-batch: --run: expected normal or special, got \"fast\""},
        {{"--games", "0"},
         "korvale-batch: --games: expected a whole number of games, 1 or more, got \"0\""},
        {{"--games", "-5"},
         "korvale-batch: --games: expected a whole number of games, 1 or more, got \"-5\""},
        {{"--games", "1e10"},
         "korvale-batch: --games: expected a whole number of games, 1 or more, got \"1e10\""},
        {{"--run", "special", "--attempts", "+3"},
         "korvale-batch: --attempts: expected a whole number of attempts, 1 or more, got "
         "\"+3\""},
        {{"--seconds", "0"},
         "korvale-batch: --seconds: expected a number of seconds above 0, such as 10 or 2.5, "
         "got \"0\""},
        {{"--seconds", "-1"},
         "korvale-batch: --seconds: expected a number of seconds above 0, such as 10 or 2.5, "
         "got \"-1\""},
        {{"--threads", "0"}, "korvale-batch: --threads: expected an integer 1..1024, got \"0\""},
        {{"--threads", "1025"},
         "korvale-batch: --threads: expected an integer 1..1024, got \"1025\""},
        {{"--seed", "18446744073709551616"},
         "korvale-batch: --seed: expected a whole number 0..18446744073709551615, got "
         "\"18446744073709551616\""},
        {{"--format", "xml"}, "korvale-batch: --format: expected table, csv or json, got \"xml\""},
        {{"--log="}, "korvale-batch: --log: expected a file name, got \"\""},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_EQ(errorOf(arguments), message);
    }
}

TEST(BatchOptionsTest, BadCommandLinesNameTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--fast"}, "korvale-batch: unknown option \"--fast\" (see --help)"},
        {{"-t", "2"}, "korvale-batch: unknown option \"-t\" (see --help)"},
        {{"1000"},
         "korvale-batch: unexpected argument \"1000\"; options start with -- (see --help)"},
        {{"--games"}, "korvale-batch: --games: expected a value: --games N"},
        {{"--threads", "2", "--threads", "3"}, "korvale-batch: --threads: given twice"},
        {{"--help=yes"}, "korvale-batch: --help: takes no value"},
        {{"--games", "5", "--seconds", "1"},
         "korvale-batch: --seconds: give only one of --games N, --attempts N and --seconds S"},
        {{"--run", "special", "--games", "5"},
         "korvale-batch: --games: applies to --run normal; a special run takes --attempts N"},
        {{"--attempts", "5"},
         "korvale-batch: --attempts: applies to --run special; a normal run takes --games N"},
        {{"--big-end", "5"}, "korvale-batch: --big-end: applies to --run special only"},
        {{"--reg-end=5"}, "korvale-batch: --reg-end: applies to --run special only"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_EQ(errorOf(arguments), message);
    }
}

TEST(BatchOptionsTest, HelpListsEveryOptionWithItsDefault) {
    const std::string help = helpText();
    for (const char* option :
         {"--run normal|special", "--setting 1..6", "--games N", "--attempts N", "--seconds S",
          "--big-end X", "--reg-end Y", "--threads T", "--seed S", "--format table|csv|json",
          "--log FILE", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    for (const char* defaultText :
         {"(default: normal)", "(default: 1)", "(default: 100000000)", "(default: 1000000)",
          "(default: 300)", "(default: 100)", "(default: every core)", "(default: from the clock)",
          "(default: table)"}) {
        EXPECT_NE(help.find(defaultText), std::string::npos) << defaultText;
    }
    EXPECT_NE(help.find("plays one machine per thread and merges their"), std::string::npos);
}

TEST(BatchOptionsTest, ExactTakesEndConditionsButNoPlay) {
    const BatchOptions longRun = parse({"--exact"});
    EXPECT_TRUE(longRun.exact);
    EXPECT_FALSE(longRun.endGiven);
    EXPECT_FALSE(longRun.settingGiven);

    const BatchOptions attempts = parse({"--exact", "--setting", "2", "--big-end", "300.5"});
    EXPECT_TRUE(attempts.endGiven);
    EXPECT_TRUE(attempts.settingGiven);
    EXPECT_EQ(attempts.bigEnd, 300.5);
    EXPECT_EQ(attempts.regEnd, 100);
    EXPECT_TRUE(parse({"--exact", "--sweep", "--threads", "1"}).sweep);

    EXPECT_EQ(errorOf({"--exact", "--games", "5"}),
              "korvale-batch: --games: does not apply to --exact, which works the figures out "
              "instead of playing");
    EXPECT_EQ(errorOf({"--exact", "--run", "special"}).substr(0, 21), "korvale-batch: --run:");
    EXPECT_EQ(errorOf({"--exact", "--seed", "1"}).substr(0, 22), "korvale-batch: --seed:");
    EXPECT_EQ(errorOf({"--sweep"}), "korvale-batch: --sweep: applies with --exact only");
    EXPECT_EQ(errorOf({"--exact", "--sweep", "--reg-end", "50"}),
              "korvale-batch: --reg-end: does not apply to --sweep, which takes every end "
              "condition of its grid");
    EXPECT_EQ(errorOf({"--exact", "--big-end", "2500"}),
              "korvale-batch: --big-end: with --exact, expected at most 2000");
    EXPECT_EQ(errorOf({"--exact", "--reg-end", "1001"}),
              "korvale-batch: --reg-end: with --exact, expected at most 1000");
}

}  // namespace
}  // namespace korvale
