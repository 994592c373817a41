// A tally carried to another process: what it holds, value by value, and the tally made again
// from that, which answers, grows and merges as the one it came from, whether its values sit in
// one compact range or far apart.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "analysis/measured/value_tally.h"

namespace korvale {
namespace {

using Counts = std::vector<std::pair<std::int64_t, std::int64_t>>;

constexpr std::int64_t far = std::int64_t{1} << 60;

struct HeldCase {
    const char* name;
    std::vector<std::int64_t> added;
    Counts counts;  // typed by hand: each value with its count, lowest first
    double sum;
    double squares;
};

const std::vector<HeldCase> heldCases = {
    {"empty", {}, {}, 0.0, 0.0},
    {"one value", {-7}, {{-7, 1}}, -7.0, 49.0},
    {"dense", {3, 1, 3, 2, 3, 0, -1}, {{-1, 1}, {0, 1}, {1, 1}, {2, 1}, {3, 3}}, 11.0, 33.0},
    {"gaps inside a table", {10, 14, 10, 12}, {{10, 2}, {12, 1}, {14, 1}}, 46.0, 540.0},
    {"spread",
     {150'000'000, -5, 4'100'000, -5},
     {{-5, 2}, {4'100'000, 1}, {150'000'000, 1}},
     150'000'000.0 + 4'100'000.0 - 10.0,
     150'000'000.0 * 150'000'000.0 + 4'100'000.0 * 4'100'000.0 + 50.0},
    {"extremes", {-far, far, 0}, {{-far, 1}, {0, 1}, {far, 1}}, 0.0, 2.0 * 0x1p120},
};

TEST(TallyHeldTest, HoldsEveryValueAndComesBackTheSame) {
    for (const HeldCase& c : heldCases) {
        Tally tally;
        for (const std::int64_t v : c.added) {
            tally.add(v);
        }
        const Tally::Held held = tally.held();
        EXPECT_EQ(held.counts, c.counts) << c.name;
        EXPECT_EQ(held.total, static_cast<std::int64_t>(c.added.size())) << c.name;
        EXPECT_DOUBLE_EQ(held.sum, c.sum) << c.name;
        EXPECT_DOUBLE_EQ(held.squares, c.squares) << c.name;

        Tally again = Tally::fromHeld(held);
        EXPECT_EQ(again.held().counts, c.counts) << c.name;
        EXPECT_EQ(again.total(), tally.total()) << c.name;
        if (c.added.empty()) {
            continue;
        }
        EXPECT_EQ(again.mean(), tally.mean()) << c.name;
        EXPECT_EQ(again.meanInterval().high, tally.meanInterval().high) << c.name;
        EXPECT_EQ(again.quantile(0.5), tally.quantile(0.5)) << c.name;
        EXPECT_EQ(again.lowest(), c.counts.front().first) << c.name;
        EXPECT_EQ(again.highest(), c.counts.back().first) << c.name;
        // Made again, it still grows below and above and merges as a tally does.
        again.add(c.counts.front().first - 1);
        again.add(c.counts.back().first + 1);
        again.merge(Tally::fromHeld(held));
        EXPECT_EQ(again.total(), 2 * tally.total() + 2) << c.name;
        EXPECT_EQ(again.countOf(c.counts.front().first - 1), 1) << c.name;
        EXPECT_EQ(again.countOf(c.counts.back().first), 2 * c.counts.back().second) << c.name;
        EXPECT_EQ(again.countAtLeast(c.counts.back().first + 1), 1) << c.name;
    }
}

TEST(TallyHeldTest, RefusesCountsThatAreNotATally) {
    const std::vector<std::pair<const char*, Tally::Held>> refused = {
        {"a count of 0", {.counts = {{1, 0}, {2, 3}}, .total = 3}},
        {"a negative count", {.counts = {{1, -1}, {2, 2}}, .total = 1}},
        {"values falling", {.counts = {{5, 1}, {2, 1}}, .total = 2}},
        {"a value twice", {.counts = {{5, 1}, {5, 1}}, .total = 2}},
        {"more than the total", {.counts = {{1, 2}, {2, 2}}, .total = 3}},
        {"less than the total", {.counts = {{1, 2}}, .total = 3}},
        {"a total with no counts", {.counts = {}, .total = 1}},
        {"a count beyond any total", {.counts = {{1, INT64_MAX}, {2, INT64_MAX}}, .total = 5}},
    };
    for (const auto& [name, held] : refused) {
        EXPECT_THROW(Tally::fromHeld(held), std::invalid_argument) << name;
    }
}

}  // namespace
}  // namespace korvale
