// Seeded random and mutated texts for the history reader: it must either return bonuses that are
// all in range or throw its own error naming a line of the text, and never crash, hang or do
// anything the sanitizers report. Texts written here from random histories in every layout the
// reader accepts must read back to those histories.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/inference/bonus_history_reader.h"
#include "common/random_source.h"

namespace korvale {
namespace {

class Dice {
  public:
    explicit Dice(std::uint64_t seed) : random_(seed) {}
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(random_.nextBits() % n); }
    bool chance(double p) { return random_.nextFraction() < p; }

  private:
    Xoshiro256PlusPlus random_;
};

// Writes a character as its full-width form when it has one.
std::string fullWidth(char c) {
    if (c == ' ') {
        return "\xE3\x80\x80";
    }
    const unsigned code = 0xFF01u + static_cast<unsigned>(c) - 0x21u;
    return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
            static_cast<char>(0x80 | (code & 0x3F))};
}

std::string decorated(std::string_view text, Dice& dice) {
    std::string result;
    for (const char c : text) {
        const bool ascii = c >= 0x21 && c <= 0x7E;
        if (ascii && c != ',' && dice.chance(0.2)) {
            result += fullWidth(c);
        } else if (c >= 'A' && c <= 'Z' && dice.chance(0.3)) {
            result += static_cast<char>(c - 'A' + 'a');
        } else {
            result += c;
        }
    }
    return result;
}

// A random history and a text holding it in one of the layouts, with blank lines, comments,
// carriage returns, a byte order mark and full-width forms here and there.
std::string writtenHistory(Dice& dice, std::vector<ObservedBonus>& bonuses) {
    bonuses.clear();
    const std::size_t count = dice.below(8);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t games = dice.chance(0.1)
                                       ? maxObservedGames - static_cast<std::int32_t>(dice.below(3))
                                       : 1 + static_cast<std::int32_t>(dice.below(3000));
        bonuses.push_back({dice.chance(0.5) ? BonusKind::Big : BonusKind::Reg, games});
    }
    const std::size_t layout = dice.below(5);
    const char* headers[] = {"", "BONUS,回転数,モード", "BONUS,回転数,モード,累計回転数,スレッド",
                             "thread,bonus,games,mode", ""};
    const std::string newline = dice.chance(0.5) ? "\r\n" : "\n";
    std::string text = dice.chance(0.2) ? "\xEF\xBB\xBF" : "";
    if (*headers[layout] != '\0') {
        text += std::string(headers[layout]) + newline;
    }
    std::int64_t total = 0;
    for (const ObservedBonus& bonus : bonuses) {
        if (dice.chance(0.1)) {
            text += dice.chance(0.5) ? newline : "# note" + newline;
        }
        const std::string kind = bonus.kind == BonusKind::Big ? "BIG" : "REG";
        const std::string games = std::to_string(bonus.games);
        total += bonus.games;
        std::string line;
        switch (layout) {
            case 0:
                line = kind + (dice.chance(0.5) ? " " : "\t ") + games;
                break;
            case 1:
                line = kind + "," + games + "," + std::to_string(dice.below(6));
                break;
            case 2:
                line = kind + "," + games + ",3," + std::to_string(total) + ",1";
                break;
            case 3:
                line = "0," + kind + "," + games + ",5";
                break;
            default:
                line = kind + " , " + games;
                break;
        }
        text += decorated(line, dice) + newline;
    }
    return text;
}

// Pieces of what the reader looks for (the saved results' settings block and grid, quoted
// fields), of what it must reject, of Shift-JIS and UTF-16, and of broken UTF-8.
const std::vector<std::string> pieces = {"BIG",
                                         "REG",
                                         "reg",
                                         "BONUS",
                                         "回転数",
                                         "games",
                                         "thread",
                                         "スレッド",
                                         "モード",
                                         ",",
                                         ",",
                                         " ",
                                         "\t",
                                         "\xE3\x80\x80",
                                         "\n",
                                         "\n",
                                         "\r\n",
                                         "\r",
                                         "#",
                                         "\"",
                                         "-",
                                         "+",
                                         "0",
                                         "1",
                                         "42",
                                         "2147483647",
                                         "2147483648",
                                         "4294967296",
                                         "18446744073709551617",
                                         "ＢＩＧ",
                                         "１２",
                                         "，",
                                         "\xEF\xBB\xBF",
                                         "\xEF\xBC",
                                         "\xE3\x80",
                                         "\xEF",
                                         "\xFF",
                                         std::string(1, '\0'),
                                         ".",
                                         "e5",
                                         "項目,値,\r\n",
                                         ",,\r\n",
                                         "\"\"",
                                         "\"1,000\"",
                                         "BIG,REG,差枚",
                                         "\x82\x61",
                                         "\xFF\xFE"};

