// The manual page against the figure catalogue: every key the catalogue holds is described in the
// page (under FIGURE KEYS, or with the command that alone gives it), and every key FIGURE KEYS
// describes is one the program can print. A key added to the catalogue without its description,
// or described without being in the catalogue, fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/options/man_page.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

// FIGURE KEYS with its subsections, up to the next section.
std::string figureKeysSection() {
    const std::string page = manPage();
    const std::size_t start = page.find("\n.SH FIGURE KEYS\n");
    EXPECT_NE(start, std::string::npos);
    return page.substr(start, page.find("\n.SH ", start + 1) - start);
}

// The words the section sets in bold as keys: lower case with at least one underscore (a
// template set in bold and italic, big_gap_p<n>, is left out).
std::set<std::string> boldKeys(const std::string& section) {
    static const std::regex boldLine(R"(^\.BR? (.*)$)");
    static const std::regex key(R"((^|[\s"])([a-z][a-z0-9]*(_[a-z0-9]+)+))");
    std::set<std::string> keys;
    std::size_t from = 0;
    while (from < section.size()) {
        const std::size_t end = std::min(section.find('\n', from), section.size());
        const std::string line = section.substr(from, end - from);
        std::smatch bold;
        if (std::regex_match(line, bold, boldLine)) {
            const std::string words = bold[1];
            for (auto it = std::sregex_iterator(words.begin(), words.end(), key);
                 it != std::sregex_iterator(); ++it) {
                keys.insert((*it)[2]);
            }
        }
        from = end + 1;
    }
    return keys;
}

bool printable(const std::string& key) {
    try {
        makeFigure(key, 0.0);
        return true;
    } catch (const std::logic_error&) {
    }
    try {
        makeSeries(key);
        return true;
    } catch (const std::logic_error&) {
        return false;
    }
}

TEST(ManFigureKeys, TheSectionReadsAsExpected) {
    // A few keys typed from the output of the commands, each of another shape.
    const std::set<std::string> keys = boldKeys(figureKeysSection());
    for (const char* expected :
         {"big_odds", "mode0_share", "mode5_rt_release_rate", "net_coins_p99", "net_at_least",
          "net_per_1000_games_unrounded_cost", "expected_net_next_1000_games",
          "outcome_law_error_bound"}) {
        EXPECT_TRUE(keys.contains(expected)) << expected;
    }
}

TEST(ManFigureKeys, EveryCatalogueKeyIsDescribed) {
    const std::string page = manPage();
    for (const std::string& key : catalogueKeys()) {
        EXPECT_NE(page.find(key), std::string::npos) << key << " is not in the manual page";
    }
}

TEST(ManFigureKeys, EveryKeyDescribedIsInTheCatalogue) {
    for (const std::string& key : boldKeys(figureKeysSection())) {
        EXPECT_TRUE(printable(key)) << key << " is described but not in the catalogue";
    }
}

}  // namespace
}  // namespace korvale
