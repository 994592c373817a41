// korvale-batch infer as a user meets it: every layout and encoding of the history gives the same
// answer, the options reach the estimate, bad input exits 2 naming the line with nothing on
// stdout, a failed read exits 1.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "batch/commands/batch_program.h"
#include "tests/batch/commands/program_outcome.h"

namespace korvale {
namespace {

using testing::Outcome;
using testing::readFile;
using testing::runWithInput;

// The JSON results of `infer -` on `input`.
nlohmann::json inferJson(const std::string& input, std::vector<std::string> options = {}) {
    std::vector<std::string> arguments = {"infer", "-", "--format", "json"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const Outcome outcome = runWithInput(arguments, input);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    return nlohmann::json::parse(outcome.out)["results"];
}

std::vector<double> posterior(const nlohmann::json& results) {
    return results[0]["series"]["posterior"]["value"].get<std::vector<double>>();
}

const std::string windowExport =
    "BONUS,回転数,モード\nBIG,123,1\nREG,45,2\nBIG,3,1\nBIG,20,3\nREG,400,5\n";

TEST(InferCommandTest, EveryLayoutOfOneHistoryGivesTheSameAnswer) {
    const std::vector<double> expected = posterior(inferJson(windowExport));
    ASSERT_EQ(expected.size(), 6u);
    const std::string layouts[] = {
        "BIG 123\nREG 45\nBIG 3\nBIG 20\nREG 400\n",
        "BONUS,回転数,モード,累計回転数,スレッド\r\nBIG,123,0,123,2\r\nREG,45,1,168,2\r\n"
        "BIG,3,0,171,2\r\nBIG,20,3,191,2\r\nREG,400,5,591,2\r\n",
        "# 朝一から\nＢＩＧ　１２３\n\nＲＥＧ　４５\nbig 3\nBig 20\nreg 400\n",
    };
    for (const std::string& text : layouts) {
        const std::vector<double> got = posterior(inferJson(text));
        for (std::size_t s = 0; s < 6; ++s) {
            EXPECT_DOUBLE_EQ(got[s], expected[s]) << text;
        }
    }
}

TEST(InferCommandTest, FiguresHangTogetherAndTheOptionsReachTheEstimate) {
    const nlohmann::json results = inferJson(windowExport, {"--trailing", "250"});
    ASSERT_EQ(results.size(), 7u);
    const auto& all = results[0]["figures"];
    EXPECT_EQ(all["games"]["value"], 591 + 250);
    EXPECT_EQ(all["big"]["value"], 3);
    EXPECT_EQ(all["reg"]["value"], 2);
    const std::vector<double> chances = posterior(results);
    double total = 0.0;
    double net = 0.0;
    for (std::size_t s = 0; s < 6; ++s) {
        const auto& one = results[s + 1];
        EXPECT_EQ(one["setting"], s + 1);
        EXPECT_EQ(one["figures"]["posterior"]["value"].get<double>(), chances[s]);
        double modes = 0.0;
        for (int m = 0; m < 6; ++m) {
            modes += one["figures"]["mode" + std::to_string(m) + "_chance"]["value"].get<double>();
        }
        EXPECT_NEAR(modes, 1.0, 1e-12);
        net += chances[s] * one["figures"]["expected_net_next_1000_games"]["value"].get<double>();
        total += chances[s];
    }
    EXPECT_NEAR(total, 1.0, 1e-12);
    EXPECT_NEAR(all["at_least_4"]["value"].get<double>(), chances[3] + chances[4] + chances[5],
                1e-12);
    EXPECT_NEAR(all["expected_net_next_1000_games"]["value"].get<double>(), net, 1e-9);

    // Each option changes the answer: the trailing games, the start, the prior.
    const std::vector<double> base = posterior(inferJson(windowExport));
    EXPECT_NE(posterior(results), base);
    EXPECT_NE(posterior(inferJson(windowExport, {"--start", "joined"})), base);
    const std::vector<double> weighted =
        posterior(inferJson(windowExport, {"--prior", "0,1,1,1,1,2.5"}));
    EXPECT_EQ(weighted[0], 0.0);
    EXPECT_NEAR(weighted[5] / weighted[1], 2.5 * base[5] / base[1], 1e-9);
}

TEST(InferCommandTest, AFileIsRead) {
    const std::string path = ::testing::TempDir() + "korvale_infer_test.csv";
    std::ofstream(path, std::ios::binary) << windowExport;
    const Outcome fromFile = runWithInput({"infer", path, "--format", "json"}, "");
    std::remove(path.c_str());
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(posterior(nlohmann::json::parse(fromFile.out)["results"]),
              posterior(inferJson(windowExport)));
}

// UTF-16 as "Unicode text" is saved: a byte order mark, then each ASCII character and a zero.
std::string utf16LittleEndian(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(InferCommandTest, SpreadsheetFilesReadAsTheirPlainLines) {
    const struct {
        const char* name;
        std::string bytes;
        std::string plain;
    } cases[] = {
        // # 朝一 / BONUS,回転数 in code page 932, as a Japanese spreadsheet program saves it.
        {"Shift-JIS",
         "# \x92\xA9\x88\xEA\r\nBONUS,\x89\xF1\x93\x5D\x90\x94\r\nBIG,123\r\nREG,45\r\n",
         "BIG 123\nREG 45\n"},
        {"UTF-16", utf16LittleEndian("BIG\t123\r\nREG\t45\r\n"), "BIG 123\nREG 45\n"},
        {"grouped counts", "BONUS,回転数\n\"BIG\",\"1,230\"\nREG,\"2,000,001\"\n",
         "BIG 1230\nREG 2000001\n"},
        {"quoted fields, one spanning lines",
         "\"BONUS\",\"メモ\",\"回転数\"\r\nBIG,\"a \"\"b\"\",\nc\",12\r\nREG,,7\r\n",
         "BIG 12\nREG 7\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const nlohmann::json fromBytes = inferJson(c.bytes);
        const nlohmann::json fromPlain = inferJson(c.plain);
        EXPECT_EQ(posterior(fromBytes), posterior(fromPlain));
        EXPECT_EQ(fromBytes[0]["figures"]["games"], fromPlain[0]["figures"]["games"]);
    }
}

// Nothing seen yet: the answer is the prior, and stderr says why.
TEST(InferCommandTest, AHistoryWithoutABonusIsSaidAndAnsweredByThePrior) {
    for (const std::string input : {"", "# nothing yet\n\n",
                                    "\xEF\xBB\xBF"
                                    "BONUS,回転数,モード\r\n"}) {
        const Outcome outcome = runWithInput({"infer", "-", "--format", "json"}, input);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err,
                  "korvale-batch: warning: standard input holds no bonus (only blank lines, "
                  "comments or a header): the answer is the prior\n");
        for (const double chance : posterior(nlohmann::json::parse(outcome.out)["results"])) {
            EXPECT_NEAR(chance, 1.0 / 6.0, 1e-15);
        }
    }
}

// A file that cannot be opened or read exits 1 naming it with the system's reason, not as an
// empty history.
TEST(InferCommandTest, AFailedReadExits1WithTheSystemsReason) {
    const std::string folder = ::testing::TempDir();
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {"/proc/self/mem", "cannot read \"/proc/self/mem\": " + std::string(std::strerror(EIO))},
        {folder, "cannot read \"" + folder + "\": " + std::strerror(EISDIR)},
        {"/nonexistent-folder/history.csv",
         "cannot open \"/nonexistent-folder/history.csv\": " + std::string(std::strerror(ENOENT))},
    };
    for (const auto& c : cases) {
        const Outcome outcome = runWithInput({"infer", c.path}, "BIG 1\n");
        EXPECT_EQ(outcome.status, 1) << c.path;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "korvale-batch: " + c.message + "\n");
    }
}

// A file name, and a line of the file, reach the terminal with their controls escaped in every
// format: ESC, BEL, a byte that is not UTF-8 and U+202E (which turns the text after it around).
TEST(InferCommandTest, FileNamesAndLinesAreEchoedEscaped) {
    const std::string name = "a\x1B[2J\x07\xFF\xE2\x80\xAEtxt.csv";
    const std::string shown = "a\\x1B[2J\\x07\\xFF\\xE2\\x80\\xAEtxt.csv";
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << "BIG 123\nREG 45\n";
    for (const std::string format : {"table", "csv", "json"}) {
        const Outcome outcome = runWithInput({"infer", path, "--format", format}, "");
        ASSERT_EQ(outcome.status, 0) << format << ": " << outcome.err;
        for (const std::string raw : {"\x1B", "\x07", "\xFF", "\xE2\x80\xAE"}) {
            EXPECT_EQ(outcome.out.find(raw), std::string::npos) << format;
        }
        if (format == "json") {
            EXPECT_EQ(nlohmann::json::parse(outcome.out)["run"]["history"],
                      ::testing::TempDir() + shown);
        } else {
            EXPECT_NE(outcome.out.find(shown), std::string::npos) << format;
        }
    }
    std::ofstream(path, std::ios::binary) << "BIG 1\nREG 4\xE2\x80\xAE"
                                             "5\x1B\n";
    const Outcome bad = runWithInput({"infer", path}, "");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "korvale-batch: \"" + ::testing::TempDir() + shown +
                           "\": line 2: \"REG 4\\xE2\\x80\\xAE5\\x1B\": the games must be a "
                           "whole number written in digits, such as 123\n");
    std::remove(path.c_str());
}

// The output without the time taken, which differs from run to run.
std::string withoutTiming(const std::string& text, const std::string& format) {
    if (format == "json") {
        auto report = nlohmann::ordered_json::parse(text);
        EXPECT_TRUE(report["timing"].contains("seconds"));
        report.erase("timing");
        return report.dump(2) + "\n";
    }
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("timing,") && !line.starts_with("時間（秒）")) {
            kept += line + "\n";
        }
    }
    return kept;
}

