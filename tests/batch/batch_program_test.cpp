#include "batch/batch_program.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <variant>
#include <vector>

namespace korvale {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(std::vector<std::string> arguments, bool terminal = false) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(arguments, out, err, terminal);
    return {status, out.str(), err.str()};
}

// The output without its last two lines, the time taken and the games per second.
std::string withoutTiming(const std::string& text) {
    std::size_t end = text.size();
    for (int line = 0; line < 3 && end > 0; ++line) {
        end = text.rfind('\n', end - 1);
        if (end == std::string::npos) {
            return "";
        }
    }
    return text.substr(0, end + 1);
}

TEST(BatchProgramTest, BadOptionsExitWithStatus2AndOneLine) {
    for (const auto& [arguments, option] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--setting", "9"}, "--setting"},
             {{"--bogus"}, "--bogus"},
             {{"--run", "special", "--reg-end", "9999999999"}, "--reg-end"},
             {{"--games"}, "--games"},
             {{"--log", "/nonexistent-folder/rows.csv", "--games", "10"}, "--log"}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 2) << option;
        EXPECT_EQ(outcome.out, "") << option;
        ASSERT_FALSE(outcome.err.empty());
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
        EXPECT_NE(outcome.err.find(option), std::string::npos) << outcome.err;
    }
}

TEST(BatchProgramTest, HelpGoesToStandardOutput) {
    const Outcome outcome = run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("Usage: korvale-batch"), std::string::npos);
    EXPECT_EQ(outcome.err, "");
}

TEST(BatchProgramTest, SameSeedSameOutputTimingAside) {
    for (const char* format : {"table", "csv", "json"}) {
        const std::vector<std::string> arguments = {"--games", "2000000", "--threads", "2",
                                                    "--seed",  "123",     "--format",  format};
        const Outcome first = run(arguments);
        const Outcome second = run(arguments);
        ASSERT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(withoutTiming(first.out), withoutTiming(second.out)) << format;
        EXPECT_NE(withoutTiming(first.out), "");
        EXPECT_EQ(first.err, "");  // no progress bar without a terminal
    }
}

TEST(BatchProgramTest, TableUsesTheWindowsWords) {
    const Outcome normal = run({"--games", "500000", "--threads", "1", "--seed", "5"});
    for (const char* label :
         {"プレイ数", "差枚", "割", "BIG 1/", "REG 1/", "モード3 回転数", "モード3 BIG回数",
          "モード3 RT解除率 1/", "シード", "5", "ゲーム/秒"}) {
        EXPECT_NE(normal.out.find(label), std::string::npos) << label;
    }
    const Outcome special =
        run({"--run", "special", "--attempts", "300", "--threads", "1", "--seed", "5"});
    for (const char* label :
         {"挑戦回数", "一回あたりのプレイ数", "一回あたりの差枚", "一回あたりのBIG数", "特別"}) {
        EXPECT_NE(special.out.find(label), std::string::npos) << label;
    }
}

// A CSV report: every row key,value,ci95_low,ci95_high with unique keys.
std::map<std::string, std::vector<std::string>> parseCsv(const std::string& text) {
    std::map<std::string, std::vector<std::string>> rows;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "key,value,ci95_low,ci95_high");
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
             start = comma + 1) {
            cells.push_back(line.substr(start, comma - start));
        }
        cells.push_back(line.substr(start));
        EXPECT_EQ(cells.size(), 4u) << line;
        EXPECT_TRUE(rows.emplace(cells[0], cells).second) << "repeated key " << cells[0];
    }
    return rows;
}