void mutate(std::string& text, Dice& dice) {
    const std::size_t steps = 1 + dice.below(3);
    for (std::size_t i = 0; i < steps; ++i) {
        const std::size_t at = text.empty() ? 0 : dice.below(text.size());
        switch (dice.below(5)) {
            case 0:
                if (!text.empty()) {
                    text[at] = static_cast<char>(dice.below(256));
                }
                break;
            case 1:
                if (!text.empty()) {
                    text.erase(at, 1 + dice.below(4));
                }
                break;
            case 2:
                text.insert(at, 1, static_cast<char>(dice.below(256)));
                break;
            case 3:
                text.insert(at, pieces[dice.below(pieces.size())]);
                break;
            default:
                text.insert(at, text.substr(at, dice.below(16)));
                break;
        }
    }
}

std::size_t lineCount(std::string_view text) {
    std::size_t lines = 1;
    for (const char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

// Reads `text`; returns a description of what went wrong, or nothing. The reading without
// exceptions is used, since unwinding a million exceptions under the sanitizers takes minutes.
std::string problemReading(const std::string& text) {
    const StatusOr<BonusHistory> reading = readBonusHistory(text);
    if (!reading) {
        const HistoryReadProblem& problem = *historyProblem(reading.status());
        const std::string prefix = "line " + std::to_string(problem.line) + ": \"";
        if (problem.line < 1 || problem.line > lineCount(text) || problem.reason.empty() ||
            problem.message().substr(0, prefix.size()) != prefix ||
            reading.status().reason() != StatusReason::NotABonusHistory) {
            return "a bad problem: " + problem.message();
        }
        return {};
    }
    if (reading->bonuses.size() > lineCount(text)) {
        return "more bonuses than lines";
    }
    for (const ObservedBonus& bonus : reading->bonuses) {
        if (bonus.games < 1 || (bonus.kind != BonusKind::Big && bonus.kind != BonusKind::Reg)) {
            return "a bonus out of range";
        }
    }
    return {};
}

// Fails once, with the first offending text, instead of once per text.
void expectAllRead(const char* what, std::size_t inputs, Dice& dice, std::string (*next)(Dice&)) {
    for (std::size_t i = 0; i < inputs; ++i) {
        const std::string text = next(dice);
        const std::string problem = problemReading(text);
        if (!problem.empty()) {
            ADD_FAILURE() << what << " input " << i << ": " << problem << "\ntext: " << text;
            return;
        }
    }
}

std::string randomPieces(Dice& dice) {
    std::string text;
    const std::size_t count = 1 + dice.below(14);
    for (std::size_t i = 0; i < count; ++i) {
        text += pieces[dice.below(pieces.size())];
    }
    return text;
}

std::string mutatedHistory(Dice& dice) {
    std::vector<ObservedBonus> bonuses;
    std::string text = writtenHistory(dice, bonuses);
    mutate(text, dice);
    return text;
}

// A million texts in all, in tests of a few seconds each under the sanitizers.
TEST(BonusHistoryReaderFuzzTest, RandomPiecesAreReadOrRejectedByLine) {
    Dice dice(101);
    expectAllRead("random", 250'000, dice, randomPieces);
}

TEST(BonusHistoryReaderFuzzTest, MoreRandomPiecesAreReadOrRejectedByLine) {
    Dice dice(102);
    expectAllRead("random", 250'000, dice, randomPieces);
}

TEST(BonusHistoryReaderFuzzTest, MutatedHistoriesAreReadOrRejectedByLine) {
    Dice dice(202);
    expectAllRead("mutated", 175'000, dice, mutatedHistory);
}

TEST(BonusHistoryReaderFuzzTest, MoreMutatedHistoriesAreReadOrRejectedByLine) {
    Dice dice(203);
    expectAllRead("mutated", 175'000, dice, mutatedHistory);
}

TEST(BonusHistoryReaderFuzzTest, WrittenHistoriesReadBack) {
    Dice dice(303);
    std::vector<ObservedBonus> bonuses;
    for (int i = 0; i < 150'000; ++i) {
        const std::string text = writtenHistory(dice, bonuses);
        const StatusOr<BonusHistory> reading = readBonusHistory(text);
        if (!reading || reading->bonuses != bonuses) {
            ADD_FAILURE() << "read back differently: "
                          << (!reading ? reading.status().message() : "") << "\ntext: " << text;
            return;
        }
    }
}

}  // namespace
}  // namespace korvale