// Golden files of one history in each format, as in batch_program_test (KORVALE_UPDATE_GOLDEN=1
// writes them anew after a deliberate change; read the diff).
TEST(InferCommandTest, GoldenOutputInEachFormat) {
    const bool update = std::getenv("KORVALE_UPDATE_GOLDEN") != nullptr;
    for (const std::string format : {"table", "csv", "json"}) {
        const Outcome outcome =
            runWithInput({"infer", "-", "--trailing", "100", "--format", format}, windowExport);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const std::string path = std::string(KORVALE_GOLDEN_DIR) + "/infer." + format + ".txt";
        const std::string text = withoutTiming(outcome.out, format);
        if (update) {
            std::ofstream(path, std::ios::binary) << text;
        }
        EXPECT_EQ(text, readFile(path)) << path;
    }
}

TEST(InferCommandTest, BadInputExits2NamingTheLineWithNothingOnStdout) {
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        std::string message;
    } cases[] = {
        {{"infer", "-"},
         "BIG 12\n# x\nREG 0\n",
         "korvale-batch: standard input: line 3: \"REG 0\": the games must be at least 1\n"},
        {{"infer", "-", "--format", "json"},
         "BONUS,回転数\nBIG,5\nBIG,4294967296\n",
         "korvale-batch: standard input: line 3: \"BIG,4294967296\": the games are beyond the "
         "machine's 32-bit count (at most 2147483647)\n"},
        {{"infer", "-"},
         "BIG 5\nREG -7\n",
         "korvale-batch: standard input: line 2: \"REG -7\": the games cannot be negative\n"},
        {{"infer", "-"},
         "BIG 1\nREG \xFF\x1B[2J\n",
         "korvale-batch: standard input: line 2: \"REG \\xFF\\x1B[2J\": the file is not UTF-8: "
         "save it as UTF-8\n"},
        {{"infer", "-"},
         std::string("BIG 1\n\x7F"
                     "ELF\0\x01",
                     12),
         "korvale-batch: standard input: line 2: \"\\x7FELF\\x00\\x01\": the file is not text: "
         "it holds a NUL byte\n"},
        {{"infer", "-"},
         "BIG,REG,差枚\r\n1,0,-120\r\n",
         "korvale-batch: standard input: line 1: \"BIG,REG,差枚\": an attempt run's grid"},
        {{"infer", "-"},
         "BONUS,回転数\nBIG,\"12\nREG,4\n",
         "korvale-batch: standard input: line 2: \"BIG,\"12\\x0AREG,4\": a quoted field has no "
         "closing quote\n"},
        {{"infer", "-", "--start", "noon"},
         "",
         "korvale-batch: --start: expected morning or joined"},
        {{"infer", "-", "--trailing", "2147483648"},
         "",
         "korvale-batch: --trailing: expected a whole number of games 0..2147483647"},
        {{"infer", "-", "--prior", "1,1,1,1,1"},
         "",
         "korvale-batch: --prior: expected six weights"},
        {{"infer", "-", "--prior", "0,0,0,0,0,0"},
         "",
         "korvale-batch: --prior: expected six weights"},
        {{"infer", "-", "--prior", "1,1,1,1,1,-1"},
         "",
         "korvale-batch: --prior: expected six weights"},
        // Beyond a double, and too small to be told from 0: never read as a weight of 0.
        {{"infer", "-", "--prior", "1,1,1,1,1,1" + std::string(400, '0')},
         "",
         "korvale-batch: --prior: expected six weights of 設定１..設定６ separated by commas, each "
         "at least 0, not all 0, their sum below 10^308"},
        {{"infer", "-", "--prior", "1,1,1,1,1,0." + std::string(400, '0') + "1"},
         "",
         "korvale-batch: --prior: \"0.000"},
        {{"infer"}, "", "korvale-batch: infer: the history FILE is missing"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = runWithInput(c.arguments, c.input);
        EXPECT_EQ(outcome.status, 2) << c.input;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind(c.message, 0), 0u) << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
    }
}

}  // namespace
}  // namespace korvale