TEST(BatchProgramTest, CsvParsesBack) {
    const Outcome outcome = run({"--run", "special", "--attempts", "4000", "--threads", "2",
                                 "--seed", "77", "--format", "csv", "--setting", "6"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    auto rows = parseCsv(outcome.out);
    EXPECT_EQ(rows["run"][1], "special");
    EXPECT_EQ(rows["setting"][1], "6");
    EXPECT_EQ(rows["seed"][1], "77");
    EXPECT_EQ(rows["attempts"][1], "4000");
    EXPECT_EQ(rows["big_end"][1], "300");
    EXPECT_EQ(rows["reg_end"][1], "100");
    for (const char* rate : {"payout_rate", "big_odds", "reg_odds", "games_per_attempt",
                             "net_coins_per_attempt", "big_per_attempt"}) {
        const double value = std::stod(rows[rate][1]);
        EXPECT_LT(std::stod(rows[rate][2]), value) << rate;
        EXPECT_GT(std::stod(rows[rate][3]), value) << rate;
    }
    const double games = std::stod(rows["games"][1]);
    EXPECT_NEAR(std::stod(rows["games_per_attempt"][1]), games / 4000, 1e-6);
    EXPECT_GT(std::stod(rows["seconds"][1]), 0.0);
    EXPECT_GT(std::stod(rows["games_per_second"][1]), 0.0);
}

// A small JSON reader: objects, strings without escapes, numbers and null, as the report uses.
struct JsonValue;
using JsonObject = std::map<std::string, JsonValue>;
struct JsonValue {
    std::variant<std::nullptr_t, double, std::string, std::shared_ptr<JsonObject>> value;
    const JsonValue& operator[](const std::string& key) const {
        return std::get<std::shared_ptr<JsonObject>>(value)->at(key);
    }
    double number() const { return std::get<double>(value); }
    bool isNull() const { return std::holds_alternative<std::nullptr_t>(value); }
};

class JsonReader {
  public:
    explicit JsonReader(std::string text) : text_(std::move(text)) {}

    JsonValue readDocument() {
        JsonValue value = readValue();
        skipBlanks();
        if (at_ != text_.size()) {
            throw std::runtime_error("text after the document");
        }
        return value;
    }

  private:
    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) {
            ++at_;
        }
    }
    void expect(char c) {
        skipBlanks();
        if (at_ >= text_.size() || text_[at_] != c) {
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(at_));
        }
        ++at_;
    }
    std::string readString() {
        expect('"');
        const std::size_t end = text_.find('"', at_);
        if (end == std::string::npos) {
            throw std::runtime_error("open string");
        }
        std::string s = text_.substr(at_, end - at_);
        at_ = end + 1;
        return s;
    }
    JsonValue readValue() {
        skipBlanks();
        if (at_ >= text_.size()) {
            throw std::runtime_error("missing value");
        }
        if (text_[at_] == '{') {
            ++at_;
            auto object = std::make_shared<JsonObject>();
            skipBlanks();
            if (text_[at_] == '}') {
                ++at_;
                return {object};
            }
            for (;;) {
                std::string key = readString();
                expect(':');
                if (!object->emplace(key, readValue()).second) {
                    throw std::runtime_error("repeated key " + key);
                }
                skipBlanks();
                if (text_[at_] == ',') {
                    ++at_;
                    continue;
                }
                expect('}');
                return {object};
            }
        }
        if (text_[at_] == '"') {
            return {readString()};
        }
        if (text_.compare(at_, 4, "null") == 0) {
            at_ += 4;
            return {nullptr};
        }
        std::size_t used = 0;
        const double number = std::stod(text_.substr(at_, 40), &used);
        at_ += used;
        return {number};
    }

    std::string text_;
    std::size_t at_ = 0;
};

TEST(BatchProgramTest, JsonParsesBack) {
    const Outcome outcome = run({"--games", "1000000", "--threads", "2", "--seed", "42", "--format",
                                 "json", "--setting", "4"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const JsonValue report = JsonReader(outcome.out).readDocument();
    EXPECT_EQ(std::get<std::string>(report["run"].value), "normal");
    EXPECT_EQ(report["setting"].number(), 4);
    EXPECT_EQ(report["seed"].number(), 42);
    EXPECT_EQ(report["threads"].number(), 2);
    EXPECT_EQ(report["games_requested"].number(), 1000000);
    const JsonValue& figures = report["figures"];
    EXPECT_EQ(figures["games"].number(), 1000000);
    double modeGames = 0;
    for (int m = 0; m < 6; ++m) {
        modeGames += figures["mode" + std::to_string(m) + "_games"].number();
        const JsonValue& rate = figures["mode" + std::to_string(m) + "_rt_release_rate"];
        if (!rate["value"].isNull() && !rate["ci95_low"].isNull()) {
            EXPECT_LE(rate["ci95_low"].number(), rate["value"].number());
        }
    }
    EXPECT_EQ(modeGames, 1000000);
    EXPECT_NEAR(figures["big_odds"]["value"].number(), 1e6 / figures["big"].number(), 1e-5);
    EXPECT_GT(report["timing"]["seconds"].number(), 0.0);
}

TEST(BatchProgramTest, LogFileHoldsTheAttempts) {
    const std::string path = testing::TempDir() + "korvale_batch_log_test.csv";
    const Outcome outcome = run(
        {"--run", "special", "--attempts", "250", "--seed", "1", "--threads", "2", "--log", path});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    std::ifstream log(path);
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "thread,big,reg,net");
    int rows = 0;
    while (std::getline(log, line)) {
        ++rows;
    }
    EXPECT_EQ(rows, 250);
    std::remove(path.c_str());
}

TEST(BatchProgramTest, ProgressBarOnlyOnATerminal) {
    const Outcome piped = run({"--seconds", "0.5", "--threads", "1", "--seed", "1"});
    EXPECT_EQ(piped.err, "");
    const Outcome terminal = run({"--seconds", "0.5", "--threads", "1", "--seed", "1"}, true);
    EXPECT_NE(terminal.err.find("games/s"), std::string::npos);
    EXPECT_NE(terminal.err.find('%'), std::string::npos);
    EXPECT_NE(terminal.err.find("left"), std::string::npos);
    EXPECT_EQ(terminal.status, 0);
}

}  // namespace
}  // namespace korvale
